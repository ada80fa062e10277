#include "resample.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <stdexcept>
#include <string>

namespace kalt::composer {
namespace {

constexpr int kHalfTaps = 32;
constexpr double kBeta = 9.0;        // Kaiser window shape: about 90 dB stop band
constexpr double kPassShare = 0.95;  // cutoff as a share of the lower Nyquist frequency
constexpr int kMaxPhases = 100000;

double BesselI0(double x) {
  double sum = 1, term = 1;
  for (int k = 1; k < 50; ++k) {
    term *= (x / (2 * k)) * (x / (2 * k));
    sum += term;
  }
  return sum;
}

// Filter weight of an input frame `distance` input frames from the output's
// position, for a cutoff of `cutoff` cycles per input frame.
double Tap(double distance, double cutoff) {
  const double ratio = distance / kHalfTaps;
  if (std::fabs(ratio) >= 1) return 0;
  const double window = BesselI0(kBeta * std::sqrt(1 - ratio * ratio)) / BesselI0(kBeta);
  const double x = 2 * cutoff * distance;
  const double sinc = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
  return 2 * cutoff * sinc * window;
}

}  // namespace

std::vector<float> Resample(const std::vector<float>& in, int fromRate, int toRate) {
  if (fromRate < 1 || toRate < 1) throw std::invalid_argument("resampling needs positive rates");
  const int divisor = std::gcd(fromRate, toRate);
  const long up = toRate / divisor, down = fromRate / divisor;  // output frame j sits at input j·down/up
  if (up > kMaxPhases)
    throw std::invalid_argument("resampling " + std::to_string(fromRate) + " Hz to " + std::to_string(toRate) +
                                " Hz needs too many filter phases");
  if (up == down) return in;

  // 1. One set of taps per phase (the output's fractional input position).
  const double cutoff = 0.5 * kPassShare * std::min(1.0, static_cast<double>(up) / static_cast<double>(down));
  std::vector<float> taps(static_cast<std::size_t>(up) * 2 * kHalfTaps);
  for (long phase = 0; phase < up; ++phase) {
    const double frac = static_cast<double>(phase) / static_cast<double>(up);
    for (int k = 0; k < 2 * kHalfTaps; ++k)
      taps[static_cast<std::size_t>(phase * 2 * kHalfTaps + k)] =
          static_cast<float>(Tap(k - kHalfTaps + 1 - frac, cutoff));
  }

  // 2. Each output frame: the weighted input frames around its position.
  const auto count = static_cast<std::size_t>(static_cast<long double>(in.size()) * up / down);
  std::vector<float> out(count);
  const auto size = static_cast<long>(in.size());
  for (std::size_t j = 0; j < count; ++j) {
    const long position = static_cast<long>(j) * down;
    const long base = position / up;
    const float* w = &taps[static_cast<std::size_t>((position % up) * 2 * kHalfTaps)];
    double sum = 0;
    for (int k = 0; k < 2 * kHalfTaps; ++k) {
      const long i = base + k - kHalfTaps + 1;
      if (i >= 0 && i < size) sum += static_cast<double>(w[k]) * in[static_cast<std::size_t>(i)];
    }
    out[j] = static_cast<float>(sum);
  }
  return out;
}

}  // namespace kalt::composer
