// condemo's song as the build wrote it (DiRURODU.XM in the program folder):
// the order list the show's scenes follow, the instruments that fire its
// flashes struck in every section, the beat instrument on every beat, the
// length of the show, its levels section by section, a second player, and
// the same bytes from every run of the composer.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "audio_files.h"
#include "kalt_test/tools.h"
#include "render.h"

namespace {

using kalt::composer::testing::ReadBytes;

constexpr int kEndPosition = 21;  // the show ends when the song reaches it
constexpr int kRowsPerBeat = 4;
const std::set<int> kFlashA = {5, 6, 15};
const std::set<int> kFlashB = {7, 8, 17};
constexpr int kBeat = 12;

const std::vector<std::uint8_t>& SongBytes() {
  static const std::vector<std::uint8_t> bytes = ReadBytes("DiRURODU.XM");
  return bytes;
}

openmpt::module& Song() {
  static std::ostringstream quiet;
  static openmpt::module mod(SongBytes(), quiet);
  return mod;
}

// A note struck at (position, row) with an instrument: a row's note with its
// instrument number, or a note without one on a channel whose last
// instrument it is.
struct Strike {
  int position, row, instrument;
};

std::vector<Strike> Strikes() {
  openmpt::module& mod = Song();
  std::vector<Strike> strikes;
  std::vector<int> current(static_cast<std::size_t>(mod.get_num_channels()), 0);
  for (int position = 0; position < mod.get_num_orders(); ++position) {
    const int pattern = mod.get_order_pattern(position);
    for (int row = 0; row < mod.get_pattern_num_rows(pattern); ++row)
      for (int c = 0; c < mod.get_num_channels(); ++c) {
        const int note = mod.get_pattern_row_channel_command(pattern, row, c, openmpt::module::command_note);
        const int instrument = mod.get_pattern_row_channel_command(pattern, row, c, openmpt::module::command_instrument);
        if (instrument != 0) current[static_cast<std::size_t>(c)] = instrument;
        if (note >= 1 && note <= 120 && current[static_cast<std::size_t>(c)] != 0)
          strikes.push_back({position, row, current[static_cast<std::size_t>(c)]});
      }
  }
  return strikes;
}

double RowSeconds() { return Song().get_current_speed() * 2.5 / Song().get_current_tempo(); }

TEST(Song, LoadsWithTheShowsOrderList) {
  ASSERT_FALSE(SongBytes().empty()) << "DiRURODU.XM is missing from the program folder";
  openmpt::module& mod = Song();
  EXPECT_EQ(mod.get_metadata("type"), "xm");
  ASSERT_GE(mod.get_num_orders(), kEndPosition + 1);
  // The ending is short: a bar at most, shorter than any other position.
  const int endRows = mod.get_pattern_num_rows(mod.get_order_pattern(kEndPosition));
  EXPECT_LE(endRows, 16);
  for (int position = 0; position < kEndPosition; ++position)
    EXPECT_GT(mod.get_pattern_num_rows(mod.get_order_pattern(position)), endRows) << position;
  // The picture fades out over 3.7 s of position 20: it lasts longer.
  EXPECT_GE(mod.get_pattern_num_rows(mod.get_order_pattern(20)) * RowSeconds(), 3.7);
}

TEST(Song, KeepsItsTempoAndNeverJumps) {
  openmpt::module& mod = Song();
  for (int p = 0; p < mod.get_num_patterns(); ++p)
    for (int row = 0; row < mod.get_pattern_num_rows(p); ++row)
      for (int c = 0; c < mod.get_num_channels(); ++c) {
        const std::string effect = mod.format_pattern_row_channel_command(p, row, c, openmpt::module::command_effect);
        const std::string param = mod.format_pattern_row_channel_command(p, row, c, openmpt::module::command_parameter);
        EXPECT_TRUE(effect != "B" && effect != "D" && effect != "F") << effect << param << " in pattern " << p;
        if (effect == "E") {
          EXPECT_TRUE(param[0] != '6' && param[0] != 'D' && param[0] != 'E') << "E" << param;
        }
      }
}

TEST(Song, ShowLastsTwoAndAHalfToThreeAndAHalfMinutes) {
  openmpt::module& mod = Song();
  const double total = mod.get_duration_seconds();
  EXPECT_GE(total, 150.0);
  EXPECT_LE(total, 210.0);
  int rows = 0;
  for (int position = 0; position < kEndPosition; ++position)
    rows += mod.get_pattern_num_rows(mod.get_order_pattern(position));
  EXPECT_GE(rows * RowSeconds(), 150.0);
  EXPECT_LE(rows * RowSeconds(), 210.0);
}

TEST(Song, FlashInstrumentsExistAndStrikeInEverySection) {
  const std::vector<std::string> names = Song().get_instrument_names();
  for (const int i : {5, 6, 7, 8, 12, 15, 17}) {
    ASSERT_GE(static_cast<int>(names.size()), i);
    EXPECT_FALSE(names[static_cast<std::size_t>(i - 1)].empty()) << i;
  }
  std::vector<std::set<int>> struck(kEndPosition + 1);
  for (const Strike& s : Strikes())
    if (s.position <= kEndPosition) struck[static_cast<std::size_t>(s.position)].insert(s.instrument);
  std::set<int> everUsed;
  for (int position = 0; position < 20; ++position) {
    const std::set<int>& in = struck[static_cast<std::size_t>(position)];
    everUsed.insert(in.begin(), in.end());
    const auto any = [&](const std::set<int>& group) {
      for (int i : group)
        if (in.count(i)) return true;
      return false;
    };
    EXPECT_TRUE(any(kFlashA)) << "no heavy hit (5, 6, 15) at position " << position;
    EXPECT_TRUE(any(kFlashB)) << "no snare-like hit (7, 8, 17) at position " << position;
  }
  for (const int i : {5, 6, 7, 8, 15, 17}) EXPECT_TRUE(everUsed.count(i)) << "instrument " << i << " never plays";
}

TEST(Song, BeatInstrumentOnEveryBeatAndNowhereElse) {
  openmpt::module& mod = Song();
  std::set<std::pair<int, int>> beats;
  for (const Strike& s : Strikes())
    if (s.instrument == kBeat) {
      EXPECT_EQ(s.row % kRowsPerBeat, 0) << "off the beat at position " << s.position << " row " << s.row;
      beats.insert({s.position, s.row});
    }
  for (int position = 0; position <= kEndPosition; ++position)
    for (int row = 0; row < mod.get_pattern_num_rows(mod.get_order_pattern(position)); row += kRowsPerBeat)
      EXPECT_TRUE(beats.count({position, row})) << "no beat at position " << position << " row " << row;
}

// Listening by numbers: every section audible, none clipping or lopsided,
// the fade-out fading.
TEST(Song, LevelsSectionBySection) {
  using namespace kalt::composer;
  const Rendering r = RenderModule(SongBytes());
  const auto span = [&](int position) {
    for (std::size_t i = 0; i < r.positions.size(); ++i)
      if (r.positions[i].first == position) {
        const std::size_t end = i + 1 < r.positions.size() ? r.positions[i + 1].second : r.left.size();
        return std::pair{r.positions[i].second, end};
      }
    ADD_FAILURE() << "position " << position << " never plays";
    return std::pair<std::size_t, std::size_t>{0, 0};
  };
  for (int position = 0; position < 20; ++position) {
    const auto [from, to] = span(position);
    const Levels all = Measure(r, from, to);
    EXPECT_LT(all.peak, 0.85) << position;
    EXPECT_GT(Decibels(all.rms), position == 0 ? -34.0 : -27.0) << position;
    EXPECT_LT(Decibels(all.rms), -14.0) << position;
    EXPECT_LT(std::abs(all.dc), 0.005) << position;
    EXPECT_LT(all.longestSilence, 0.25) << position;
    EXPECT_NEAR(Decibels(all.rmsLeft), Decibels(all.rmsRight), 2.0) << position;
  }
  // Its last half second (ending a tenth before position 21, which the
  // positions' 10 ms steps might blur) is far below its first.
  const auto [from, to] = span(20);
  const auto tenth = static_cast<std::size_t>(kRenderRate / 10);
  EXPECT_LT(Decibels(Measure(r, to - 6 * tenth, to - tenth).rms), Decibels(Measure(r, from, from + 10 * tenth).rms) - 20);
}

TEST(Song, XmpPlaysIt) {
  int status = -1;
  const std::string report = kalt_test::RunCommand(
      "xmp --norc --load-only -v " + std::filesystem::absolute("DiRURODU.XM").string() + " 2>&1", &status);
  ASSERT_EQ(status, 0) << report;
  EXPECT_NE(report.find("XM 1.04"), std::string::npos) << report;
  EXPECT_NE(report.find("Module name  : DiRURODU"), std::string::npos) << report;
}

TEST(Song, ComposedTheSameEveryRun) {
  const std::string out = (std::filesystem::path(::testing::TempDir()) / "kalt_song_test.xm").string();
  const std::string command = std::string(KALT_TOOLS_DIR) + "/composer xm " + KALT_SOURCE_DIR +
                              "/assets/songs/DiRURODU.score " + out;
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(ReadBytes(out) == SongBytes()) << "run " << run << " differs from the built DiRURODU.XM";
  }
  std::filesystem::remove(out);
}

}  // namespace
