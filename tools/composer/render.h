// Playing modules offline: libopenmpt renders a module once through to
// 44,100 Hz stereo, and the result can be measured and written as WAV.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kalt::composer {

inline constexpr int kRenderRate = 44100;

struct Rendering {
  std::string title;               // the module's name
  std::vector<float> left, right;  // at kRenderRate, full scale ±1
  // Where each order position began: (position, first frame), in play
  // order, to within 10 ms.
  std::vector<std::pair<int, std::size_t>> positions;
};

// Renders `xm` once through (no repeat) with libopenmpt's default settings,
// 44,100 Hz stereo. libopenmpt rounds every tick down to whole frames of its
// mixing rate, which at most tempos would make the song run fast (at 144 BPM
// by 0.08 %, a quarter of a second over five minutes); so the module is
// mixed at the rate nearest 44,100 Hz that holds a whole number of frames per
// tick of its first tempo and resampled, and every row lasts exactly
// speed × 2.5 / tempo seconds. The result is cut at the end of the order
// list's rows (for songs that keep their tempo and do not jump).
// Throws std::runtime_error when libopenmpt cannot load the bytes.
Rendering RenderModule(const std::vector<std::uint8_t>& xm);

// The mixing rate nearest 44,100 Hz at which a tick of `tempo` BPM
// (2.5 / tempo seconds) is a whole number of frames.
int ExactTickRate(int tempo);

struct Levels {
  double peak = 0;      // largest absolute sample, full scale 1
  double rms = 0;       // over both channels
  double rmsLeft = 0, rmsRight = 0;
  double dc = 0;        // mean of both channels
  double longestSilence = 0;  // seconds of the longest run below -60 dBFS
};

// The levels of frames [from, to) of both channels.
Levels Measure(const Rendering& r, std::size_t from, std::size_t to);

// Scales both channels so that the largest sample is `peak` (full scale 1);
// silence stays silence.
void NormalisePeak(Rendering& r, double peak);

// 16-bit PCM WAV, stereo, at kRenderRate; samples beyond full scale are
// clipped. Throws std::runtime_error when the file cannot be written.
void WriteWav(const Rendering& r, const std::string& path);

// Full scale as decibels: 20 log10(value), -inf for 0.
double Decibels(double value);

}  // namespace kalt::composer
