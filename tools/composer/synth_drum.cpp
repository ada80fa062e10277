// Kicks, booms and toms: a sine that starts high and falls to its tone, held
// and then decaying, with a short noise click on top and soft saturation.
#include <cmath>
#include <numbers>

#include "synth_families.h"

namespace kalt::composer {
namespace {

Sound Drum(const Params& p, std::uint32_t seed) {
  const double rate = SynthRate();
  const double tone = p["tone"], start = p["start"], sweep = p["sweep"];
  const double hold = p["hold"], decay = p["decay"], click = p["click"], drive = p["drive"];
  Noise noise(seed);
  Svf clickFilter;
  clickFilter.Set(4000, 0.8, rate);
  Sound s;
  s.frames.resize(static_cast<std::size_t>((hold + decay) * rate));
  double phase = 0;
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    // 1. The body: the pitch glides from start down to tone.
    const double hz = tone + (start - tone) * std::exp(-t / sweep);
    phase += 2 * std::numbers::pi * hz / rate;
    const double body = std::sin(phase) * (t < hold ? 1.0 : Decay60(t - hold, decay));
    // 2. The click: a few milliseconds of band-passed noise.
    const double transient = click * clickFilter.Step(noise.Next()).band * std::exp(-t / 0.004);
    s.frames[i] = static_cast<float>(Saturate(body + transient, drive));
  }
  FadeOutEnd(s.frames, 0.005);
  return s;
}

}  // namespace

Family DrumFamily() {
  return {"drum",
          "kicks, booms and toms: a sine falling in pitch with a click",
          {
              {"tone", 20, 800, 50, "final pitch in Hz"},
              {"start", 20, 4000, 200, "starting pitch in Hz"},
              {"sweep", 0.002, 0.5, 0.04, "time constant of the pitch fall, seconds"},
              {"hold", 0, 0.5, 0.02, "seconds at full level before the decay"},
              {"decay", 0.03, 4, 0.5, "seconds to fall by 60 dB"},
              {"click", 0, 2, 0.3, "level of the noise click"},
              {"drive", 1, 8, 1.5, "saturation, 1 clean"},
          },
          [](const Params& p, const SynthContext& c) { return HitInstrument(Drum(p, c.seed)); }};
}

}  // namespace kalt::composer
