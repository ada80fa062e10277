// The instrument families: every family builds sound samples across its
// parameter ranges, pitched families play in tune, loops join without a
// step, hits end in silence, and the same parameters make the same sound.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>

#include "family.h"
#include "periodic.h"
#include "xm_writer.h"

namespace {

using namespace kalt::composer;

Params Defaults(const Family& f) {
  Params p;
  for (const ParamSpec& s : f.params) p.values[std::string(s.name)] = s.fallback;
  return p;
}

// Every parameter at its minimum (low = false) or maximum; the octave range
// kept small so that the test stays quick.
Params Extreme(const Family& f, bool high) {
  Params p = Defaults(f);
  for (const ParamSpec& s : f.params) {
    const bool level = s.name == "body" || s.name == "noise";  // both at 0 would be silence
    if (high || !level) p.values[std::string(s.name)] = high ? s.max : s.min;
  }
  if (p.values.count("low")) p.values["low"] = p.values["high"] = high ? 6 : 1;
  return p;
}

const SynthContext kContext{.tickSeconds = 2.5 / 125, .seed = 7};

void ExpectSound(const kalt::xm::Instrument& in, const std::string& what) {
  ASSERT_FALSE(in.samples.empty()) << what;
  int peak = 0;
  for (const kalt::xm::Sample& s : in.samples) {
    EXPECT_GT(s.pcm.size(), 100u) << what;
    for (std::int16_t v : s.pcm) peak = std::max(peak, std::abs(static_cast<int>(v)));
  }
  // Normalised just below full scale: loud, never clipped.
  EXPECT_GE(peak, 28000) << what;
  EXPECT_LE(peak, 29500) << what;
}

TEST(Families, BuildAtDefaultsAndAtEveryExtreme) {
  for (const Family& f : Families()) {
    ExpectSound(f.build(Defaults(f), kContext), std::string(f.name) + " defaults");
    ExpectSound(f.build(Extreme(f, false), kContext), std::string(f.name) + " minimum");
    ExpectSound(f.build(Extreme(f, true), kContext), std::string(f.name) + " maximum");
  }
}

TEST(Families, ParameterTablesAreSound) {
  for (const Family& f : Families()) {
    EXPECT_EQ(FindFamily(f.name), &f);
    for (const ParamSpec& s : f.params) {
      EXPECT_LE(s.min, s.fallback) << f.name << " " << s.name;
      EXPECT_LE(s.fallback, s.max) << f.name << " " << s.name;
      EXPECT_FALSE(s.meaning.empty());
    }
  }
  EXPECT_EQ(FindFamily("kazoo"), nullptr);
}

TEST(Families, SameParametersSameSamples) {
  for (const Family& f : Families()) {
    const kalt::xm::Instrument a = f.build(Defaults(f), kContext), b = f.build(Defaults(f), kContext);
    ASSERT_EQ(a.samples.size(), b.samples.size());
    for (std::size_t i = 0; i < a.samples.size(); ++i) EXPECT_EQ(a.samples[i].pcm, b.samples[i].pcm) << f.name;
  }
}

// A looped sample continues from its last frame into its loop start as
// smoothly as anywhere inside the loop.
TEST(Families, LoopsJoinWithoutAStep) {
  for (const Family& f : Families()) {
    for (const kalt::xm::Sample& s : f.build(Defaults(f), kContext).samples) {
      if (s.loop == kalt::xm::LoopType::None) continue;
      const std::size_t start = s.loopStart, end = s.loopStart + s.loopLength;
      int largest = 0;
      for (std::size_t i = start + 1; i < end; ++i) largest = std::max(largest, std::abs(s.pcm[i] - s.pcm[i - 1]));
      EXPECT_LE(std::abs(s.pcm[start] - s.pcm[end - 1]), largest + 2) << f.name;
    }
  }
}

// Hits fade to nothing, so that cutting their end makes no click.
TEST(Families, HitsEndInSilence) {
  for (const char* name : {"drum", "snare", "metal", "block", "sweep"}) {
    const kalt::xm::Sample s = FindFamily(name)->build(Defaults(*FindFamily(name)), kContext).samples.at(0);
    EXPECT_EQ(s.loop, kalt::xm::LoopType::None) << name;
    EXPECT_LE(std::abs(s.pcm.back()), 3) << name;
  }
}

// ---- Pitch --------------------------------------------------------------------

// The frequency of the strongest sine in `x` within 3 % of `guess`: the
// peak of a least-squares fit, found coarsely and then finely.
double Pitch(const std::vector<float>& x, double guess, int rate) {
  const auto power = [&](double hz) {
    double c = 0, s = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      const double w = 2 * std::numbers::pi * hz * static_cast<double>(i) / rate;
      c += x[i] * std::cos(w), s += x[i] * std::sin(w);
    }
    return c * c + s * s;
  };
  const auto scan = [&](double from, double to, double step) {
    double best = from, bestPower = -1;
    for (double hz = from; hz <= to; hz += step)
      if (const double p = power(hz); p > bestPower) best = hz, bestPower = p;
    return best;
  };
  const double coarse = scan(guess * 0.97, guess * 1.03, guess * 0.002);
  return scan(coarse - guess * 0.002, coarse + guess * 0.002, guess * 0.00005);
}

