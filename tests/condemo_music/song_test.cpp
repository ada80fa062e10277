// The show's song: its instruments' effect on the pulse, its start-up and
// failure, and the flash decay, also against notes struck meanwhile.
#include "music/song.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "../audio/manual_clock.h"
#include "modules.h"

namespace {

using condemo::MusicPulse;
using condemo::PulseState;
using modules::Hit;

void ResetValues(PulseState& state, float a, float b, float c, std::int32_t beats) {
  state.flashA.store(a);
  state.flashB.store(b);
  state.flashC.store(c);
  state.beatCount.store(beats);
}

struct Values {
  float a, b, c;
  std::int32_t beats;
  bool operator==(const Values&) const = default;
};

void PrintTo(const Values& v, std::ostream* os) { *os << "{" << v.a << ", " << v.b << ", " << v.c << ", " << v.beats << "}"; }

Values Now(const PulseState& state) {
  const MusicPulse pulse = condemo::TakePulse(state);
  return {pulse.flashA, pulse.flashB, pulse.flashC, pulse.beatCount};
}

// Runs into a fresh working directory and back.
class InDirectory {
 public:
  InDirectory() : previous_(std::filesystem::current_path()) {
    char name[] = "/tmp/song-test-XXXXXX";
    directory_ = mkdtemp(name);
    std::filesystem::current_path(directory_);
  }
  ~InDirectory() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(directory_);
  }
  const std::filesystem::path& path() const { return directory_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path directory_;
};

TEST(SongInstruments, DriveTheFlashesAndTheBeat) {
  // Every row, one instrument (rows of 5292 frames); row 20 strikes 12 twice.
  modules::Module m = modules::Make(2, 20, 1, 21);
  for (int i = 1; i <= 20; ++i) m.patterns[0].at(i - 1, 0) = Hit(i);
  m.patterns[0].at(20, 0) = Hit(12);
  m.patterns[0].at(20, 1) = Hit(12);
  modules::File file(m);
  auto song = modules::Open(file);
  PulseState state;
  condemo::HookInstruments(*song, state);
  std::vector<float> buffer(2 * 5292);
  // Hears row `row` and returns the values after it, having set them to
  // sentinels first.
  const auto hear = [&](int row) {
    ResetValues(state, 0.5f, 0.5f, 0.5f, 100);
    song->Render(buffer.data(), 5292, static_cast<std::uint64_t>(row) * 5292);
    song->Played(static_cast<std::uint64_t>(row) * 5292 + 5291);
    return Now(state);
  };
  for (int instrument = 1; instrument <= 20; ++instrument) {
    Values expected = {0.5f, 0.5f, 0.5f, 100};
    if (instrument == 5 || instrument == 6 || instrument == 15) expected.a = 1.0f;
    if (instrument == 7 || instrument == 8 || instrument == 17) expected.b = 0.75f;
    if (instrument == 12) expected = {0.5f, 0.5f, 1.0f, 101};
    EXPECT_EQ(hear(instrument - 1), expected) << "instrument " << instrument;
  }
  EXPECT_EQ(hear(20), (Values{0.5f, 0.5f, 1.0f, 102}));
}

TEST(SongStart, WithoutTheSongSaysSoAndFails) {
  unsetenv("DISPLAY");  // no message box to wait for
  unsetenv("WAYLAND_DISPLAY");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  InDirectory empty;
  testing::internal::CaptureStderr();
  EXPECT_EQ(condemo::Song::Start(), nullptr);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("Error! Brom suxx!: Failed loading Protracker-Module"), std::string::npos) << said;

  // A file of that name that is not a module fails alike.
  std::FILE* f = std::fopen(condemo::kSongFile, "wb");
  std::fputs("Extended Module: but not really", f);
  std::fclose(f);
  testing::internal::CaptureStderr();
  EXPECT_EQ(condemo::Song::Start(), nullptr);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Failed loading Protracker-Module"), std::string::npos);
}

