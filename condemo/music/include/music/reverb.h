// reverb.h - the reverb of the effects chain.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace music {

struct ReverbSettings {
  float inputGainDb = 0.0f;       // gain at the unit's input, limited to -96 .. 0 dB
  float mixDb = 0.0f;             // reverberation level against the direct sound, -96 .. 0 dB
  float timeMs = 1000.0f;         // decay time (RT60) of low frequencies, 1 .. 3000 ms
  float highFreqRatio = 0.001f;   // decay time near the top of the band over timeMs, 0.001 .. 0.999
};

// A stereo reverb: output = g (x + m R(x)), g the input gain, m the mix
// level and R a reverberator whose tail falls by 60 dB in timeMs at low
// frequencies and in highFreqRatio x timeMs near half the sample rate (a
// smooth change in between). R is scaled so that a steady noise comes out of
// it at about its own level; the mix level is therefore the level of the
// reverberation against the direct sound.
//
// R is a feedback delay network: eight delay lines of 25 to 67 ms, mixed
// through an orthogonal (Hadamard) matrix, each with a one-pole low-pass in
// its loop whose gains at 0 Hz and at half the sample rate give those two
// decay times for its length (J.-M. Jot's design).
struct Reverb {
  static constexpr int kLines = 8;
  float inputGain = 1.0f;
  float mix = 1.0f;
  float outputScale = 0.0f;
  std::array<std::vector<float>, kLines> lines;  // circular delay lines
  std::array<std::size_t, kLines> position{};
  std::array<float, kLines> loopB{};  // loop filter y = b x + a y
  std::array<float, kLines> loopA{};
  std::array<float, kLines> loopState{};
};

// The reverb for `settings` at `sampleRate`, silent inside. Settings out of
// range are limited as stated; a NaN counts as the lower limit.
Reverb MakeReverb(const ReverbSettings& settings, double sampleRate);

// Processes `frames` interleaved stereo frames in place.
void Process(Reverb& reverb, float* interleaved, std::size_t frames);

}  // namespace music
