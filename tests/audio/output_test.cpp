#include "audio/output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

#include "manual_clock.h"

namespace {

using audio_test::ManualClock;
using audio_test::WaitFor;

// Renders a constant, checks that its frames arrive in order, and hands out
// a list of cues, recording the position at which each one was played.
class TestSource final : public audio::Source {
 public:
  explicit TestSource(std::vector<std::uint64_t> cues = {}) : cues_(std::move(cues)) {}

  void Render(float* out, std::size_t frames, std::uint64_t firstFrame) override {
    if (firstFrame != rendered_) outOfOrder_ = true;
    for (std::size_t i = 0; i < frames * audio::Channels; ++i) out[i] = 0.25f;
    rendered_.store(firstFrame + frames);
  }
  std::uint64_t NextCue() override {
    std::lock_guard<std::mutex> lock(lock_);
    return next_ < cues_.size() ? cues_[next_] : audio::NoCue;
  }
  void Played(std::uint64_t framesPlayed) override {
    std::lock_guard<std::mutex> lock(lock_);
    while (next_ < cues_.size() && cues_[next_] <= framesPlayed) {
      playedAt_.push_back(framesPlayed);
      ++next_;
    }
  }

  std::uint64_t Rendered() const { return rendered_.load(); }
  bool OutOfOrder() const { return outOfOrder_.load(); }
  std::size_t CuesPlayed() {
    std::lock_guard<std::mutex> lock(lock_);
    return next_;
  }
  std::vector<std::uint64_t> PlayedAt() {
    std::lock_guard<std::mutex> lock(lock_);
    return playedAt_;
  }

 private:
  std::atomic<std::uint64_t> rendered_{0};
  std::atomic<bool> outOfOrder_{false};
  std::mutex lock_;
  std::vector<std::uint64_t> cues_;
  std::size_t next_ = 0;
  std::vector<std::uint64_t> playedAt_;
};

std::unique_ptr<audio::Output> OpenSink(const ManualClock& clock, int block) {
  audio::OutputOptions options;
  options.silent = true;
  options.clock = &clock;
  options.bufferFrames = block;
  return audio::OpenOutput(options);
}

TEST(SilentSink, PlaysExactlyAsFarAsItsClockHasMoved) {
  ManualClock clock;
  TestSource source;  // outlives the output that plays it
  auto output = OpenSink(clock, 512);
  ASSERT_TRUE(output->Silent());
  EXPECT_EQ(output->DeviceName(), "silent");
  EXPECT_EQ(output->LatencyMs(), 12);  // one block of 512 frames
  EXPECT_EQ(output->FramesPlayed(), 0u);
  ASSERT_TRUE(output->Play(source));
  EXPECT_FALSE(output->Play(source));

  // It keeps one block ready, and nothing is heard while time stands still.
  ASSERT_TRUE(WaitFor([&] { return source.Rendered() >= 512; }));
  EXPECT_EQ(output->FramesPlayed(), 0u);

  for (std::uint64_t frames : {1u, 11025u, 11026u, 55125u}) {
    clock.SetFrames(frames);
    ASSERT_TRUE(WaitFor([&] { return output->FramesPlayed() == frames; })) << frames;
    // Rendering stays between one and two blocks ahead of the listener.
    ASSERT_TRUE(WaitFor([&] { return source.Rendered() >= frames + 512; })) << frames;
    EXPECT_LE(source.Rendered(), frames + 2 * 512) << frames;
  }
  EXPECT_FALSE(source.OutOfOrder());

  output->Stop();
  const std::uint64_t rendered = source.Rendered();
  clock.SetFrames(441000);
  EXPECT_EQ(output->FramesPlayed(), 55125u);
  EXPECT_EQ(source.Rendered(), rendered);
}

TEST(SilentSink, ResumesWhereItWasAfterALongStall) {
  ManualClock clock;
  TestSource source;  // outlives the output that plays it
  auto output = OpenSink(clock, 1024);
  output->Play(source);
  clock.SetFrames(4410);
  // Six blocks are the first to reach one block beyond 4410.
  ASSERT_TRUE(WaitFor([&] { return output->FramesPlayed() == 4410 && source.Rendered() == 6144; }));
  // Ten seconds pass at once (a suspended machine): the sink does not race
  // through them but carries on from where it was.
  clock.SetFrames(4410 + 441000);
  ASSERT_TRUE(WaitFor([&] { return source.Rendered() > 6144; }));
  EXPECT_EQ(source.Rendered(), 7168u);
  EXPECT_EQ(output->FramesPlayed(), 6144u);
  clock.SetFrames(4410 + 441000 + 44100);
  ASSERT_TRUE(WaitFor([&] { return output->FramesPlayed() == 6144 + 44100; }));
  EXPECT_FALSE(source.OutOfOrder());
}

TEST(SilentSink, PlaysEachCueOnceItsFrameIsHeard) {
  ManualClock clock;
  TestSource source({100, 5000, 5001, 30000, 30255});  // outlives the output
  auto output = OpenSink(clock, 256);
  output->Play(source);
  // Time moves in steps of 1000 frames; after each step every cue up to the
  // new position is played, and none before its frame.
  std::size_t expectedPlayed = 0;
  const std::vector<std::uint64_t> cues = {100, 5000, 5001, 30000, 30255};
  for (std::uint64_t now = 1000; now <= 31000; now += 1000) {
    clock.SetFrames(now);
    while (expectedPlayed < cues.size() && cues[expectedPlayed] <= now) ++expectedPlayed;
    ASSERT_TRUE(WaitFor([&] { return source.CuesPlayed() == expectedPlayed; })) << now;
  }
  const std::vector<std::uint64_t> playedAt = source.PlayedAt();
  ASSERT_EQ(playedAt.size(), cues.size());
  for (std::size_t i = 0; i < cues.size(); ++i) {
    EXPECT_GE(playedAt[i], cues[i]);
    EXPECT_LT(playedAt[i], cues[i] + 1000);
  }
}

TEST(Output, WithoutASoundDeviceIsTheSilentSink) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  TestSource source;
  auto output = audio::OpenOutput();
  EXPECT_TRUE(output->Silent());
  EXPECT_EQ(output->DeviceName(), "silent");
  // It plays in real time all the same.
  output->Play(source);
  ASSERT_TRUE(WaitFor([&] { return output->FramesPlayed() > 0; }));
  output->Stop();
  EXPECT_FALSE(source.OutOfOrder());
}

TEST(Output, StopBeforePlayAndTwiceIsHarmless) {
  ManualClock clock;
  TestSource source;
  auto output = OpenSink(clock, 64);
  output->Stop();
  EXPECT_TRUE(output->Play(source));
  output->Stop();
  output->Stop();
}

TEST(Saturate, KeepsEverySampleInsideFullScale) {
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<float> samples = {0.0f, 0.5f, -1.0f, 1.0f, 1.0001f, -7.0f, inf, -inf,
                                std::numeric_limits<float>::quiet_NaN()};
  audio::Saturate(samples.data(), samples.size());
  EXPECT_EQ(samples, (std::vector<float>{0.0f, 0.5f, -1.0f, 1.0f, 1.0f, -1.0f, 1.0f, -1.0f, 0.0f}));
}

}  // namespace
