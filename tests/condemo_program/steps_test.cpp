// A show that starts later: the frames before it stepped through undrawn
// leave the state a run from the start has then, and the song going on from
// there sounds and strikes as it would in that run.
#include "condemo/steps.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "condemo/show.h"
#include "headless_pty.h"
#include "music/offline_song.h"
#include "music/song.h"

namespace {

using condemo::OfflineSong;
using condemo::ShowSteps;

bool SongBuilt() { return access(condemo::kSongFile, R_OK) == 0; }

std::unique_ptr<OfflineSong> Open(std::int64_t firstKept = std::numeric_limits<std::int64_t>::max()) {
  return OfflineSong::Open(condemo::kSongFile, {}, firstKept, nullptr);
}

// Every value the show carries from frame to frame, and the song's.
void ExpectSameState(const ShowSteps& a, OfflineSong& songA, const ShowSteps& b, OfflineSong& songB) {
  EXPECT_EQ(std::memcmp(&a.frame.scene, &b.frame.scene, sizeof a.frame.scene), 0);
  EXPECT_EQ(a.frame.sceneTime, b.frame.sceneTime);
  EXPECT_EQ(a.frame.frameNumber, b.frame.frameNumber);
  EXPECT_EQ(a.previousTime, b.previousTime);
  EXPECT_EQ(a.frameDelta, b.frameDelta);
  EXPECT_EQ(a.jitter.jx, b.jitter.jx);
  EXPECT_EQ(a.jitter.jy, b.jitter.jy);
  EXPECT_EQ(a.jitter.lastBeat, b.jitter.lastBeat);
  EXPECT_EQ(a.logoRandom.state, b.logoRandom.state);
  const condemo::MusicPulse pa = condemo::TakePulse(songA.Pulse()), pb = condemo::TakePulse(songB.Pulse());
  EXPECT_EQ(std::memcmp(&pa, &pb, sizeof pa), 0);
  EXPECT_EQ(songA.Order(), songB.Order());
  EXPECT_EQ(songA.Player().HeardRow(), songB.Player().HeardRow());
}

// A run from the start, frame by frame at 60 a second, up to `until`.
double RunUpTo(ShowSteps& steps, OfflineSong& song, condemo::CellGrid& grid, double until, int order = -1) {
  for (std::int64_t j = 0;; ++j) {
    const double time = static_cast<double>(j) / 60.0;
    if (order >= 0) {
      song.HearUpTo(audio::SamplePosition(time));
      if (song.Order() >= order) return time;
    } else if (time >= until) {
      return until;
    }
    condemo::OfflineStep(steps, song, time, 60, nullptr, grid);
  }
}

TEST(LaterStart, FromAndOrderLandWhereARunFromTheStartIs) {
  if (!SongBuilt()) GTEST_SKIP() << "DiRURODU.XM is not in the run tree";
  for (const condemo::ShowStart start : {condemo::ShowStart{.seconds = 21.3, .order = std::nullopt},
                                         condemo::ShowStart{.seconds = 0.0, .order = 14}}) {
    SCOPED_TRACE(start.order ? "--order" : "--from");
    ShowSteps a, b;
    condemo::CellGrid gridA, gridB;
    const auto songA = Open(), songB = Open();
    const double at = RunUpTo(a, *songA, gridA, start.seconds, start.order.value_or(-1));
    const std::optional<double> begins = condemo::StepThrough(b, *songB, start, 60, gridB);
    ASSERT_TRUE(begins);
    EXPECT_EQ(*begins, at);
    if (start.order) {
      EXPECT_EQ(songB->Order(), *start.order);
    }
    EXPECT_GT(b.frame.pulse.beatCount, 0);
    ExpectSameState(a, *songA, b, *songB);
  }
}

TEST(LaterStart, BeyondTheEndIsNoStart) {
  if (!SongBuilt()) GTEST_SKIP() << "DiRURODU.XM is not in the run tree";
  ShowSteps steps;
  condemo::CellGrid grid;
  const auto song = Open();
  EXPECT_FALSE(condemo::StepThrough(steps, *song, {.seconds = 500.0, .order = std::nullopt}, 30, grid));
  EXPECT_GE(song->Order(), condemo::kEndOrder);
}

// The song going on from a later frame, in the output's device buffers of
// another size than the blocks it was rendered in offline: the same samples
// and the same notes heard as the song rendered from its start.
TEST(LaterStart, TheSongGoesOnAsFromTheStart) {
  if (!SongBuilt()) GTEST_SKIP() << "DiRURODU.XM is not in the run tree";
  constexpr std::int64_t kFrom = 20 * 44100 + 123;
  const auto whole = Open(kFrom), later = Open();
  later->HearUpTo(kFrom - 700);  // heard offline up to the last stepped frame
  condemo::GoingOn source(*later, kFrom);
  constexpr std::size_t kBuffer = 700;
  std::vector<float> expected(2 * kBuffer), got(2 * kBuffer);
  for (std::uint64_t played = 0; played < 4 * 44100; played += kBuffer) {
    whole->TakeSound(expected.data(), kBuffer);
    source.Render(got.data(), kBuffer, played);
    ASSERT_EQ(got, expected) << "frame " << played;
    // Heard up to the last frame played, which both have rendered.
    whole->HearUpTo(kFrom + static_cast<std::int64_t>(played + kBuffer - 1));
    source.Played(played + kBuffer - 1);
    ASSERT_EQ(later->Order(), whole->Order());
    ASSERT_EQ(later->Player().HeardRow(), whole->Player().HeardRow());
    const condemo::MusicPulse a = condemo::TakePulse(whole->Pulse()), b = condemo::TakePulse(later->Pulse());
    ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "frame " << played;
  }
}

// The show on a terminal nobody looks at, started a moment before its end:
// with --loop it goes on from the start; a start after the end is refused.
TEST(LaterStart, TheShowStartsLateAndLoops) {
  if (!SongBuilt()) GTEST_SKIP() << "DiRURODU.XM is not in the run tree";
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::vector<int> orders;
  condemo::ShowOptions options;
  options.start = condemo::ShowStart{.seconds = 169.0, .order = std::nullopt};
  options.loop = true;
  options.fps = 30;
  options.frameShown = [&](const condemo::CellGrid&, int order) {
    // Once the show has started again, end it as SIGTERM would.
    if (!orders.empty() && orders.back() >= condemo::kEndOrder && order < condemo::kEndOrder) std::raise(SIGTERM);
    orders.push_back(order);
  };
  condemo::ShowResult result, late;
  {
    const kalt_tools::HeadlessPty pty;
    ASSERT_TRUE(pty.ok());
    result = condemo::PlayShow(options);
    options.loop = false;
    options.start->seconds = 180.0;
    late = condemo::PlayShow(options);
  }
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.endSignal, SIGTERM);
  ASSERT_GE(orders.size(), 3u);
  EXPECT_EQ(orders.front(), 20);
  EXPECT_LT(orders.back(), 4);
  EXPECT_EQ(late.exitStatus, 2);
}

}  // namespace
