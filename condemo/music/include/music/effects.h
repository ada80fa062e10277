// effects.h - the effects chain on the mixed song: two peaking equalisers, a
// reverb, a compressor and, last, a safety limiter, in that order.
#pragma once

#include <cstddef>

#include "music/compressor.h"
#include "music/equaliser.h"
#include "music/limiter.h"
#include "music/reverb.h"

namespace music {

struct EffectsSettings {
  EqualiserSettings equalisers[2];
  ReverbSettings reverb;
  CompressorSettings compressor;
};

struct EffectsChain {
  PeakingEq equalisers[2];
  Reverb reverb;
  Compressor compressor;
  Limiter limiter;
};

// The chain for `settings` at `sampleRate`, silent inside; each unit limits
// its own settings as its header states.
EffectsChain MakeEffectsChain(const EffectsSettings& settings, double sampleRate);

// Processes `frames` interleaved stereo frames in place. The chain cannot
// clip: the limiter keeps every sample it puts out within -0.1 dBFS. Input
// that is not finite is taken as silence and input beyond +-16 as +-16, so
// nothing can poison the filters' state.
void Process(EffectsChain& chain, float* interleaved, std::size_t frames);

// Frames by which the chain delays the sound (the compressor's pre-delay).
std::size_t LatencyFrames(const EffectsChain& chain);

}  // namespace music
