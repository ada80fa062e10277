// Hi-hats, cymbals and shakers: six square waves at the inharmonic ratios of
// the classic analogue hat, mixed with white noise, band-passed and
// high-passed, with a short rise and an exponential decay.
#include <array>
#include <cmath>

#include "synth_families.h"

namespace kalt::composer {
namespace {

constexpr std::array<double, 6> kRatios = {1.0, 1.4471, 1.6170, 1.9265, 2.5028, 2.6637};

Sound Metal(const Params& p, std::uint32_t seed) {
  const double rate = SynthRate();
  const double tone = p["tone"], metal = p["metal"], color = p["color"];
  const double attack = p["attack"], decay = p["decay"];
  Noise noise(seed);
  Svf band, high1, high2;
  band.Set(color * 1.3, 0.9, rate);
  high1.Set(color, 0.7, rate);
  high2.Set(color, 0.7, rate);
  // Random starting phases keep the squares from lining up on the first frame.
  std::array<double, 6> phase{};
  for (double& ph : phase) ph = 0.5 * (noise.Next() + 1);
  Sound s;
  s.frames.resize(static_cast<std::size_t>((attack + decay) * rate));
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    double squares = 0;
    for (std::size_t k = 0; k < kRatios.size(); ++k) {
      phase[k] += tone * kRatios[k] / rate;
      phase[k] -= std::floor(phase[k]);
      squares += phase[k] < 0.5 ? 1.0 : -1.0;
    }
    const double source = metal * squares / 3.0 + (1 - metal) * noise.Next();
    const double shaped = high2.Step(high1.Step(0.6 * source + band.Step(source).band).high).high;
    const double level = t < attack ? t / attack : Decay60(t - attack, decay);
    s.frames[i] = static_cast<float>(shaped * level);
  }
  FadeOutEnd(s.frames, 0.005);
  return s;
}

}  // namespace

Family MetalFamily() {
  return {"metal",
          "hi-hats, cymbals and shakers: metallic squares and noise",
          {
              {"tone", 100, 2000, 400, "pitch of the lowest square in Hz"},
              {"metal", 0, 1, 0.6, "share of the squares against plain noise"},
              {"color", 1000, 16000, 7000, "high-pass edge in Hz"},
              {"attack", 0, 0.5, 0.001, "seconds to rise"},
              {"decay", 0.01, 8, 0.12, "seconds to fall by 60 dB"},
          },
          [](const Params& p, const SynthContext& c) { return HitInstrument(Metal(p, c.seed)); }};
}

}  // namespace kalt::composer
