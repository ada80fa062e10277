#include "music/reverb.h"

#include <gtest/gtest.h>

#include <cmath>

#include "music/song.h"
#include "signals.h"

namespace {

using signals::Db;
using signals::Rms;

// The decay time (to -60 dB) of the reverberation of a sine at `hz`: the
// sine plays for a second, then the tail's level is taken in two windows
// and the fall between them extrapolated to 60 dB.
double DecaySeconds(const music::ReverbSettings& settings, double hz, double firstMs, double secondMs) {
  music::Reverb reverb = music::MakeReverb(settings, signals::kRate);
  const std::size_t tone = 44100;
  std::vector<float> x = signals::Sine(hz, 0.5, 3 * tone);
  std::fill(x.begin() + 2 * tone, x.end(), 0.0f);
  music::Process(reverb, x.data(), 3 * tone);
  const auto window = [&](double ms) {
    const std::size_t from = tone + static_cast<std::size_t>(ms * 44.1);
    return Rms(x, from, from + 2205);  // 50 ms
  };
  const double fallDb = Db(window(firstMs) / window(secondMs));
  return 60.0 * (secondMs - firstMs) / 1000.0 / fallDb;
}

music::ReverbSettings Audible(music::ReverbSettings settings) {
  settings.mixDb = 0.0f;  // all of the tail, none of it drowned by rounding
  return settings;
}

TEST(Reverb, LowFrequenciesDecayInTheReverbTime) {
  const music::ReverbSettings show = condemo::SongEffects().reverb;
  EXPECT_NEAR(DecaySeconds(Audible(show), 100.0, 100.0, 700.0), 1.0, 0.1);
  EXPECT_NEAR(DecaySeconds(Audible(show), 440.0, 100.0, 700.0), 1.0, 0.1);
}

TEST(Reverb, HighFrequenciesDecayFasterByTheRatio) {
  const music::ReverbSettings show = condemo::SongEffects().reverb;
  EXPECT_NEAR(DecaySeconds(Audible(show), 21000.0, 50.0, 250.0), 0.3, 0.03);
}

TEST(Reverb, MixesTheReverberationAtItsLevel) {
  // The show's -50 dB: the output minus the direct sound, for steady noise.
  music::Reverb reverb = music::MakeReverb(condemo::SongEffects().reverb, signals::kRate);
  const std::size_t frames = 5 * 44100;
  const std::vector<float> in = signals::Noise(0.5, frames);
  std::vector<float> out = in;
  music::Process(reverb, out.data(), frames);
  std::vector<float> wet(out.size());
  for (std::size_t i = 0; i < out.size(); ++i) wet[i] = out[i] - in[i];
  for (int channel = 0; channel < 2; ++channel) {
    EXPECT_NEAR(Db(Rms(wet, 2 * 44100, frames, channel) / Rms(in, 2 * 44100, frames, channel)), -50.0, 1.5);
  }
}

TEST(Reverb, SilenceStaysSilent) {
  music::Reverb reverb = music::MakeReverb(condemo::SongEffects().reverb, signals::kRate);
  std::vector<float> x = signals::Constant(0.0f, 44100);
  music::Process(reverb, x.data(), 44100);
  for (float v : x) ASSERT_EQ(v, 0.0f);
}

}  // namespace
