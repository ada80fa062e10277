#include "music/equaliser.h"

#include <gtest/gtest.h>

#include "music/song.h"
#include "signals.h"

namespace {

using signals::Db;
using signals::Rms;

// The steady-state gain of an equaliser for a sine, in dB (both channels).
double GainDb(const music::EqualiserSettings& settings, double hz) {
  music::PeakingEq eq = music::MakePeakingEq(settings, signals::kRate);
  const std::size_t frames = 4 * 44100;  // 4 s: the 50 Hz filter settles slowly
  std::vector<float> x = signals::Sine(hz, 0.25, frames);
  const std::vector<float> in = x;
  music::Process(eq, x.data(), frames);
  const std::size_t from = frames / 2;
  EXPECT_NEAR(Rms(x, from, frames, 0), Rms(x, from, frames, 1), 1e-6);
  return Db(Rms(x, from, frames) / Rms(in, from, frames));
}

TEST(PeakingEq, ShowBandsLiftTheirCentreByTheirGain) {
  const music::EffectsSettings show = condemo::SongEffects();
  EXPECT_NEAR(GainDb(show.equalisers[0], 14000.0), 4.0, 0.02);
  EXPECT_NEAR(GainDb(show.equalisers[1], 50.0), 7.0, 0.02);
}

TEST(PeakingEq, BandwidthSpansTheHalfGainPoints) {
  // 32 semitones: the half-gain points lie 16 semitones either side.
  const music::EffectsSettings show = condemo::SongEffects();
  const double edge = std::pow(2.0, 16.0 / 12.0);
  EXPECT_NEAR(GainDb(show.equalisers[0], 14000.0 / edge), 2.0, 0.05);
  EXPECT_NEAR(GainDb(show.equalisers[1], 50.0 / edge), 3.5, 0.05);
  EXPECT_NEAR(GainDb(show.equalisers[1], 50.0 * edge), 3.5, 0.05);
}

TEST(PeakingEq, LeavesFarFrequenciesAlone) {
  const music::EffectsSettings show = condemo::SongEffects();
  EXPECT_NEAR(GainDb(show.equalisers[0], 100.0), 0.0, 0.05);
  EXPECT_NEAR(GainDb(show.equalisers[1], 10000.0), 0.0, 0.05);
  EXPECT_NEAR(GainDb({.centreHz = 1000.0f, .bandwidthSemitones = 12.0f, .gainDb = -9.0f}, 1000.0), -9.0, 0.02);
}

TEST(PeakingEq, LimitsSettingsOutOfRange) {
  // A NaN gain counts as the lowest gain; a centre above the band is kept
  // below half the sample rate, where the filter stays stable.
  EXPECT_NEAR(GainDb({.centreHz = 1000.0f, .bandwidthSemitones = 12.0f, .gainDb = NAN}, 1000.0), -24.0, 0.05);
  const double high = GainDb({.centreHz = 1e9f, .bandwidthSemitones = 100.0f, .gainDb = 1e9f}, 0.45 * 44100.0);
  EXPECT_NEAR(high, 24.0, 0.05);
}

}  // namespace
