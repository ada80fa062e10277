#include "dsp.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "family.h"

namespace kalt::composer {

double Decay60(double t, double seconds) { return std::exp(-6.907755278982137 * t / seconds); }

void FadeOutEnd(std::vector<float>& frames, double seconds) {
  const auto n = std::min(frames.size(), static_cast<std::size_t>(seconds * SynthRate()));
  for (std::size_t i = 0; i < n; ++i) frames[frames.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(n);
}

double Saturate(double x, double drive) { return std::tanh(drive * x) / std::tanh(drive); }

void Svf::Set(double hz, double q, double rate) {
  g_ = std::tan(std::numbers::pi * std::min(hz, rate * 0.49) / rate);
  k_ = 1.0 / std::max(q, 0.5);
  a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
  a2_ = g_ * a1_;
  a3_ = g_ * a2_;
}

Svf::Out Svf::Step(double in) {
  const double v3 = in - ic2_;
  const double v1 = a1_ * ic1_ + a2_ * v3;
  const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
  ic1_ = 2 * v1 - ic1_;
  ic2_ = 2 * v2 - ic2_;
  return {v2, v1, in - k_ * v1 - v2};
}

}  // namespace kalt::composer
