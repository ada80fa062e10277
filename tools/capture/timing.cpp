#include "timing.h"

#include <cmath>

namespace capture {

std::int64_t FramesBetween(double from, double to, int fps) {
  if (!(from < to)) return 0;
  // The estimate, then corrected by the frame times themselves, so that
  // the count agrees with FrameTime whatever the rounding.
  auto count = static_cast<std::int64_t>(std::ceil((to - from) * fps));
  while (count > 0 && !(FrameTime(from, fps, count - 1) < to)) --count;
  while (FrameTime(from, fps, count) < to) ++count;
  return count;
}

}  // namespace capture
