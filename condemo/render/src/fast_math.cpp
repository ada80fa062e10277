#include "condemo/fast_math.h"

namespace condemo::fast {

F4 SinOneByOne(F4 x) {
  for (int i = 0; i < kLaneCount; ++i) x[i] = FastSin(x[i]);
  return x;
}

F4 CosOneByOne(F4 x) {
  for (int i = 0; i < kLaneCount; ++i) x[i] = FastCos(x[i]);
  return x;
}

}  // namespace condemo::fast
