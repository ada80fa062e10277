// limiter.h - the safety limiter at the end of the effects chain.
#pragma once

#include <cstddef>

namespace music {

// A peak limiter that no sample can pass above its ceiling: the gain drops
// at once (no attack time, no look-ahead) to what the loudest channel of a
// frame allows, and recovers towards 1 with the release time constant. It
// only acts on peaks the chain has pushed beyond full scale, where a short
// gain dip sounds far better than clipping.
struct Limiter {
  float ceiling = 1.0f;
  float release = 0.0f;  // smoothing coefficient per frame
  float gain = 1.0f;
};

// A limiter with ceiling -0.1 dBFS and a 50 ms release at `sampleRate`.
Limiter MakeLimiter(double sampleRate);

// Limits `frames` interleaved stereo frames in place. Finite input comes out
// within the ceiling (to the last bit of rounding), so never beyond full
// scale.
void Process(Limiter& limiter, float* interleaved, std::size_t frames);

}  // namespace music
