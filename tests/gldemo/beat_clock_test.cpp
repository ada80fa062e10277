// The music clock: the beat from the stream position, carried on by the
// system clock while the position stands still.
#include <gtest/gtest.h>

#include "gldemo/beat_clock.h"

namespace {

using gldemo::BeatClock;
using gldemo::NextBeat;

// The clock in beats, as the music clock reads it.
float Now(std::int64_t ms) { return static_cast<float>(static_cast<double>(ms) * 0.001 * 0.6); }

TEST(BeatClock, BeatIsTheHeardPositionPlusTheLatencyAtPointSixPerSecond) {
  BeatClock clock;
  EXPECT_EQ(NextBeat(clock, 0, 176400, 0), 0.6f);  // one second of 16-bit stereo
  BeatClock late;
  EXPECT_EQ(NextBeat(late, 100, 176400, 0), 0.615f);  // 100 ms of latency added first
  BeatClock exact;
  EXPECT_EQ(NextBeat(exact, 23, 1234567, 0), static_cast<float>((23 * 0.001 + 1234567 / 44100.0) * 0.15));
}

TEST(BeatClock, FirstFrameTakesTheStreamEvenAtZero) {
  BeatClock clock;
  EXPECT_EQ(NextBeat(clock, 0, 0, 5000), 0.0f);
  EXPECT_EQ(clock.streamBeat, 0.0f);
  EXPECT_EQ(clock.clockAtStreamBeat, Now(5000));
}

TEST(BeatClock, StandingPositionIsCarriedOnByTheClock) {
  BeatClock clock;
  const float first = NextBeat(clock, 0, 352800, 10000);  // 1.2 at 10 s of wall time
  // 1.5 s later, same position: 0.9 further, computed in float.
  const float second = NextBeat(clock, 0, 352800, 11500);
  EXPECT_EQ(second, Now(11500) - Now(10000) + first);
  EXPECT_NEAR(second - first, 0.9f, 1e-5f);
  // The stored value stays the stream's, so a later standing frame goes on
  // from the same start.
  EXPECT_EQ(NextBeat(clock, 0, 352800, 13000), Now(13000) - Now(10000) + first);
  // A moving position is taken as it is, and the clock stored with it.
  EXPECT_EQ(NextBeat(clock, 0, 529200, 13000), 1.8f);
  EXPECT_EQ(clock.clockAtStreamBeat, Now(13000));
}

TEST(BeatClock, LoopEndsOnlyAbove176) {
  // 176 / 0.15 * 44100 bytes give exactly 176.0.
  BeatClock clock;
  const float at = NextBeat(clock, 0, 51744000, 0);
  EXPECT_EQ(at, 176.0f);
  EXPECT_FALSE(at > gldemo::kLoopBeats);
  EXPECT_TRUE(NextBeat(clock, 0, 51744004, 0) > gldemo::kLoopBeats);
}

}  // namespace
