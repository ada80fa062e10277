// Eight smoothly merged blobs circling the origin: spheres of
// radius 1.5 while beatCount is odd, tori of radii 2 and 0.5 while it is
// even, so that every beat switches all of them.
#pragma once

#include <array>

#include "condemo/frame_state.h"
#include "condemo/scene_look.h"
#include "condemo/toolbox.h"

namespace condemo {

struct MergedBlobs {
  std::array<Vec3, 8> offsets;  // where each blob is this frame (added to p)
  bool spheres;

  static MergedBlobs Prepare(const FrameState& frame) {
    const float t = static_cast<float>(frame.sceneTime);
    const float b = frame.pulse.flashB;
    MergedBlobs field{};
    for (int i = 0; i < 8; ++i) {
      const float fi = static_cast<float>(i);
      field.offsets[i] = {3.0f * FastSin(fi + 2.7f * t - b), 3.0f * FastCos(2.3f * fi + 2.4f * t - b),
                          1.5f * FastSin(1.7f * fi + 1.5f * t - b)};
    }
    field.spheres = (frame.pulse.beatCount & 1) != 0;
    return field;
  }

  template <class V>
  LaneOf<V> Distance(V p, IntOf<LaneOf<V>>& /*materialTag*/) const {
    LaneOf<V> d = LaneOf<V>{} + 999.0f;
    for (const Vec3& offset : offsets) {
      const V q = p + offset;
      d = Smin(d, spheres ? Sphere(q, 1.5f) : Torus(q, 2.0f, 0.5f), 1.5f);
    }
    return d;
  }

  // The look: every blob in the material beatCount + 1; the background
  // rings step through the dark colours with the beat.
  static std::uint16_t PatternAttr(std::int32_t beatCount) { return BeatPattern(beatCount, 4); }
  static long long Material(const Hit& /*hit*/, std::int32_t beatCount) { return beatCount + 1LL; }
  static long long SurfaceColour(const HitLight& light, const Hit& /*hit*/, long long material) {
    return ColourByMaterial(light, material);
  }
};

}  // namespace condemo
