// Snares, rims and claps: a tuned body of two falling partials and noise
// shaped by a band-pass filter; claps are several quick noise bursts before
// the tail.
#include <cmath>
#include <numbers>

#include "synth_families.h"

namespace kalt::composer {
namespace {

Sound Snare(const Params& p, std::uint32_t seed) {
  const double rate = SynthRate();
  const double tone = p["tone"], body = p["body"], bodyDecay = p["bodydecay"];
  const double noiseLevel = p["noise"], noiseDecay = p["noisedecay"], color = p["color"];
  const int bursts = static_cast<int>(std::lround(p["bursts"]));
  const double spread = p["spread"], drive = p["drive"];
  const double lastBurst = (bursts - 1) * spread;
  Noise noise(seed);
  Svf band, high;
  band.Set(color, 1.2, rate);
  high.Set(color * 0.5, 0.7, rate);
  Sound s;
  s.frames.resize(static_cast<std::size_t>((lastBurst + std::max(bodyDecay, noiseDecay)) * rate));
  double phase1 = 0, phase2 = 0;
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    // 1. The body: two partials a little apart, falling a few percent.
    const double glide = 1.0 + 0.5 * std::exp(-t / 0.01);
    phase1 += 2 * std::numbers::pi * tone * glide / rate;
    phase2 += 2 * std::numbers::pi * tone * 1.62 * glide / rate;
    const double tonal = body * (std::sin(phase1) + 0.5 * std::sin(phase2)) * Decay60(t, bodyDecay);
    // 2. The noise: short bursts (claps), then the decaying tail from the
    //    last one.
    double shape;
    if (t < lastBurst) {
      const double sinceBurst = std::fmod(t, spread);
      shape = std::exp(-sinceBurst / (spread * 0.3));
    } else {
      shape = Decay60(t - lastBurst, noiseDecay);
    }
    const double n = noise.Next();
    const auto bandOut = band.Step(n);
    const double hiss = 0.7 * bandOut.band + 0.5 * high.Step(n).high;
    s.frames[i] = static_cast<float>(Saturate(tonal + noiseLevel * shape * hiss, drive));
  }
  FadeOutEnd(s.frames, 0.01);
  return s;
}

}  // namespace

Family SnareFamily() {
  return {"snare",
          "snares, rims and claps: a tuned body and band-passed noise",
          {
              {"tone", 60, 2000, 190, "body pitch in Hz"},
              {"body", 0, 2, 0.5, "level of the body"},
              {"bodydecay", 0.01, 2, 0.15, "seconds for the body to fall by 60 dB"},
              {"noise", 0, 2, 0.8, "level of the noise"},
              {"noisedecay", 0.02, 3, 0.3, "seconds for the noise tail to fall by 60 dB"},
              {"color", 300, 12000, 3000, "centre of the noise band in Hz"},
              {"bursts", 1, 6, 1, "noise attacks before the tail: 1 a snare, 3 or 4 a clap"},
              {"spread", 0.002, 0.04, 0.011, "seconds between the attacks of a clap"},
              {"drive", 1, 8, 1.3, "saturation, 1 clean"},
          },
          [](const Params& p, const SynthContext& c) { return HitInstrument(Snare(p, c.seed)); }};
}

}  // namespace kalt::composer
