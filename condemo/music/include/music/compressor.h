// compressor.h - the compressor of the effects chain.
#pragma once

#include <cstddef>
#include <vector>

namespace music {

struct CompressorSettings {
  float gainDb = 0.0f;        // make-up gain after compression, limited to -60 .. 60 dB
  float attackMs = 10.0f;     // time constant of a rising gain reduction, 0.01 .. 500 ms
  float releaseMs = 200.0f;   // time constant of a falling one, 50 .. 3000 ms
  float thresholdDb = -20.0f;  // level above which the gain is reduced, -60 .. 0 dBFS
  float ratio = 3.0f;         // input dB over output dB above the threshold, 1 .. 100
  float preDelayMs = 4.0f;    // look-ahead: the sound is delayed this long behind
                              // the level detector, 0 .. 4 ms
};

// A stereo-linked feed-forward compressor. The level is the larger
// magnitude of the two channels; above the threshold T the static curve maps
// an input level L (dBFS) to T + (L - T) / ratio, below it the level passes;
// then the make-up gain is added. The gain reduction follows the curve with
// the attack time constant when it grows and the release time constant when
// it shrinks (smoothing in decibels).
struct Compressor {
  float threshold = 0.1f;   // linear
  float slope = 0.0f;       // 1 - 1 / ratio
  float makeupDb = 0.0f;
  float makeupGain = 1.0f;  // linear
  float attack = 0.0f;      // smoothing coefficients per frame
  float release = 0.0f;
  float reductionDb = 0.0f;  // current gain reduction, <= 0
  std::vector<float> delay;  // pre-delay line, 2 samples a frame
  std::size_t delayPosition = 0;
};

// The compressor for `settings` at `sampleRate`, at rest. Settings out of
// range are limited as stated; a NaN counts as the lower limit.
Compressor MakeCompressor(const CompressorSettings& settings, double sampleRate);

// Processes `frames` interleaved stereo frames in place.
void Process(Compressor& compressor, float* interleaved, std::size_t frames);

// Frames by which the compressor delays the sound (its pre-delay).
std::size_t LatencyFrames(const Compressor& compressor);

}  // namespace music
