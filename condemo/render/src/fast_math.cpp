#include "condemo/fast_math.h"

namespace condemo::fast {

void SinCosOneByOne(F4 x, F4& s, F4& c) {
  for (int i = 0; i < kLaneCount; ++i) {
    s[i] = FastSin(x[i]);
    c[i] = FastCos(x[i]);
  }
}

}  // namespace condemo::fast
