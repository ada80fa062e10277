// Electric pianos, bells and mallets: two-operator FM. A sine carrier is
// phase-modulated by a sine at `ratio` times its pitch; the modulation index
// starts high and settles to a lower value that the loop holds, so the
// attack is bright and the sustain mellow. A second, slightly sharper pair
// can beat against the first like a chorus. The XM volume envelope gives the
// decay.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "periodic.h"
#include "synth_families.h"

namespace kalt::composer {
namespace {

constexpr double kTopHz = 14000;  // keep the strong sidebands below this

Sound Fm(const Params& p, double hz) {
  const double rate = SynthRate();
  const double ratio = std::round(p["ratio"] * 2) / 2;  // halves: whole cycles in the loop
  const double beat = p["beat"];

  // 1. The loop: an even number of carrier cycles, so that half ratios
  //    complete too. With a second pair two cycles sharper, the loop lasts
  //    two beats; without, a tenth of a second.
  const double loopSeconds = beat > 0 ? 2 / std::max(beat, 0.5) : 0.1;
  const PeriodicLoop loop = FitLoop(hz, loopSeconds, 2);
  const std::uint32_t length = loop.frames;
  std::vector<std::uint32_t> carriers = {loop.cycles};
  if (beat > 0) carriers.push_back(loop.cycles + 2);

  // 2. The index falls from its start to its held value; both are capped so
  //    that the sidebands (about index + 1 modulator pitches wide) stay
  //    below kTopHz.
  const double cap = std::max(0.0, kTopHz / (hz * ratio) - 1);
  const double start = std::min(p["index"], cap), held = std::min(p["sustainindex"], cap);
  const auto settle = static_cast<std::uint32_t>(std::ceil(p["indexdecay"] * rate));

  const std::vector<float> table = SineTable(length);
  Sound s;
  s.frames.assign(settle + length, 0.0f);
  for (const std::uint32_t carrier : carriers) {
    const auto modulator = static_cast<std::uint32_t>(std::lround(carrier * ratio));
    for (std::uint32_t n = 0; n < s.frames.size(); ++n) {
      const double index = held + (start - held) * SettleWeight(n, settle);
      const auto c = static_cast<std::uint32_t>((std::uint64_t{carrier} * n) % length);
      const auto m = static_cast<std::uint32_t>((std::uint64_t{modulator} * n) % length);
      const double phase = 2 * std::numbers::pi * c / length + index * table[m];
      s.frames[n] += static_cast<float>(std::sin(phase) / static_cast<double>(carriers.size()));
    }
  }
  s.loopStart = settle;
  s.loopLength = length;
  return s;
}

}  // namespace

Family FmFamily() {
  return {"fm",
          "electric pianos, bells and mallets: two-operator FM",
          {
              {"low", 0, 7, 3, "lowest octave sampled (its C)"},
              {"high", 0, 7, 5, "highest octave sampled"},
              {"ratio", 0.5, 12, 1, "modulator pitch over carrier pitch, in halves"},
              {"index", 0, 12, 3, "modulation index at the start"},
              {"sustainindex", 0, 12, 0.8, "modulation index held"},
              {"indexdecay", 0.01, 4, 0.4, "seconds for the index to settle"},
              {"beat", 0, 6, 0, "beating of a second, sharper pair in Hz (0 none, else at least 0.5)"},
              {"attack", 0, 4, 0.002, "volume rise, seconds"},
              {"decay", 0, 8, 2, "volume fall to the sustain level, seconds"},
              {"sustain", 0, 1, 0, "volume held until key-off, 0..1"},
              {"release", 0, 8, 0.3, "volume fall after key-off, seconds"},
          },
          [](const Params& p, const SynthContext& c) {
            const int low = static_cast<int>(std::lround(p["low"]));
            const int high = std::max(low, static_cast<int>(std::lround(p["high"])));
            xm::Instrument in = PitchedInstrument(low, high, [&](double hz) { return Fm(p, hz); });
            in.volumeEnvelope = AdsrEnvelope(p["attack"], p["decay"], p["sustain"], p["release"], c.tickSeconds);
            return in;
          }};
}

}  // namespace kalt::composer
