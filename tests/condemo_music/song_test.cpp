// The show's song: its instruments' effect on the flash values, its
// start-up and failure, and the flash decay.
#include "music/song.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../audio/manual_clock.h"
#include "modules.h"

namespace {

using modules::Hit;

void ResetValues(float a, float b, float c, std::int32_t beats) {
  condemo::flashA.store(a);
  condemo::flashB.store(b);
  condemo::flashC.store(c);
  condemo::beatCount.store(beats);
}

struct Values {
  float a, b, c;
  std::int32_t beats;
  bool operator==(const Values&) const = default;
};

void PrintTo(const Values& v, std::ostream* os) { *os << "{" << v.a << ", " << v.b << ", " << v.c << ", " << v.beats << "}"; }

Values Now() { return {condemo::flashA.load(), condemo::flashB.load(), condemo::flashC.load(), condemo::beatCount.load()}; }

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
  condemo::HookInstruments(*song);
  std::vector<float> buffer(2 * 5292);
  // Hears row `row` and returns the values after it, having set them to
  // sentinels first.
  const auto hear = [&](int row) {
    ResetValues(0.5f, 0.5f, 0.5f, 100);
    song->Render(buffer.data(), 5292, static_cast<std::uint64_t>(row) * 5292);
    song->Played(static_cast<std::uint64_t>(row) * 5292 + 5291);
    return Now();
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

TEST(StartSong, WithoutTheSongSaysSoAndFails) {
  unsetenv("DISPLAY");  // no message box to wait for
  unsetenv("WAYLAND_DISPLAY");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  InDirectory empty;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(condemo::StartSong());
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("Error! Brom suxx!: Failed loading Protracker-Module"), std::string::npos) << said;
  EXPECT_EQ(condemo::MusicOrder(), -1);
  condemo::PlayMusic();
  condemo::StopMusic();
  condemo::StopMusic();

  // A file of that name that is not a module fails alike.
  std::FILE* f = std::fopen(condemo::kSongFile, "wb");
  std::fputs("Extended Module: but not really", f);
  std::fclose(f);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(condemo::StartSong());
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Failed loading Protracker-Module"), std::string::npos);
  condemo::StopMusic();
}

TEST(StartSong, PlaysTheSongInRealTimeWithoutASoundDevice) {
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

  ResetValues(0.0f, 0.0f, 0.0f, 0);
  ASSERT_TRUE(condemo::StartSong());
  EXPECT_EQ(condemo::MusicOrder(), 0);
  condemo::PlayMusic();
  // The order position and the beat advance as the song is heard.
  EXPECT_TRUE(audio_test::WaitFor([] { return condemo::MusicOrder() == 1 && condemo::beatCount.load() >= 5; }));
  EXPECT_EQ(condemo::flashC.load(), 1.0f);
  condemo::StopMusic();
  EXPECT_EQ(condemo::MusicOrder(), -1);
}

TEST(DecayFlashes, FadesEachAtItsRateAndStopsAtZero) {
  ResetValues(1.0f, 0.75f, 0.01f, 7);
  condemo::DecayFlashes(0.02);
  EXPECT_EQ(condemo::flashA.load(), static_cast<float>(1.0 - 4.0 * 0.02));
  EXPECT_EQ(condemo::flashB.load(), static_cast<float>(double(0.75f) - 3.0 * 0.02));
  EXPECT_EQ(condemo::flashC.load(), static_cast<float>(double(0.01f) - 4.0 * 0.02));  // just below 0
  EXPECT_LT(condemo::flashC.load(), 0.0f);
  condemo::DecayFlashes(0.02);
  EXPECT_EQ(condemo::flashC.load(), 0.0f);
  EXPECT_EQ(condemo::beatCount.load(), 7);
  condemo::flashA.store(-0.0f);
  condemo::DecayFlashes(0.0);
  EXPECT_EQ(condemo::flashA.load(), 0.0f);
}

}  // namespace
