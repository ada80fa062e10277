// When the player says a note is heard: exact frames on tiny modules.
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <unistd.h>

#include <cstdio>
#include <utility>

#include "modules.h"
#include "music/player.h"

namespace {

using kalt::xm::kKeyOff;
using kalt::xm::kMiddleC;
using modules::Hit;
using modules::Module;
using modules::Note;

struct Heard {
  std::uint64_t frame;
  int instrument, channel, order, row;
  bool operator==(const Heard&) const = default;
};

std::vector<Heard> Simplify(const std::vector<music::Trigger>& triggers) {
  std::vector<Heard> heard;
  for (const music::Trigger& t : triggers) heard.push_back({t.frame, t.instrument, t.channel, t.order, t.row});
  return heard;
}

void PrintTo(const Heard& h, std::ostream* os) {
  *os << "{" << h.frame << ", i" << h.instrument << ", c" << h.channel << ", o" << h.order << " r" << h.row << "}";
}

// Speed 6, tempo 125 (ticks of 882 frames, rows of 5292) until row 2 sets
// tempo 150 (ticks of 735, rows of 4410); strikes, and cells that are not.
Module Timing() {
  Module m = modules::Make(2, 20, 1, 8);
  kalt::xm::Pattern& p = m.patterns[0];
  p.at(0, 0) = Hit(12);
  p.at(0, 1) = Hit(12);
  p.at(1, 0) = Hit(5);
  p.at(2, 1) = Hit(7, modules::kSpeedTempo, 150);
  p.at(3, 0) = Note{kMiddleC, 0, 0, modules::kExtended, 0xD3};  // channel's instrument 5, 3 ticks late
  p.at(4, 0) = Note{0, 6, 0, 0, 0};                             // names instrument 6, strikes nothing
  p.at(4, 1) = Note{kKeyOff, 8, 0, 0, 0};                       // a key-off is no strike
  p.at(5, 0) = Note{kMiddleC, 0, 0, 0, 0};                      // instrument 6 now
  p.at(5, 1) = Hit(15, modules::kTonePorta, 0x10);              // a slide target, not a strike
  p.at(6, 0) = Note{kMiddleC, 17, modules::kVolumeTonePorta, 0, 0};
  p.at(6, 1) = Hit(8, modules::kExtended, 0xD7);                // delayed beyond the row: never
  p.at(7, 1) = Hit(17);
  return m;
}

// Speed 3 (rows of 2646 frames): a loop, a pattern delay, a jump and a
// break, over orders 0..3.
Module Jumps() {
  Module m = modules::Make(1, 10, 4, 4, 3);
  m.patterns[0].at(0, 0) = Hit(1, modules::kExtended, 0x60);     // loop start
  m.patterns[0].at(1, 0) = Hit(2, modules::kExtended, 0x62);     // back to it twice
  m.patterns[0].at(2, 0) = Hit(3, modules::kExtended, 0xE2);     // the row lasts three rows
  m.patterns[0].at(3, 0) = Hit(4, modules::kPositionJump, 2);    // order 1 is skipped
  m.patterns[1].at(0, 0) = Hit(9);
  m.patterns[2].at(0, 0) = Hit(5, modules::kPatternBreak, 0x01);  // to row 1 of order 3
  m.patterns[3].at(0, 0) = Hit(9);
  m.patterns[3].at(1, 0) = Hit(6);
  return m;
}

TEST(Triggers, EachStrikeIsTimedToItsFrame) {
  modules::File file(Timing());
  auto player = modules::Open(file);
  ASSERT_TRUE(player);
  auto heard = modules::Record(*player, 20);
  modules::Listen(*player, 50000);
  EXPECT_EQ(Simplify(*heard), (std::vector<Heard>{
                                  {0, 12, 0, 0, 0},
                                  {0, 12, 1, 0, 0},
                                  {5292, 5, 0, 0, 1},
                                  {10584, 7, 1, 0, 2},
                                  {10584 + 4410 + 3 * 735, 5, 0, 0, 3},
                                  {10584 + 3 * 4410, 6, 0, 0, 5},
                                  {10584 + 5 * 4410, 17, 1, 0, 7},
                              }));
  EXPECT_TRUE(player->EndHeard());
}

TEST(Triggers, FollowLoopsDelaysJumpsAndBreaks) {
  modules::File file(Jumps());
  auto player = modules::Open(file);
  ASSERT_TRUE(player);
  auto heard = modules::Record(*player, 10);
  modules::Listen(*player, 40000);
  const std::uint64_t row = 2646;
  EXPECT_EQ(Simplify(*heard), (std::vector<Heard>{
                                  {0, 1, 0, 0, 0},
                                  {row, 2, 0, 0, 1},
                                  {2 * row, 1, 0, 0, 0},
                                  {3 * row, 2, 0, 0, 1},
                                  {4 * row, 1, 0, 0, 0},
                                  {5 * row, 2, 0, 0, 1},
                                  {6 * row, 3, 0, 0, 2},
                                  {9 * row, 4, 0, 0, 3},
                                  {10 * row, 5, 0, 2, 0},
                                  {11 * row, 6, 0, 3, 1},
                              }));
}

TEST(Triggers, ARowPlayingAgainInPlaceStrikesAgain) {
  // One row, the song looping onto it: a strike every row; with a pattern
  // delay of one row, every two.
  for (const int delay : {0, 1}) {
    Module m = modules::Make(1, 12, 1, 1);
    m.patterns[0].at(0, 0) = delay ? Hit(12, modules::kExtended, 0xE1) : Hit(12);
    modules::File file(m);
    auto player = modules::Open(file, /*loop=*/true);
    ASSERT_TRUE(player);
    auto heard = modules::Record(*player, 12);
    modules::Listen(*player, 6 * 5292 + 1);
    ASSERT_EQ(heard->size(), delay ? 4u : 7u);
    for (std::size_t i = 0; i < heard->size(); ++i) EXPECT_EQ((*heard)[i].frame, i * 5292 * (1 + delay));
  }
}

TEST(Triggers, AreHeardOnlyOnceTheirFrameIsPlayed) {
  modules::File file(Timing());
  auto player = modules::Open(file);
  auto heard = modules::Record(*player, 20);
  std::vector<float> buffer(2 * 12000);
  player->Render(buffer.data(), 12000, 0);
  EXPECT_EQ(player->NextCue(), 0u);
  player->Played(5291);
  EXPECT_EQ(heard->size(), 2u);
  EXPECT_EQ(player->NextCue(), 5292u);
  player->Played(5292);
  EXPECT_EQ(heard->size(), 3u);
  player->Played(12000);
  EXPECT_EQ(heard->size(), 4u);
  EXPECT_EQ(player->HeardRow(), 2);
}

TEST(Triggers, ComeAfterTheEffectsChainsDelay) {
  modules::File file(Timing());
  auto player = modules::Open(file);
  music::EffectsSettings settings;
  settings.compressor.preDelayMs = 2.0f;  // 88 frames
  player->SetEffects(settings);
  auto heard = modules::Record(*player, 20);
  modules::Listen(*player, 12000);
  ASSERT_EQ(heard->size(), 4u);
  EXPECT_EQ((*heard)[2].frame, 5292u + 88);
  player->RemoveEffects();
}

// The order and row heard at every frame agree with libopenmpt's own state
// when it is stepped one frame at a time.
TEST(Triggers, HeardPositionChangesOnTheFrameTheRowStarts) {
  for (const Module& module : {Timing(), Jumps()}) {
    const std::vector<std::uint8_t> bytes = kalt::xm::WriteXm(module);
    openmpt::module reference(bytes);
    reference.ctl_set_text("play.at_end", "stop");
    std::vector<std::pair<int, int>> positions;
    float frame[2];
    while (reference.read_interleaved_stereo(44100, 1, frame) == 1) {
      positions.emplace_back(reference.get_current_order(), reference.get_current_row());
    }
    ASSERT_GT(positions.size(), 30000u);

    modules::File file(module);
    auto player = modules::Open(file);
    std::vector<float> buffer(2 * 777);
    for (std::size_t done = 0; done < positions.size(); done += 777) {
      player->Render(buffer.data(), 777, done);
      for (std::size_t f = done; f < done + 777 && f < positions.size(); ++f) {
        player->Played(f);
        ASSERT_EQ(std::make_pair(player->HeardOrder(), player->HeardRow()), positions[f]) << "frame " << f;
      }
    }
  }
}

TEST(Player, RefusesWhatItCannotPlay) {
  std::string error;
  EXPECT_FALSE(music::Player::Open("/nonexistent/song.xm", {}, &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);
  EXPECT_FALSE(music::Player::Open("/tmp", {}, &error));
  EXPECT_NE(error.find("not a file"), std::string::npos);
  EXPECT_FALSE(music::Player::Open("/dev/zero", {}, &error));  // endless
  EXPECT_NE(error.find("not a file"), std::string::npos);
  Module garbage = modules::Make(1, 1, 1, 1);
  modules::File file(garbage);
  {
    FILE* f = std::fopen(file.path().c_str(), "wb");
    std::fputs("this is not a module at all", f);
    std::fclose(f);
  }
  EXPECT_FALSE(music::Player::Open(file.path(), {}, &error));
  EXPECT_NE(error.find("not a module"), std::string::npos);
  EXPECT_FALSE(music::Player::Open(file.path(), {}, nullptr));
  ASSERT_EQ(truncate(file.path().c_str(), std::int64_t{200} << 20), 0);  // sparse: nothing is read
  EXPECT_FALSE(music::Player::Open(file.path(), {}, &error));
  EXPECT_NE(error.find("too large"), std::string::npos);
}

TEST(Player, DescribesTheModuleAndRefusesBadInstruments) {
  modules::File file(Jumps());
  auto player = modules::Open(file);
  EXPECT_EQ(player->Orders(), 4);
  EXPECT_EQ(player->Channels(), 1);
  EXPECT_EQ(player->Instruments(), 10);
  EXPECT_FALSE(player->OnInstrument(0, [](const music::Trigger&) {}));
  EXPECT_FALSE(player->OnInstrument(256, [](const music::Trigger&) {}));
  EXPECT_TRUE(player->OnInstrument(255, {}));
}

}  // namespace
