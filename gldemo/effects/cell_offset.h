// The offset of a coordinate within its cell of a repeating lattice:
// fmod(a, M) - M / 2, the remainder taking the sign of a. The effects take
// it several times per march step, so it is computed here without a call to
// fmod: the quotient is truncated, and the remainder a - M q is then exact.
#pragma once

#include <cmath>

#include "lanes.h"

namespace gldemo::detail {

// Below this magnitude the truncated quotient fits an int and a - M q is
// exact.
constexpr float kCellOffsetLimit = 4194304.0f;  // 2^22

// The fast path alone, without branches, for one ray (float) or four
// (Lanes): exact for |a| < 2^22. Where a is larger (or not a number) it
// sets `wild` and gives a meaningless number.
template <int M, typename T>
inline T CellOffsetFast(T a, MaskOf<T>& wild) {
  static_assert(M == 2 || M == 3 || M == 8 || M == 16, "a modulus the effects use");
  constexpr float m = static_cast<float>(M);
  const auto tame = Abs(a) < kCellOffsetLimit;
  wild = wild | !tame;
  const T x = tame ? a : T{};
  // m q is exact, and so is x - m q, the remainder when q is the truncated
  // quotient. Dividing by a power of two is exact, so q is; for 3 it may be
  // one off, and the remainder is moved back into [0, 3) or (-3, 0].
  const T q = TruncateSmall(x * (1.0f / m));
  T r = x - m * q;
  if constexpr ((M & (M - 1)) != 0) {
    const auto low = r < 0.0f, high = r >= m, positive = r > 0.0f, lowest = r <= -m;
    const T up = r + m, down = r - m;
    r = x >= 0.0f ? (low ? up : (high ? down : r)) : (positive ? down : (lowest ? up : r));
  }
  return r - m / 2.0f;
}

// Bit for bit kalt::Fmod(a, M) - M / 2.0f for every float a, M being 2, 3, 8
// or 16. (Only the sign of a zero remainder may differ inside, which
// subtracting M / 2 removes.)
template <int M>
inline float CellOffset(float a) {
  bool wild = false;
  const float offset = CellOffsetFast<M>(a, wild);
  return wild ? std::fmod(a, static_cast<float>(M)) - M / 2.0f : offset;
}

}  // namespace gldemo::detail
