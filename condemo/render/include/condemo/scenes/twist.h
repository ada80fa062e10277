// The twist and the spike folds that SpikyBall, TwistedOctahedron and
// SpikyBallInSphere share.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/toolbox.h"

namespace condemo {

// Two twists that grow with the distance from the origin and sway with
// time: the x-z plane turns by 3 sin(phase1 - 0.2 |p|), then the x-y plane by
// 4 cos(phase2 - 0.2 |q|), q being the point after the first turn.
template <class V>
V Twist(V p, float phase1, float phase2) {
  V q = p;
  const auto r0 = Length(p);
  auto r = Rot(q.x, q.z, 3.0f * FastSin(phase1 - 0.2f * r0));
  q.x = r.u, q.z = r.v;
  const auto r1 = Length(q);
  r = Rot(q.x, q.y, 4.0f * FastCos(phase2 - 0.2f * r1));
  q.x = r.u, q.y = r.v;
  return q;
}

// Polar folds of (z, x) and then (z, y): afterwards q.z points along the
// spike of the point's sector, one of 8 x 8.
template <class V>
V SpikeFold(V q) {
  auto r = PolarFold(q.z, q.x);
  q.z = r.u, q.x = r.v;
  r = PolarFold(q.z, q.y);
  q.z = r.u, q.y = r.v;
  return q;
}

}  // namespace condemo
