#include "music/limiter.h"

#include <algorithm>
#include <cmath>

#include "dsp_util.h"

namespace music {

Limiter MakeLimiter(double sampleRate) {
  Limiter limiter;
  limiter.ceiling = static_cast<float>(dsp::DbToGain(-0.1));
  limiter.release = static_cast<float>(dsp::SmoothingCoefficient(50.0, sampleRate));
  return limiter;
}

void Process(Limiter& limiter, float* interleaved, std::size_t frames) {
  for (std::size_t f = 0; f < frames; ++f) {
    float* frame = interleaved + 2 * f;
    const float peak = std::max(std::fabs(frame[0]), std::fabs(frame[1]));
    const float allowed = peak > limiter.ceiling ? limiter.ceiling / peak : 1.0f;
    const float recovered = 1.0f - limiter.release * (1.0f - limiter.gain);
    limiter.gain = std::min(allowed, recovered);
    frame[0] *= limiter.gain;
    frame[1] *= limiter.gain;
  }
}

}  // namespace music
