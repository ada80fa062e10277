// equaliser.h - the peaking equaliser of the effects chain.
#pragma once

#include <cstddef>

namespace music {

struct EqualiserSettings {
  float centreHz = 8000.0f;         // limited to 10 Hz .. 0.45 x the sample rate
  float bandwidthSemitones = 12.0f;  // limited to 1 .. 36
  float gainDb = 0.0f;               // limited to -24 .. 24
};

// A peaking equaliser: a second-order filter that lifts (or cuts) a band
// around the centre frequency by gainDb there, falling back to 0 dB far from
// it. The band reaches from centre / 2^(b / 2) to centre x 2^(b / 2), b the
// bandwidth in octaves, where the lift is half of gainDb in decibels; the
// lower of the two points is exact, the upper one exact at low frequencies
// and, for a wide band near the top of the range, beyond half the sample
// rate. Stereo, each channel filtered alike, in double precision. (The
// peaking filter of R. Bristow-Johnson's "Audio EQ Cookbook", its width set
// from the prewarped band edge.)
struct PeakingEq {
  double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;  // normalised to a0 = 1
  double state[2][2] = {};                                    // per channel
};

// The equaliser for `settings` at `sampleRate` frames per second, with clear
// state. Settings out of range are limited as stated; a NaN counts as the
// lower limit.
PeakingEq MakePeakingEq(const EqualiserSettings& settings, double sampleRate);

// Filters `frames` interleaved stereo frames in place.
void Process(PeakingEq& eq, float* interleaved, std::size_t frames);

}  // namespace music
