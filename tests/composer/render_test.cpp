// Rendering, resampling, measuring and encoding: rows land on exact frames,
// the resampler keeps tones and levels, WAV and Ogg Vorbis files hold what
// was rendered, and encoding the same audio twice gives the same bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <stdexcept>

#include "audio_files.h"
#include "render.h"
#include "resample.h"
#include "score.h"
#include "vorbis.h"

namespace {

using namespace kalt::composer;
using kalt::composer::testing::DecodeOgg;
using kalt::composer::testing::ReadBytes;

std::vector<float> Sine(double hz, int rate, std::size_t frames, double amplitude = 0.5) {
  std::vector<float> x(frames);
  for (std::size_t i = 0; i < frames; ++i)
    x[i] = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate));
  return x;
}

double Rms(const std::vector<float>& x, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(x[i]) * x[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

// The share of the energy of x[from, to) that a sine of `hz` explains.
double ToneFit(const std::vector<float>& x, std::size_t from, std::size_t to, double hz, int rate) {
  double ss = 0, sc = 0, cc = 0, xs = 0, xc = 0, xx = 0;
  for (std::size_t i = from; i < to; ++i) {
    const double w = 2 * std::numbers::pi * hz * static_cast<double>(i) / rate;
    const double s = std::sin(w), c = std::cos(w);
    ss += s * s, sc += s * c, cc += c * c, xs += x[i] * s, xc += x[i] * c, xx += static_cast<double>(x[i]) * x[i];
  }
  const double det = ss * cc - sc * sc;
  const double a = (xs * cc - xc * sc) / det, b = (xc * ss - xs * sc) / det;
  return (a * xs + b * xc) / xx;
}

TEST(Render, ExactTickRateHoldsWholeTicks) {
  EXPECT_EQ(ExactTickRate(125), 44100);
  EXPECT_EQ(ExactTickRate(144), 44064);
  EXPECT_EQ(ExactTickRate(116), 44080);
  for (int tempo = 32; tempo <= 255; ++tempo) {
    const int rate = ExactTickRate(tempo);
    EXPECT_EQ(static_cast<long>(rate) * 5 % (2L * tempo), 0) << tempo;        // whole frames per tick
    EXPECT_LT(std::abs(rate - 44100), 300) << tempo;
  }
}

// Eight bars at 144 BPM with a tick on every bar: libopenmpt alone would
// drift by 60 frames a bar.
TEST(Render, RowsLandOnExactFrames) {
  const Score score = ParseScore(
      "tempo 144\nchannels 1\ninstrument 1 tick block decay=0.02\n"
      "phrase bar step 16\n  X\nend\npattern p 64\n  1 tick bar\nend\norder p p\n");
  const Rendering r = RenderModule(kalt::xm::WriteXm(BuildModule(score)));
  constexpr std::size_t kBar = 73500;  // 60 / 144 × 4 s at 44.1 kHz
  ASSERT_EQ(r.left.size(), 8 * kBar);
  for (std::size_t bar = 0; bar < 8; ++bar) {
    std::size_t onset = bar * kBar > 100 ? bar * kBar - 100 : 0;
    while (std::fabs(r.left[onset]) < 0.01f) ++onset;
    EXPECT_LE(onset > bar * kBar ? onset - bar * kBar : bar * kBar - onset, 3u) << bar;
  }
  ASSERT_EQ(r.positions.size(), 2u);
  EXPECT_EQ(r.positions[1].first, 1);
  EXPECT_NEAR(static_cast<double>(r.positions[1].second), 4.0 * kBar, 500);
}

TEST(Render, UnreadableModuleThrows) {
  EXPECT_THROW(RenderModule({1, 2, 3}), std::runtime_error);
}

TEST(Resample, KeepsTonesAndLevels) {
  const std::vector<float> same = Sine(1000, 44100, 1000);
  EXPECT_EQ(Resample(same, 44100, 44100), same);
  for (const double hz : {50.0, 1000.0, 10000.0, 18000.0}) {
    const std::vector<float> out = Resample(Sine(hz, 44064, 44064), 44064, 44100);
    ASSERT_EQ(out.size(), 44100u);
    EXPECT_NEAR(20 * std::log10(Rms(out, 1000, 43100) / (0.5 / std::numbers::sqrt2)), 0.0, 0.1) << hz;
    EXPECT_GT(ToneFit(out, 1000, 43100, hz, 44100), 0.9999) << hz;
  }
  // Down by a large step: what lies above the new Nyquist frequency is gone.
  const std::vector<float> down = Resample(Sine(15000, 44100, 44100), 44100, 22050);
  ASSERT_EQ(down.size(), 22050u);
  EXPECT_LT(Rms(down, 500, 21500), 0.001);
  EXPECT_THROW(Resample(same, 0, 44100), std::invalid_argument);
  EXPECT_THROW(Resample(same, 44100, 100003), std::invalid_argument);  // 100,003 phases
}

TEST(Levels, PeakRmsDcAndSilence) {
  Rendering r;
  r.left.assign(44100, 0.5f);
  r.right.assign(44100, -0.25f);
  std::fill(r.left.begin() + 1000, r.left.begin() + 23050, 0.0f);
  std::fill(r.right.begin() + 1000, r.right.begin() + 23050, 0.0f);
  const Levels l = Measure(r, 0, 44100);
  EXPECT_DOUBLE_EQ(l.peak, 0.5);
  EXPECT_NEAR(l.dc, 0.125 * 22050 / 44100, 1e-9);
  EXPECT_NEAR(l.rms, std::sqrt((0.25 + 0.0625) / 2 * 22050 / 44100), 1e-9);
  EXPECT_NEAR(l.longestSilence, 0.5, 1e-9);
  NormalisePeak(r, 0.9);
  EXPECT_NEAR(Measure(r, 0, 44100).peak, 0.9, 1e-6);
  EXPECT_NEAR(Decibels(0.1), -20.0, 1e-12);
}

TEST(Files, WavHoldsTheRenderingClipped) {
  Rendering r;
  r.left = {0.5f, 1.5f, -2.0f};
  r.right = {-0.5f, 0.0f, 0.25f};
  const std::string path = (std::filesystem::path(::testing::TempDir()) / "kalt_render_test.wav").string();
  WriteWav(r, path);
  const std::vector<std::uint8_t> b = ReadBytes(path);
  std::filesystem::remove(path);
  ASSERT_EQ(b.size(), 44u + 12u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
  const auto u16 = [&](std::size_t at) { return b[at] | b[at + 1] << 8; };
  const auto s16 = [&](std::size_t at) { return static_cast<std::int16_t>(u16(at)); };
  EXPECT_EQ(u16(22), 2);                         // channels
  EXPECT_EQ(u16(24) | u16(26) << 16, 44100);     // rate
  EXPECT_EQ(u16(34), 16);                        // bits
  EXPECT_EQ(u16(40), 12);                        // data bytes
  EXPECT_EQ(s16(44), 16384);
  EXPECT_EQ(s16(46), -16384);
  EXPECT_EQ(s16(48), 32767);
  EXPECT_EQ(s16(52), -32767);
  EXPECT_EQ(s16(54), 8192);
}

TEST(Files, VorbisRoundTripAndSameBytesTwice) {
  const std::vector<float> left = Sine(440, 44100, 44100), right = Sine(660, 44100, 44100, 0.3);
  const std::vector<std::uint8_t> ogg = EncodeVorbis(left, right, 44100, 0.5f, {"tone", "test"});
  EXPECT_EQ(EncodeVorbis(left, right, 44100, 0.5f, {"tone", "test"}), ogg);
  const auto decoded = DecodeOgg(ogg);
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.rate, 44100);
  ASSERT_EQ(decoded.left.size(), 44100u);
  EXPECT_GT(ToneFit(decoded.left, 2000, 42000, 440, 44100), 0.999);
  EXPECT_GT(ToneFit(decoded.right, 2000, 42000, 660, 44100), 0.999);
  EXPECT_NEAR(Rms(decoded.right, 2000, 42000), 0.3 / std::numbers::sqrt2, 0.01);
  EXPECT_THROW(EncodeVorbis(left, Sine(1, 44100, 10), 44100, 0.5f, {}), std::invalid_argument);
  EXPECT_THROW(EncodeVorbis(left, right, 44100, 3.0f, {}), std::invalid_argument);
}

}  // namespace
