// Risers and falls: white noise through a resonant band-pass whose centre
// glides exponentially from one frequency to another, swelling or fading.
#include <cmath>

#include "synth_families.h"

namespace kalt::composer {
namespace {

Sound Sweep(const Params& p, std::uint32_t seed) {
  const double rate = SynthRate();
  const double length = p["length"], from = p["from"], to = p["to"], q = p["q"], curve = p["curve"];
  Noise noise(seed);
  Svf filter;
  Sound s;
  s.frames.resize(static_cast<std::size_t>(length * rate));
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    const double x = static_cast<double>(i) / static_cast<double>(s.frames.size());
    if (i % 32 == 0) filter.Set(from * std::pow(to / from, x), q, rate);
    // Rising sweeps swell towards their end, falling ones fade from the start.
    const double level = std::pow(to >= from ? x : 1 - x, curve);
    s.frames[i] = static_cast<float>(filter.Step(noise.Next()).band * level);
  }
  FadeOutEnd(s.frames, 0.02);
  return s;
}

}  // namespace

Family SweepFamily() {
  return {"sweep",
          "risers and falls: noise through a sweeping band-pass",
          {
              {"length", 0.1, 16, 4, "seconds"},
              {"from", 50, 16000, 300, "starting centre frequency in Hz"},
              {"to", 50, 16000, 8000, "final centre frequency in Hz"},
              {"q", 0.5, 12, 2, "resonance of the band-pass"},
              {"curve", 0, 6, 1.5, "steepness of the swell (0 flat)"},
          },
          [](const Params& p, const SynthContext& c) { return HitInstrument(Sweep(p, c.seed)); }};
}

}  // namespace kalt::composer
