// The scene timeline: beat rows, the flashes each row implies, the order of
// flash and noise, and golden frames.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>

#include "effects_test_support.h"
#include "gldemo/effects.h"
#include "gldemo/timeline.h"

namespace {

using effects_test::At;
using effects_test::Hash;
using effects_test::RampPack;
using effects_test::SameCells;

// Every cell a full block in `colour`.
bool AllFlashed(const cella::Canvas& canvas, int colour) {
  for (int i = 0; i < canvas.width * canvas.height; ++i)
    if (canvas.data[i].ch != 219 || canvas.data[i].fg != colour) return false;
  return true;
}

TEST(Timeline, BeatRowIsTheIntegerPartAsAnUnsignedByte) {
  EXPECT_EQ(gldemo::BeatRow(0.0f), 0);
  EXPECT_EQ(gldemo::BeatRow(0.999f), 0);
  EXPECT_EQ(gldemo::BeatRow(1.0f), 1);
  EXPECT_EQ(gldemo::BeatRow(175.9f), 175);
  EXPECT_EQ(gldemo::BeatRow(176.2f), 176);
  EXPECT_EQ(gldemo::BeatRow(256.5f), 0);
  EXPECT_EQ(gldemo::BeatRow(-0.5f), 255);
  EXPECT_EQ(gldemo::BeatRow(-1.5f), 254);
  EXPECT_EQ(gldemo::BeatRow(-127.5f), 128);
  EXPECT_EQ(gldemo::BeatRow(std::numeric_limits<float>::quiet_NaN()), 128);
  EXPECT_EQ(gldemo::BeatRow(std::numeric_limits<float>::infinity()), 127);
  EXPECT_EQ(gldemo::BeatRow(-std::numeric_limits<float>::infinity()), 128);
}

TEST(Timeline, RowsCoverEveryBeatRowInOrder) {
  int next = 0;
  for (int i = 0; i < gldemo::TimelineRows(); ++i) {
    const gldemo::TimelineSpan span = gldemo::TimelineRowSpan(i);
    EXPECT_EQ(span.first, next);
    EXPECT_GE(span.last, span.first);
    next = span.last + 1;
  }
  EXPECT_EQ(next, 256);
}

TEST(Timeline, FullStrengthFlashesWhereTheRowsImplyThem) {
  const auto pack = RampPack(34, 64);
  cella::Canvas screen(80, 50);
  const struct {
    float t;
    int colour;
  } flashes[] = {{0.0f, 0}, {3.0f, 0}, {4.0f, 15}, {8.0f, 15}, {16.0f, 12}, {21.0f, 12},
                 {22.0f, 10}, {32.0f, 0}, {34.0f, 15}, {40.0f, 15}, {52.0f, 3}, {60.0f, 0}, {174.0f, 0}};
  for (const auto& flash : flashes) {
    gldemo::ComposeScene(&screen, flash.t, *pack);
    EXPECT_TRUE(AllFlashed(screen, flash.colour)) << flash.t;
  }
  // Just past the flash moment the pictures show through.
  for (const float t : {0.2f, 6.2f, 9.0f, 16.5f, 33.0f}) {
    gldemo::ComposeScene(&screen, t, *pack);
    EXPECT_FALSE(AllFlashed(screen, At(screen, 0, 0).fg)) << t;
  }
}

TEST(Timeline, BreakCoversWhateverWasThereWithBlack) {
  const auto pack = RampPack(34, 64);
  const auto screen = effects_test::FilledCanvas(80, 50, {177, 14, 4});
  for (const float t : {58.0f, 58.5f, 59.99f}) {
    gldemo::ComposeScene(screen.get(), t, *pack);
    EXPECT_TRUE(AllFlashed(*screen, 0)) << t;
  }
}

TEST(Timeline, SomeRowsNeverFlash) {
  const auto pack = RampPack(34, 64);
  cella::Canvas composed(80, 50), alone(80, 50);
  // Whole and even beats, where every flashing row is at full strength.
  for (const float t : {13.0f, 13.5f}) {
    gldemo::ComposeScene(&composed, t, *pack);
    gldemo::TwinGlow(&alone, pack.get(), t - 8.0f, 3, 0.01f, 0.02f);
    EXPECT_TRUE(SameCells(composed, alone)) << t;
  }
  gldemo::ComposeScene(&composed, 14.0f, *pack);
  gldemo::TwinGlow(&alone, pack.get(), 6.0f, 2, 0.5f, 0.01f);
  EXPECT_TRUE(SameCells(composed, alone));
  for (const float t : {28.0f, 29.0f, 30.0f, 31.0f, 31.5f}) {
    gldemo::ComposeScene(&composed, t, *pack);
    gldemo::SphereCluster(&alone, pack.get(), t - 28.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(SameCells(composed, alone)) << t;
  }
  // Half way to the next multiple of four the flash has just faded out.
  gldemo::ComposeScene(&composed, 12.5f, *pack);
  gldemo::TwinGlow(&alone, pack.get(), 4.5f, 2, 0.02f, 0.02f);
  EXPECT_TRUE(SameCells(composed, alone));
}

TEST(Timeline, NoiseRowsComeAfterTheFlash) {
  // At 56.0 the flash is at full strength: were it laid last, every row
  // would be flashed.
  const auto pack = RampPack(34, 64);
  cella::Canvas screen(80, 50);
  gldemo::ComposeScene(&screen, 56.0f, *pack);
  int flashed = 0, noisy = 0;
  for (int row = 0; row < 50; ++row) {
    bool whole = true;
    for (int column = 0; column < 80; ++column) whole &= At(screen, column, row).ch == 219 && At(screen, column, row).fg == 3;
    (whole ? flashed : noisy) += 1;
  }
  EXPECT_GT(flashed, 0);
  EXPECT_GT(noisy, 0);
}

// The composed frame at a handful of beats, one or more in every kind of
// row, through a pack whose entries name their index.
TEST(Timeline, GoldenFrames) {
  const auto pack = RampPack(34, 64);
  const struct {
    float t;
    std::uint64_t hash;
  } goldens[] = {
      {0.05f, 0x1df018e2e38f8e2a},
      {2.3f, 0x1bdff87d21c4d7f2},
      {5.6f, 0x8b239675b103225c},
      {9.1f, 0xe17039aa643652b0},
      {15.02f, 0xe9f365d4d1337091},
      {17.4f, 0x027f65d9ce160d7b},
      {20.3f, 0xbe319e4616d799bf},
      {21.6f, 0x60645c1c24a52faa},
      {24.5f, 0x054ef055235c760f},
      {29.2f, 0x789b90529df7da36},
      {36.03f, 0x331e1c7ecca45447},
      {39.5f, 0x0023dc346836472c},
      {40.6f, 0x5922bb61e267a219},
      {41.9f, 0xa9681f93d587c2bb},
      {49.2f, 0x1e8acb5e596dc111},
      {54.7f, 0x85a5e378ae18aca9},
      {56.9f, 0x81fa9cd353c58fed},
      {58.5f, 0xa68f0bcc2a6ca145},
      {100.01f, 0xaa19e8695cb873b5},
      {-0.5f, 0xa1a32f76553ba645},
  };
  for (const auto& golden : goldens) {
    cella::Canvas screen(80, 50);
    gldemo::ComposeScene(&screen, golden.t, *pack);
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, Hash(screen));
    EXPECT_EQ(Hash(screen), golden.hash) << golden.t << ": " << text;
  }
}

TEST(Timeline, MissingGradientsLeaveTheirLayersUndrawn) {
  const auto small = RampPack(3, 8);
  cella::Canvas screen(80, 50);
  for (const float t : {0.5f, 10.5f, 17.5f, 24.5f, 30.5f, 41.5f, 55.5f, 70.5f}) gldemo::ComposeScene(&screen, t, *small);
  gldemo::ComposeScene(nullptr, 1.0f, *small);
}

}  // namespace
