#include "music/effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "music/limiter.h"
#include "music/song.h"
#include "signals.h"

namespace {

music::EffectsChain ShowChain() { return music::MakeEffectsChain(condemo::SongEffects(), signals::kRate); }

// Every sample is a number within full scale.
void ExpectClean(const std::vector<float>& x) {
  for (std::size_t i = 0; i < x.size(); ++i) {
    ASSERT_TRUE(std::isfinite(x[i])) << i;
    ASSERT_LE(std::fabs(x[i]), 1.0f) << i;
  }
}

TEST(EffectsChain, SilenceGivesSilence) {
  music::EffectsChain chain = ShowChain();
  std::vector<float> x = signals::Constant(0.0f, 3 * 44100);
  music::Process(chain, x.data(), 3 * 44100);
  for (float v : x) ASSERT_EQ(v, 0.0f);
  EXPECT_EQ(music::LatencyFrames(chain), 0u);
}

TEST(EffectsChain, FullScaleInputNeverClips) {
  // The +7 dB bass lift drives a full-scale 50 Hz square far beyond full
  // scale before the compressor and limiter; noise and a 14 kHz sine too.
  for (const std::vector<float>& signal :
       {signals::Sine(50.0, 1.0, 88200), signals::Noise(1.0, 88200), signals::Sine(14000.0, 1.0, 88200)}) {
    std::vector<float> x = signal;
    music::EffectsChain chain = ShowChain();
    music::Process(chain, x.data(), 88200);
    ExpectClean(x);
  }
  std::vector<float> square(2 * 88200);
  for (std::size_t i = 0; i < 88200; ++i) square[2 * i] = square[2 * i + 1] = (i / 441) % 2 ? 1.0f : -1.0f;
  music::EffectsChain chain = ShowChain();
  music::Process(chain, square.data(), 88200);
  ExpectClean(square);
  float peak = 0.0f;
  for (float v : square) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 0.95f);  // limited, not crushed
}

TEST(EffectsChain, NonFiniteInputDoesNotPoisonIt) {
  music::EffectsChain chain = ShowChain();
  std::vector<float> x = signals::Sine(440.0, 0.5, 4410);
  x[100] = std::numeric_limits<float>::quiet_NaN();
  x[201] = std::numeric_limits<float>::infinity();
  x[302] = -1e30f;
  music::Process(chain, x.data(), 4410);
  ExpectClean(x);
  // Afterwards it plays on normally.
  std::vector<float> y = signals::Sine(440.0, 0.25, 44100);
  music::Process(chain, y.data(), 44100);
  ExpectClean(y);
  EXPECT_NEAR(signals::Rms(y, 22050, 44100), 0.25 / std::sqrt(2.0) * std::pow(10.0, 1.0 / 20.0), 0.02);
}

TEST(Limiter, HoldsEveryPeakUnderItsCeiling) {
  music::Limiter limiter = music::MakeLimiter(signals::kRate);
  std::vector<float> x = signals::Sine(100.0, 4.0, 44100);
  x[1001] = 1e6f;
  music::Process(limiter, x.data(), 44100);
  for (float v : x) ASSERT_LE(std::fabs(v), 0.98856f);
  // Within full scale it changes nothing once recovered.
  music::Limiter fresh = music::MakeLimiter(signals::kRate);
  std::vector<float> quiet = signals::Sine(100.0, 0.9, 4410);
  const std::vector<float> before = quiet;
  music::Process(fresh, quiet.data(), 4410);
  EXPECT_EQ(quiet, before);
}

}  // namespace
