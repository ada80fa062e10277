// Basses, leads, pads and plucks: the sound of an analogue synthesiser built
// additively. One to seven detuned voices of a saw, pulse or triangle wave
// (and a sine an octave down) pass a resonant four-pole low-pass whose
// cutoff can start higher and settle; the XM volume envelope gives the ADSR
// shape. Every partial completes whole cycles in the loop, so the sustained
// part repeats without a seam, and no partial lies above 14 kHz, so notes
// half an octave above a sample's root stay clear of aliasing.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "periodic.h"
#include "synth_families.h"

namespace kalt::composer {
namespace {

constexpr double kTopHz = 14000;   // no partial above
constexpr double kFadeHz = 10000;  // partials fade out from here to kTopHz
constexpr double kMiddleCHz = 261.6255653005986;
constexpr double kShortestLoop = 0.3;  // seconds, for detuned voices
constexpr double kLongestLoop = 2.5;
constexpr std::uint32_t kBlock = 32;  // frames between filter updates while the cutoff settles

// The level of harmonic h of the wave: shape 0 saw, 1 pulse of `width`,
// 2 triangle, blended in between.
double Harmonic(int h, double shape, double width) {
  const double saw = 1.0 / h;
  const double pulse = 2.0 * std::fabs(std::sin(std::numbers::pi * h * width)) / h;
  const double triangle = h % 2 == 1 ? 2.0 / (static_cast<double>(h) * h) : 0.0;
  return shape <= 1 ? (1 - shape) * saw + shape * pulse : (2 - shape) * pulse + (shape - 1) * triangle;
}

// Gain of the four-pole low-pass (a resonant and a plain two-pole section) at
// frequency hz for cutoff fc.
double LowPass(double hz, double fc, double q) {
  const double x = hz / fc;
  const auto section = [x](double qs) { return 1.0 / std::sqrt((1 - x * x) * (1 - x * x) + (x / qs) * (x / qs)); };
  return section(q) * section(std::numbers::sqrt2 / 2);
}

double TopFade(double hz) {
  if (hz <= kFadeHz) return 1.0;
  return 0.5 * (1 + std::cos(std::numbers::pi * (hz - kFadeHz) / (kTopHz - kFadeHz)));
}

struct Voice {
  std::uint32_t cycles;  // per loop
  std::uint32_t offset;  // starting phase, in table steps per harmonic
  double gain;
};

Sound Analog(const Params& p, double hz, std::uint32_t seed) {
  const double rate = SynthRate();
  const double shape = p["shape"], width = p["width"], detune = p["detune"], sub = p["sub"];
  const double q = std::numbers::sqrt2 / 2 + 6 * p["resonance"] * p["resonance"];
  const double cutoff = p["cutoff"] * std::pow(hz / kMiddleCHz, p["keytrack"]);
  const double env = p["env"];
  const int voiceCount = static_cast<int>(std::lround(p["voices"]));
  Noise noise(seed);

  // 1. A loop that holds whole cycles of every voice: a tenth of a second for
  //    one voice; with more, long enough that a step of one cycle is at most
  //    half the detuning (within kShortestLoop .. kLongestLoop).
  const double halfDetuneHz = hz * (std::exp2(detune / 1200) - 1) / 2;
  const double loopSeconds =
      voiceCount > 1 && detune > 0 ? std::clamp(1 / halfDetuneHz, kShortestLoop, kLongestLoop) : 0.1;
  const PeriodicLoop loop = FitLoop(hz, loopSeconds, sub > 0 ? 2 : 1);
  const std::uint32_t length = loop.frames;
  const std::uint32_t settle = env > 0 ? static_cast<std::uint32_t>(std::ceil(p["envdecay"] * rate)) : 0;

  // 2. The voices, spread evenly over ±detune cents, each a whole number of
  //    cycles apart from the middle one.
  std::vector<Voice> voices;
  for (int v = 0; v < voiceCount; ++v) {
    const double cents = voiceCount > 1 ? detune * (2.0 * v / (voiceCount - 1) - 1) : 0.0;
    auto cycles = static_cast<std::uint32_t>(std::lround(loop.cycles * std::exp2(cents / 1200)));
    if (cents > 0 && cycles == loop.cycles) ++cycles;
    if (cents < 0 && cycles == loop.cycles) --cycles;
    const auto offset = static_cast<std::uint32_t>((noise.Next() + 1) * 0.5 * length) % length;
    voices.push_back({cycles, offset, 1.0 / std::sqrt(voiceCount)});
  }

  // 3. Sum the partials: while the cutoff settles its gain is recomputed
  //    every block, then it holds.
  const std::vector<float> table = SineTable(length);
  std::vector<double> out(settle + length, 0.0);
  const auto cutoffAt = [&](std::uint32_t frame) { return cutoff * std::exp2(env * SettleWeight(frame, settle)); };
  for (const Voice& voice : voices) {
    for (int h = 1;; ++h) {
      const double partialHz = static_cast<double>(h) * voice.cycles * rate / length;
      if (partialHz >= kTopHz) break;
      const double level = voice.gain * Harmonic(h, shape, width) * TopFade(partialHz);
      if (level * LowPass(partialHz, cutoffAt(0), q) < 1e-5) continue;
      const auto step = static_cast<std::uint32_t>((std::uint64_t{voice.cycles} * static_cast<std::uint64_t>(h)) % length);
      auto index = static_cast<std::uint32_t>((std::uint64_t{voice.offset} * static_cast<std::uint64_t>(h)) % length);
      const auto advance = [&] {
        index += step;
        if (index >= length) index -= length;
      };
      double gain = 0;
      for (std::uint32_t n = 0; n < settle; ++n) {
        if (n % kBlock == 0) gain = level * LowPass(partialHz, cutoffAt(n), q);
        out[n] += gain * table[index];
        advance();
      }
      const double held = level * LowPass(partialHz, cutoff, q);
      for (std::uint32_t n = settle; n < settle + length; ++n) {
        out[n] += held * table[index];
        advance();
      }
    }
  }

  // 4. The sub: a sine an octave below the middle voice.
  if (sub > 0) {
    const std::uint32_t step = loop.cycles / 2;
    std::uint32_t index = 0;
    for (double& o : out) {
      o += sub * 0.7 * table[index];
      index = (index + step) % length;
    }
  }

  Sound s;
  s.frames.assign(out.begin(), out.end());
  s.loopStart = settle;
  s.loopLength = length;
  return s;
}

}  // namespace

Family AnalogFamily() {
  return {"analog",
          "basses, leads, pads and plucks: detuned waves through a resonant low-pass",
          {
              {"low", 0, 7, 3, "lowest octave sampled (its C)"},
              {"high", 0, 7, 5, "highest octave sampled"},
              {"shape", 0, 2, 0, "wave: 0 saw, 1 pulse, 2 triangle, blends between"},
              {"width", 0.05, 0.5, 0.5, "pulse width (0.5 square)"},
              {"voices", 1, 7, 1, "detuned voices"},
              {"detune", 0, 50, 10, "spread of the voices in cents either way"},
              {"sub", 0, 2, 0, "level of a sine an octave below"},
              {"cutoff", 40, 20000, 4000, "low-pass cutoff in Hz at C-4"},
              {"keytrack", 0, 1, 0.5, "how far the cutoff follows the pitch"},
              {"resonance", 0, 1, 0.2, "low-pass resonance"},
              {"env", 0, 8, 0, "octaves the cutoff starts above its resting value"},
              {"envdecay", 0.01, 3, 0.3, "seconds for the cutoff to settle"},
              {"attack", 0, 4, 0.005, "volume rise, seconds"},
              {"decay", 0, 8, 0, "volume fall to the sustain level, seconds"},
              {"sustain", 0, 1, 1, "volume held until key-off, 0..1"},
              {"release", 0, 8, 0.1, "volume fall after key-off, seconds"},
              {"vibdepth", 0, 15, 0, "automatic vibrato depth (XM units)"},
              {"vibrate", 0, 63, 20, "automatic vibrato speed (XM units)"},
              {"vibsweep", 0, 255, 0, "ticks until the vibrato reaches full depth"},
          },
          [](const Params& p, const SynthContext& c) {
            const int low = static_cast<int>(std::lround(p["low"]));
            const int high = std::max(low, static_cast<int>(std::lround(p["high"])));
            xm::Instrument in =
                PitchedInstrument(low, high, [&](double hz) { return Analog(p, hz, c.seed); });
            in.volumeEnvelope = AdsrEnvelope(p["attack"], p["decay"], p["sustain"], p["release"], c.tickSeconds);
            in.vibrato.depth = static_cast<std::uint8_t>(std::lround(p["vibdepth"]));
            in.vibrato.rate = static_cast<std::uint8_t>(std::lround(p["vibrate"]));
            in.vibrato.sweep = static_cast<std::uint8_t>(std::lround(p["vibsweep"]));
            return in;
          }};
}

}  // namespace kalt::composer
