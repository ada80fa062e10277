#include "music/effects.h"

#include <cmath>

#include "dsp_util.h"

namespace music {

EffectsChain MakeEffectsChain(const EffectsSettings& settings, double sampleRate) {
  return EffectsChain{
      {MakePeakingEq(settings.equalisers[0], sampleRate), MakePeakingEq(settings.equalisers[1], sampleRate)},
      MakeReverb(settings.reverb, sampleRate),
      MakeCompressor(settings.compressor, sampleRate),
      MakeLimiter(sampleRate)};
}

void Process(EffectsChain& chain, float* interleaved, std::size_t frames) {
  const dsp::DenormalsOff denormalsOff;
  for (std::size_t i = 0; i < 2 * frames; ++i) {
    const float v = interleaved[i];
    interleaved[i] = std::isfinite(v) ? dsp::Limit(v, -16.0f, 16.0f) : 0.0f;
  }
  Process(chain.equalisers[0], interleaved, frames);
  Process(chain.equalisers[1], interleaved, frames);
  Process(chain.reverb, interleaved, frames);
  Process(chain.compressor, interleaved, frames);
  Process(chain.limiter, interleaved, frames);
}

std::size_t LatencyFrames(const EffectsChain& chain) { return LatencyFrames(chain.compressor); }

}  // namespace music
