// Test signals and level measurements for the effect units (interleaved
// stereo at 44,100 Hz, both channels alike unless said otherwise).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

namespace signals {

constexpr double kRate = 44100.0;

inline std::vector<float> Sine(double hz, double amplitude, std::size_t frames) {
  std::vector<float> out(2 * frames);
  for (std::size_t i = 0; i < frames; ++i) {
    const auto v = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / kRate));
    out[2 * i] = v;
    out[2 * i + 1] = v;
  }
  return out;
}

inline std::vector<float> Constant(float value, std::size_t frames) { return std::vector<float>(2 * frames, value); }

// Uniform white noise in -amplitude..amplitude, independent per channel,
// from a fixed seed.
inline std::vector<float> Noise(double amplitude, std::size_t frames, std::uint32_t seed = 1) {
  std::vector<float> out(2 * frames);
  for (float& v : out) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<float>(amplitude * (static_cast<double>(seed >> 8) / 8388608.0 - 1.0));
  }
  return out;
}

// Root mean square of one channel over frames [from, to).
inline double Rms(const std::vector<float>& x, std::size_t from, std::size_t to, int channel = 0) {
  double sum = 0.0;
  for (std::size_t i = from; i < to; ++i) sum += double(x[2 * i + channel]) * x[2 * i + channel];
  return std::sqrt(sum / static_cast<double>(to - from));
}

inline double Db(double ratio) { return 20.0 * std::log10(ratio); }

}  // namespace signals
