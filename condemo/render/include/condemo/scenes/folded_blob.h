// The folded blob with an inner sphere: a tumbling point, folded into
// the first octant, cut from two offset spheres; a third sphere that breathes
// with sin(t) and flashB takes material 2 wherever it is the nearer surface.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/scene_look.h"
#include "condemo/toolbox.h"

namespace condemo {

struct FoldedBlob {
  Rotation<float> turnXY, turnXZ, turnYZ;  // by 0.5t, 0.8t, 0.7t
  float carveCentre, carveRadius;          // 1.5 - 0.2 sin t, 1.7 + 0.1 sin t
  float innerCentre, innerRadius;          // 2 - sin t, 1 + 0.5 flashB

  static FoldedBlob Prepare(const FrameState& frame) {
    const float t = static_cast<float>(frame.sceneTime);
    const float s = FastSin(t);
    return {RotationOf(0.5f * t), RotationOf(0.8f * t), RotationOf(0.7f * t),
            1.5f - 0.2f * s,      1.7f + 0.1f * s,      2.0f - s,
            1.0f + 0.5f * frame.pulse.flashB};
  }

  // Sets materialTag on every call: 2 where the inner sphere is the distance
  // (a tie included), else 0.
  template <class V>
  LaneOf<V> Distance(V p, IntOf<LaneOf<V>>& materialTag) const {
    // 1. Tumble the point, then fold it into the first octant.
    V q = p;
    auto r = Rot(q.x, q.y, turnXY);
    q.x = r.u, q.y = r.v;
    r = Rot(q.x, q.z, turnXZ);
    q.x = r.u, q.z = r.v;
    r = Rot(q.y, q.z, turnYZ);
    q.y = r.u, q.z = r.v;
    q = Fold(q);
    // 2. The blob: a sphere at (1, 1, 1) with a second one carved out.
    const auto s1 = Length(q - Vec3{1.0f, 1.0f, 1.0f}) - 2.0f;
    const auto s2 = Length(q - Vec3{carveCentre, carveCentre, carveCentre}) - carveRadius;
    const auto d = Max(s1, -s2);
    // 3. The inner sphere.
    const auto s3 = Length(q - Vec3{innerCentre, innerCentre, innerCentre}) - innerRadius;
    const auto blob = s3 > d;
    materialTag = Select(blob, 0, 2);
    return Select(blob, d, s3);
  }

  // The look: the field's tag stepped by the beat, mod 5, is the material;
  // the background rings step through the dark colours with the beat.
  static std::uint16_t PatternAttr(std::int32_t beatCount) { return BeatPattern(beatCount, 1); }
  static long long Material(const Hit& hit, std::int32_t beatCount) {
    return Residue(static_cast<long long>(hit.fieldTag) + beatCount, 5);
  }
  static long long SurfaceColour(const HitLight& light, const Hit& /*hit*/, long long material) {
    return ColourByMaterial(light, material);
  }
};

}  // namespace condemo
