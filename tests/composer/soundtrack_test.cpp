// gldemo's soundtrack as the build wrote it (../Data20/wierd-thing-one.ogg
// from the program folder): a 44.1 kHz stereo Vorbis stream exactly 176 bars
// of 144 BPM long, whose score puts the heavy hits on the first row of
// exactly the bars where the timeline flashes, with sound levels and a
// quiet black break, the same bytes from every run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "audio_files.h"
#include "render.h"
#include "score.h"

namespace {

using namespace kalt::composer;
using kalt::composer::testing::DecodedOgg;
using kalt::composer::testing::DecodeOgg;
using kalt::composer::testing::ReadBytes;

constexpr int kBars = 176;
constexpr int kRowsPerBar = 16;
constexpr std::size_t kFramesPerBar = 73500;  // 60 / 144 × 4 s at 44.1 kHz
const std::string kOgg = "../Data20/wierd-thing-one.ogg";
const std::set<int> kHits = {6, 15};  // boom and crash

// The bars at whose start the timeline's flash fires: every bar in rows 0-3
// and 16-27; every second bar in 4-7, 32-57 and from 60; bars 8 and 12; none
// in 28-31 and in the black break 58-59.
bool Flashes(int bar) {
  if (bar < 4 || (bar >= 16 && bar < 28)) return true;
  if (bar < 8) return bar % 2 == 0;
  if (bar < 16) return bar % 4 == 0;
  if (bar < 32 || bar == 58 || bar == 59) return false;
  return bar % 2 == 0;
}

const DecodedOgg& Soundtrack() {
  static const DecodedOgg decoded = DecodeOgg(ReadBytes(kOgg));
  return decoded;
}

Score SoundtrackScore() {
  std::ifstream file(std::string(KALT_SOURCE_DIR) + "/assets/songs/wierd-thing-one.score");
  return ParseScore(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
}

TEST(Soundtrack, IsExactly176BarsOfVorbisAt44100HzStereo) {
  const DecodedOgg& s = Soundtrack();
  ASSERT_TRUE(s.ok) << kOgg << " is missing or not Ogg Vorbis";
  EXPECT_EQ(s.rate, 44100);
  EXPECT_EQ(s.channels, 2);
  EXPECT_EQ(s.left.size(), kBars * kFramesPerBar);
}

TEST(Soundtrack, ScoreIs176BarsAt144Bpm) {
  const Score score = SoundtrackScore();
  EXPECT_EQ(score.tempo, 144);
  EXPECT_EQ(score.speed, 6);  // 4 rows a beat, 16 a bar
  int rows = 0;
  for (const int p : score.orders) {
    EXPECT_EQ(score.patterns[static_cast<std::size_t>(p)].pattern.rows % kRowsPerBar, 0) << score.patterns[p].name;
    rows += score.patterns[static_cast<std::size_t>(p)].pattern.rows;
  }
  EXPECT_EQ(rows, kBars * kRowsPerBar);
}

TEST(Soundtrack, HitsFallExactlyOnTheFlashingBars) {
  const Score score = SoundtrackScore();
  std::set<int> hitBars;
  int bar0 = 0;
  for (const int p : score.orders) {
    const kalt::xm::Pattern& pattern = score.patterns[static_cast<std::size_t>(p)].pattern;
    for (int row = 0; row < pattern.rows; ++row)
      for (int c = 0; c < pattern.channels; ++c) {
        const kalt::xm::Note& n = pattern.at(row, c);
        if (n.note == 0 || n.note > kalt::xm::kNoteCount || !kHits.count(n.instrument)) continue;
        const int bar = bar0 + row / kRowsPerBar;
        EXPECT_EQ(row % kRowsPerBar, 0) << "a hit inside bar " << bar;
        hitBars.insert(bar);
      }
    bar0 += pattern.rows / kRowsPerBar;
  }
  for (int bar = 0; bar < kBars; ++bar) EXPECT_EQ(hitBars.count(bar) == 1, Flashes(bar)) << "bar " << bar;
}

TEST(Soundtrack, LevelsAndTheBlackBreak) {
  const DecodedOgg& s = Soundtrack();
  ASSERT_TRUE(s.ok);
  Rendering r;
  r.left = s.left;
  r.right = s.right;
  const auto bars = [&](int from, int to) { return Measure(r, from * kFramesPerBar, to * kFramesPerBar); };
  const Levels all = bars(0, kBars);
  EXPECT_LT(all.peak, 0.97);
  EXPECT_GT(all.peak, 0.8);
  EXPECT_LT(std::abs(all.dc), 0.003);
  for (int bar = 0; bar < kBars; bar += 4) {
    if (bar == 56) continue;  // holds the break
    const Levels l = bars(bar, bar + 4);
    EXPECT_GT(Decibels(l.rms), -26.0) << "bars " << bar << "-" << bar + 3;
    EXPECT_LT(Decibels(l.rms), -10.0) << "bars " << bar << "-" << bar + 3;
    EXPECT_LT(l.longestSilence, 0.25) << "bars " << bar << "-" << bar + 3;
  }
  EXPECT_LT(Decibels(bars(58, 60).rms), Decibels(bars(60, 62).rms) - 6);
}

TEST(Soundtrack, EncodedTheSameEveryRun) {
  const std::string out = (std::filesystem::path(::testing::TempDir()) / "kalt_soundtrack_test.ogg").string();
  const std::string command = std::string(KALT_TOOLS_DIR) + "/composer ogg " + KALT_SOURCE_DIR +
                              "/assets/songs/wierd-thing-one.score " + out;
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_TRUE(ReadBytes(out) == ReadBytes(kOgg)) << "a new run differs from the built soundtrack";
  std::filesystem::remove(out);
}

}  // namespace
