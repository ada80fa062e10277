// The soundtrack on the output: the heard position, the end of the stream
// and rewinding, driven by a clock the test moves.
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "../audio/manual_clock.h"
#include "gldemo/music.h"
#include "gldemo/ogg_stream.h"
#include "ogg_writer.h"

namespace {

using audio_test::ManualClock;
using audio_test::WaitFor;
using gldemo::Music;

constexpr std::uint64_t kBlock = 1024;  // the sink's block, frames

class MusicTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(gldemo_test::WriteOgg(path_, 44100, 2, kFrames, gldemo_test::Tone)); }
  void TearDown() override { std::remove(path_.c_str()); }

  std::unique_ptr<Music> Start() {
    audio::OutputOptions options;
    options.silent = true;
    options.clock = &clock_;
    options.bufferFrames = static_cast<int>(kBlock);
    std::string error;
    auto music = Music::Start(path_, options, &error);
    EXPECT_TRUE(music) << error;
    return music;
  }

  // Moves the clock to `frames` and waits for the position to settle there
  // (the sink pulls in the background).
  std::uint64_t PositionAt(const Music& music, std::uint64_t frames, std::uint64_t expected) {
    clock_.SetFrames(frames);
    WaitFor([&] { return music.PositionBytes() == expected; }, std::chrono::seconds(5));
    return music.PositionBytes();
  }

  static constexpr long kFrames = 2 * 44100;  // a two-second stream
  ManualClock clock_;
  const std::string path_ = ::testing::TempDir() + "gldemo-music-" + std::to_string(getpid()) + ".ogg";
};

TEST_F(MusicTest, PositionIsTheStreamHeardInBytesAndStopsAtItsEnd) {
  auto music = Start();
  ASSERT_TRUE(music);
  EXPECT_EQ(music->LatencyMs(), 23);  // the sink's one block
  EXPECT_EQ(music->PositionBytes(), 0u);
  music->Play();
  EXPECT_EQ(PositionAt(*music, 0, 0), 0u);
  EXPECT_EQ(PositionAt(*music, 44100, 176400), 176400u);  // one second: 176,400 bytes
  EXPECT_EQ(PositionAt(*music, 44100 + 37, (44100 + 37) * 4), (44100u + 37) * 4);
  // Past the end the output plays silence; the position stays at the end.
  EXPECT_EQ(PositionAt(*music, 2 * 44100 + 500, kFrames * 4), std::uint64_t{kFrames} * 4);
  clock_.SetFrames(3 * 44100);
  EXPECT_TRUE(WaitFor([&] { return music->PositionBytes() == std::uint64_t{kFrames} * 4; }));
}

TEST_F(MusicTest, PlayedFromALaterFrameThePositionStartsThere) {
  auto music = Start();
  ASSERT_TRUE(music);
  const std::uint64_t from = 44100 + 17;
  music->Play(from);
  EXPECT_EQ(PositionAt(*music, 0, from * 4), from * 4);
  EXPECT_EQ(PositionAt(*music, 20000, (from + 20000) * 4), (from + 20000) * 4);
  // At the end of the stream it stops; a rewind starts from the first frame.
  clock_.SetFrames(44100);
  ASSERT_TRUE(WaitFor([&] { return music->PositionBytes() == std::uint64_t{kFrames} * 4; }));
  music->Rewind();
  EXPECT_EQ(music->PositionBytes(), 0u);
}

TEST_F(MusicTest, RewindReadsZeroAtOnceThenFollowsTheRewoundStream) {
  auto music = Start();
  ASSERT_TRUE(music);
  music->Play();
  const std::uint64_t at = 50000;
  ASSERT_EQ(PositionAt(*music, at, at * 4), at * 4);

  // The rewound stream starts with the next block the sink pulls, at most
  // one block beyond what is heard; until it is heard the position is 0.
  music->Rewind();
  EXPECT_EQ(music->PositionBytes(), 0u);
  clock_.SetFrames(at + 1);
  EXPECT_EQ(music->PositionBytes(), 0u);
  const std::uint64_t later = at + 20000;
  clock_.SetFrames(later);
  ASSERT_TRUE(WaitFor([&] {
    const std::uint64_t p = music->PositionBytes();
    return p >= (later - at - 2 * kBlock) * 4 && p <= (later - at) * 4;
  })) << music->PositionBytes();
  EXPECT_EQ(music->PositionBytes() % 4, 0u);

  // Rewinding after the end plays the stream again. (The clock moves a
  // second at a time: a sink far behind its clock would start afresh.)
  clock_.SetFrames(later + 44100);
  ASSERT_TRUE(WaitFor([&] { return music->PositionBytes() >= (later + 44100 - at - 2 * kBlock) * 4; }));
  clock_.SetFrames(later + 2 * 44100);
  ASSERT_TRUE(WaitFor([&] { return music->PositionBytes() == std::uint64_t{kFrames} * 4; }))
      << music->PositionBytes();
  music->Rewind();
  EXPECT_EQ(music->PositionBytes(), 0u);
  // The sink may still be pulling the silence after the end when the rewind
  // comes (the position stops at the end before the sink has caught up with
  // the clock), so the rewound stream can start up to a clock step early:
  // a second later the position lies within the stream again.
  clock_.SetFrames(later + 3 * 44100);
  EXPECT_TRUE(WaitFor([&] {
    const std::uint64_t p = music->PositionBytes();
    return p > 0 && p < std::uint64_t{kFrames} * 4;
  })) << music->PositionBytes();
}

TEST_F(MusicTest, RendersTheStreamThenSilenceAndStartsAgainAfterARewind) {
  auto music = Start();
  ASSERT_TRUE(music);
  std::string error;
  auto reference = gldemo::OggStream::OpenFile(path_, &error);
  ASSERT_TRUE(reference) << error;
  std::vector<float> expected(2 * kFrames);
  ASSERT_EQ(reference->Decode(expected.data(), kFrames), static_cast<std::size_t>(kFrames));

  // Offline, without playing: Render alone.
  std::vector<float> block(2 * 50000);
  music->Render(block.data(), 50000, 0);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), expected.begin()));
  music->Render(block.data(), 50000, 50000);
  EXPECT_TRUE(std::equal(block.begin(), block.begin() + 2 * (kFrames - 50000), expected.begin() + 2 * 50000));
  EXPECT_TRUE(std::all_of(block.begin() + 2 * (kFrames - 50000), block.end(), [](float s) { return s == 0.0f; }));
  music->Rewind();
  music->Render(block.data(), 1000, 100000);
  EXPECT_TRUE(std::equal(block.begin(), block.begin() + 2000, expected.begin()));
}

TEST(Music, MissingFileIsRefusedWithItsName) {
  std::string error;
  EXPECT_FALSE(Music::Start("/nonexistent/song.ogg", {}, &error));
  EXPECT_EQ(error.rfind("/nonexistent/song.ogg: ", 0), 0u) << error;
}

}  // namespace
