#include "periodic.h"

#include <cmath>
#include <numbers>

#include "family.h"

namespace kalt::composer {

PeriodicLoop FitLoop(double hz, double minSeconds, std::uint32_t multiple) {
  constexpr double kTolerance = 0.01 / 1200 * std::numbers::ln2;  // 0.01 cent, as a ratio less 1
  const double rate = SynthRate();
  const auto first = static_cast<std::uint32_t>(std::ceil(minSeconds * rate));
  PeriodicLoop best;
  double bestError = 1e300;
  for (std::uint32_t frames = first; frames <= 4 * first; ++frames) {
    const double exact = hz * frames / rate / multiple;
    const auto cycles = static_cast<std::uint32_t>(std::max(1.0, std::round(exact))) * multiple;
    const double error = std::fabs(cycles * rate / frames / hz - 1);
    if (error < bestError) {
      bestError = error;
      best = {frames, cycles};
      if (error < kTolerance) break;
    }
  }
  return best;
}

std::vector<float> SineTable(std::uint32_t frames) {
  std::vector<float> table(frames);
  for (std::uint32_t i = 0; i < frames; ++i)
    table[i] = static_cast<float>(std::sin(2 * std::numbers::pi * i / frames));
  return table;
}

double SettleWeight(std::uint32_t frame, std::uint32_t length) {
  if (frame >= length) return 0.0;
  constexpr double kSteep = 4.0;
  const double floor = std::exp(-kSteep);
  return (std::exp(-kSteep * frame / length) - floor) / (1 - floor);
}

}  // namespace kalt::composer
