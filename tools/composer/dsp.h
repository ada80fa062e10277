// Small signal-processing pieces the instrument families share: decays,
// fades, saturation, a noise source and a state-variable filter.
#pragma once

#include <cstdint>
#include <vector>

namespace kalt::composer {

// The gain of an exponential decay that falls by 60 dB in `seconds`, at
// time `t` seconds.
double Decay60(double t, double seconds);

// Fades the last `seconds` of `frames` linearly to silence, so that a sound
// cut short ends without a click.
void FadeOutEnd(std::vector<float>& frames, double seconds);

// Soft saturation: tanh(drive * x) scaled so that full scale stays full
// scale; drive 1 is nearly clean.
double Saturate(double x, double drive);

// A small, fast, deterministic noise source (xorshift).
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(0x9E3779B97F4A7C15ull ^ (std::uint64_t{seed} * 0xD1B54A32D192ED03ull)) {}
  // Uniform in [-1, 1).
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<double>(state_ >> 11) * (2.0 / 9007199254740992.0) - 1.0;
  }

 private:
  std::uint64_t state_;
};

// A state-variable filter (topology-preserving transform): one input, the
// low-, band- and high-pass outputs of the same two-pole section.
class Svf {
 public:
  struct Out {
    double low, band, high;
  };
  // Cutoff in Hz (clamped below Nyquist), q from 0.5 (damped) upwards.
  void Set(double hz, double q, double rate);
  Out Step(double in);

 private:
  double g_ = 0, k_ = 2, a1_ = 0, a2_ = 0, a3_ = 0, ic1_ = 0, ic2_ = 0;
};

}  // namespace kalt::composer