TEST(SongStart, PlaysTheSongInRealTimeWithoutASoundDevice) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  InDirectory directory;
  // Two orders of four quick rows (speed 3, tempo 250: 30 ms a row), the
  // beat on every row.
  modules::Module m = modules::Make(1, 12, 2, 4, 3, 250);
  for (int p = 0; p < 2; ++p)
    for (int r = 0; r < 4; ++r) m.patterns[p].at(r, 0) = Hit(12);
  const std::vector<std::uint8_t> bytes = kalt::xm::WriteXm(m);
  std::FILE* f = std::fopen(condemo::kSongFile, "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);

  std::unique_ptr<condemo::Song> song = condemo::Song::Start();
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(song->HeardOrder(), 0);
  EXPECT_EQ(song->Pulse().beatCount, 0);
  song->Play();
  // The order position and the beat advance as the song is heard.
  EXPECT_TRUE(audio_test::WaitFor([&] { return song->HeardOrder() == 1 && song->Pulse().beatCount >= 5; }));
  EXPECT_EQ(song->Pulse().flashC, 1.0f);
  // Once stopped, nothing strikes the pulse any more.
  song->Stop();
  const MusicPulse stopped = song->Pulse();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(song->Pulse().beatCount, stopped.beatCount);
}

TEST(DecayFlashes, FadesEachAtItsRateAndStopsAtZero) {
  PulseState state;
  ResetValues(state, 1.0f, 0.75f, 0.01f, 7);
  condemo::DecayFlashes(state, 0.02);
  EXPECT_EQ(state.flashA.load(), static_cast<float>(1.0 - 4.0 * 0.02));
  EXPECT_EQ(state.flashB.load(), static_cast<float>(double(0.75f) - 3.0 * 0.02));
  EXPECT_EQ(state.flashC.load(), static_cast<float>(double(0.01f) - 4.0 * 0.02));  // just below 0
  EXPECT_LT(state.flashC.load(), 0.0f);
  condemo::DecayFlashes(state, 0.02);
  EXPECT_EQ(state.flashC.load(), 0.0f);
  EXPECT_EQ(state.beatCount.load(), 7);
  state.flashA.store(-0.0f);
  condemo::DecayFlashes(state, 0.0);
  EXPECT_EQ(state.flashA.load(), 0.0f);
}

// A note struck while the flashes fade is never lost. Notes on one thread
// race the decay on another, round after round, each thread starting after
// its own short, varying delay so that the notes land before, inside and
// after the decay; after each round the snapshot shows the struck flash at
// full strength or faded by the one step that may have followed the note.
TEST(DecayFlashes, NeverOverwritesANoteStruckMeanwhile) {
  constexpr int kRounds = 30000;
  constexpr double kFrame = 0.05;
  constexpr int kInstruments[] = {5, 7, 12};  // flashA, flashB, flashC and the beat
  const auto spin = [](int count) {
    [[maybe_unused]] volatile int sink = 0;
    for (int i = 0; i < count; ++i) sink = i;
  };
  PulseState state;
  std::atomic<int> go{0}, struck{0};
  std::thread player([&] {
    for (int round = 1; round <= kRounds; ++round) {
      while (go.load(std::memory_order_acquire) != round) {
      }
      spin((round * 7) % 97);
      condemo::ApplyInstrument(state, kInstruments[round % 3]);
      struck.store(round, std::memory_order_release);
    }
  });
  int lost = 0;
  for (int round = 1; round <= kRounds; ++round) {
    ResetValues(state, 0.5f, 0.5f, 0.5f, round - 1);
    go.store(round, std::memory_order_release);
    spin(round % 89);
    condemo::DecayFlashes(state, kFrame);
    while (struck.load(std::memory_order_acquire) != round) {
    }
    const MusicPulse pulse = condemo::TakePulse(state);
    // The struck flash, its strength and its rate.
    const int which = round % 3;
    const float value = which == 0 ? pulse.flashA : which == 1 ? pulse.flashB : pulse.flashC;
    const float strike = which == 1 ? 0.75f : 1.0f;
    const double rate = which == 1 ? 3.0 : 4.0;
    if (value != strike && value != static_cast<float>(strike - rate * kFrame)) {
      if (++lost <= 5) ADD_FAILURE() << "round " << round << ": flash " << which << " reads " << value;
    }
    EXPECT_EQ(pulse.beatCount, which == 2 ? round : round - 1);
  }
  player.join();
  EXPECT_EQ(lost, 0) << "of " << kRounds << " notes";
}

}  // namespace