// Plays `note` for a second on one channel and returns the last half second.
std::vector<float> Play(const kalt::xm::Instrument& in, int note) {
  kalt::xm::Module m;
  m.channels = 1;
  m.orders = {0};
  m.patterns = {kalt::xm::MakePattern(64, 1)};
  m.patterns[0].at(0, 0) = {static_cast<std::uint8_t>(note), 1, 0, 0, 0};
  m.instruments = {in};
  std::ostringstream quiet;
  openmpt::module mod(kalt::xm::WriteXm(m), quiet);
  std::vector<float> mono(44100);
  mod.read(44100, mono.size(), mono.data());
  return {mono.begin() + 22050, mono.end()};
}

TEST(Families, PitchedInstrumentsPlayInTuneAcrossTheirOctaves) {
  Params sine = Defaults(*FindFamily("fm"));
  sine.values["index"] = sine.values["sustainindex"] = 0;  // a pure sine carrier
  sine.values["low"] = 2;
  sine.values["high"] = 5;
  sine.values["sustain"] = 1;
  const kalt::xm::Instrument fm = FindFamily("fm")->build(sine, kContext);
  ASSERT_EQ(fm.samples.size(), 4u);
  // A-4, and notes at the edges of the octaves' ranges.
  for (const int note : {58, 49 + 5, 49 + 6, 25 - 6, 73, 80})
    EXPECT_NEAR(Pitch(Play(fm, note), NoteHz(note), 44100) / NoteHz(note), 1.0, 0.0003) << note;

  Params triangle = Defaults(*FindFamily("analog"));
  triangle.values["shape"] = 2;
  triangle.values["voices"] = 1;
  const kalt::xm::Instrument analog = FindFamily("analog")->build(triangle, kContext);
  EXPECT_NEAR(Pitch(Play(analog, 58), 440, 44100), 440.0, 0.15);
}

TEST(Periodic, FitLoopHoldsWholeCyclesOfThePitch) {
  for (const double hz : {32.7, 55.0, 261.63, 440.0, 1975.5}) {
    const PeriodicLoop loop = FitLoop(hz, 0.1, 2);
    EXPECT_EQ(loop.cycles % 2, 0u);
    EXPECT_GE(loop.frames, static_cast<std::uint32_t>(0.1 * SynthRate()));
    EXPECT_LE(loop.frames, static_cast<std::uint32_t>(0.4 * SynthRate()) + 1);
    const double played = loop.cycles * SynthRate() / loop.frames;
    EXPECT_NEAR(1200 * std::log2(played / hz), 0.0, 0.01) << hz;  // cents
  }
  EXPECT_EQ(SettleWeight(0, 100), 1.0);
  EXPECT_EQ(SettleWeight(100, 100), 0.0);
  EXPECT_GT(SettleWeight(10, 100), SettleWeight(20, 100));
}

TEST(Envelopes, AdsrInTicks) {
  // 20 ms ticks: attack 5 ticks, decay 10 to half, release 20.
  const kalt::xm::Envelope e = AdsrEnvelope(0.1, 0.2, 0.5, 0.4, 0.02);
  ASSERT_TRUE(e.sustain.has_value());
  EXPECT_EQ(e.points.front().tick, 0);
  EXPECT_EQ(e.points.front().value, 0);
  EXPECT_EQ(e.points[1].tick, 5);
  EXPECT_EQ(e.points[1].value, 64);
  EXPECT_EQ(e.points[*e.sustain].tick, 15);
  EXPECT_EQ(e.points[*e.sustain].value, 32);
  EXPECT_EQ(e.points.back().tick, 35);
  EXPECT_EQ(e.points.back().value, 0);
  for (std::size_t i = 1; i < e.points.size(); ++i) EXPECT_GT(e.points[i].tick, e.points[i - 1].tick);
  // No attack: full at once; no decay: the sustain is the peak.
  const kalt::xm::Envelope organ = AdsrEnvelope(0, 0, 0.3, 0, 0.02);
  EXPECT_EQ(organ.points.front().value, 64);
  EXPECT_EQ(organ.sustain, 0);
  EXPECT_EQ(organ.points.back().value, 0);
}

}  // namespace
