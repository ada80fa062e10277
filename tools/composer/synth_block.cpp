// Ticks, woodblocks and rims: two damped sine partials and a touch of noise,
// a few tens of milliseconds long.
#include <cmath>
#include <numbers>

#include "synth_families.h"

namespace kalt::composer {
namespace {

Sound Block(const Params& p, std::uint32_t seed) {
  const double rate = SynthRate();
  const double tone = p["tone"], ratio = p["ratio"], decay = p["decay"], noiseLevel = p["noise"];
  Noise noise(seed);
  Svf high;
  high.Set(tone, 0.7, rate);
  Sound s;
  s.frames.resize(static_cast<std::size_t>(decay * rate));
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double w = 2 * std::numbers::pi * tone * t;
    const double partials = std::sin(w) * Decay60(t, decay) + 0.6 * std::sin(w * ratio) * Decay60(t, decay * 0.5);
    const double hiss = noiseLevel * high.Step(noise.Next()).high * std::exp(-t / 0.003);
    s.frames[i] = static_cast<float>(partials + hiss);
  }
  FadeOutEnd(s.frames, 0.002);
  return s;
}

}  // namespace

Family BlockFamily() {
  return {"block",
          "ticks, woodblocks and rims: two damped partials",
          {
              {"tone", 100, 8000, 1800, "pitch of the main partial in Hz"},
              {"ratio", 1, 5, 1.48, "pitch of the second partial over the first"},
              {"decay", 0.005, 1, 0.06, "seconds to fall by 60 dB"},
              {"noise", 0, 2, 0.2, "level of the noise click"},
          },
          [](const Params& p, const SynthContext& c) { return HitInstrument(Block(p, c.seed)); }};
}

}  // namespace kalt::composer
