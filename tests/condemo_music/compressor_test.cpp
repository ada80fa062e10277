#include "music/compressor.h"

#include <gtest/gtest.h>

#include <cmath>

#include "music/song.h"
#include "signals.h"

namespace {

using signals::Db;

// The output level, in dBFS, of the show's compressor for a steady input at
// `levelDb` once it has settled.
double SettledDb(double levelDb) {
  music::Compressor compressor = music::MakeCompressor(condemo::SongEffects().compressor, signals::kRate);
  const auto level = static_cast<float>(std::pow(10.0, levelDb / 20.0));
  std::vector<float> x = signals::Constant(level, 44100);
  music::Process(compressor, x.data(), 44100);
  EXPECT_EQ(x[2 * 44099], x[2 * 44099 + 1]);
  return Db(x[2 * 44099]);
}

TEST(Compressor, FollowsItsStaticCurve) {
  // Threshold -5 dB, ratio 1.5, make-up +1 dB: below the threshold the level
  // gains 1 dB; above it each 1.5 dB in give 1 dB out.
  EXPECT_NEAR(SettledDb(-30.0), -29.0, 0.01);
  EXPECT_NEAR(SettledDb(-6.0), -5.0, 0.01);
  EXPECT_NEAR(SettledDb(-5.0), -4.0, 0.01);
  EXPECT_NEAR(SettledDb(-2.0), -5.0 + 3.0 / 1.5 + 1.0, 0.01);
  EXPECT_NEAR(SettledDb(0.0), -5.0 + 5.0 / 1.5 + 1.0, 0.01);
  EXPECT_NEAR(SettledDb(10.0), -5.0 + 15.0 / 1.5 + 1.0, 0.01);
}

TEST(Compressor, AttacksAndReleasesWithItsTimeConstants) {
  music::Compressor compressor = music::MakeCompressor(condemo::SongEffects().compressor, signals::kRate);
  // A step from quiet to 0 dBFS: the full reduction is 5 - 5 / 1.5 dB; after
  // the 1 ms attack (44.1 frames) 1 - 1/e of it is there.
  std::vector<float> loud = signals::Constant(1.0f, 4410);
  music::Process(compressor, loud.data(), 4410);
  const double fullDb = -(5.0 - 5.0 / 1.5);
  const double afterAttack = (Db(loud[2 * 44]) + Db(loud[2 * 45])) / 2.0 - 1.0;  // between frames 44 and 45
  EXPECT_NEAR(afterAttack, fullDb * (1.0 - std::exp(-1.0)), 0.05);
  // Back below the threshold: after the 50 ms release (2205 frames) 1/e of
  // the reduction is left.
  std::vector<float> quiet = signals::Constant(0.1f, 4410);
  music::Process(compressor, quiet.data(), 4410);
  EXPECT_NEAR(Db(quiet[2 * 2205] / 0.1) - 1.0, fullDb * std::exp(-1.0), 0.05);
}

TEST(Compressor, PreDelayHoldsTheSoundBackByItsTime) {
  EXPECT_EQ(music::LatencyFrames(music::MakeCompressor(condemo::SongEffects().compressor, signals::kRate)), 0u);
  music::CompressorSettings settings = condemo::SongEffects().compressor;
  settings.preDelayMs = 2.0f;
  music::Compressor compressor = music::MakeCompressor(settings, signals::kRate);
  ASSERT_EQ(music::LatencyFrames(compressor), 88u);
  std::vector<float> x = signals::Constant(0.0f, 200);
  x[0] = 0.5f;
  music::Process(compressor, x.data(), 200);
  for (std::size_t i = 0; i < 200; ++i) EXPECT_EQ(x[2 * i] != 0.0f, i == 88) << i;
}

}  // namespace
