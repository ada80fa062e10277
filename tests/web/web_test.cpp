// The web page's core: the sync track, the frame loop against it (frame for
// frame the frames capture draws from the song itself), the canvas display.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <string>

#include "gldisplay/canvas_display.h"
#include "shows.h"
#include "web/condemo_run.h"

namespace {

using web::SyncEvent;

TEST(SyncTrack, ReadsWhatItWritesAndRefusesTheRest) {
  const std::vector<SyncEvent> events{{0, SyncEvent::kOrder, 1}, {99, SyncEvent::kStrike, 12},
                                      {99, SyncEvent::kStrike, 5}, {4410, SyncEvent::kEnd, 0}};
  const std::string text = web::WriteSyncTrack(events);
  EXPECT_EQ(text, "kalt-sync 1\n0 o 1\n99 s 12\n99 s 5\n4410 e\n");
  std::vector<SyncEvent> read;
  std::string error;
  ASSERT_TRUE(web::ReadSyncTrack(text, read, &error)) << error;
  ASSERT_EQ(read.size(), events.size());
  for (std::size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(read[i].sample, events[i].sample);
    EXPECT_EQ(read[i].kind, events[i].kind);
    EXPECT_EQ(read[i].value, events[i].value);
  }
  for (const char* bad : {"", "kalt-sync 2\n", "kalt-sync 1\n5 o\n", "kalt-sync 1\n5 x 1\n", "kalt-sync 1\n5 o 1 2\n",
                          "kalt-sync 1\n-5 o 1\n", "kalt-sync 1\n9 o 1\n8 o 2\n", "kalt-sync 1\n5 e 1\n"}) {
    EXPECT_FALSE(web::ReadSyncTrack(bad, read, &error)) << bad;
    EXPECT_TRUE(read.empty());
    EXPECT_FALSE(error.empty());
  }
}

TEST(HeardSong, AppliesEachEventOnceItsSampleIsHeard) {
  web::HeardSong song({{10, SyncEvent::kOrder, 3}, {20, SyncEvent::kStrike, 12}, {20, SyncEvent::kStrike, 7},
                       {30, SyncEvent::kEnd, 0}});
  song.HearUpTo(9);
  EXPECT_EQ(song.Order(), 0);
  song.HearUpTo(20);
  EXPECT_EQ(song.Order(), 3);
  const condemo::MusicPulse pulse = condemo::TakePulse(song.Pulse());
  EXPECT_EQ(pulse.beatCount, 1);
  EXPECT_EQ(pulse.flashC, 1.0f);
  EXPECT_EQ(pulse.flashB, 0.75f);
  song.HearUpTo(5);  // no way back
  EXPECT_FALSE(song.Ended());
  song.HearUpTo(30);
  EXPECT_TRUE(song.Ended());
  EXPECT_EQ(condemo::TakePulse(song.Pulse()).beatCount, 1);
}

// The sync track websong renders from the song, once for the tests.
const std::vector<SyncEvent>& SongTrack() {
  static const std::vector<SyncEvent> events = [] {
    const auto dir = std::filesystem::temp_directory_path() / ("kalt-web-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string command = std::string(KALT_TOOLS_DIR) + "/websong " + (dir / "song.ogg").string() + " " +
                                (dir / "song.sync").string();
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(dir / "song.sync", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_GT(std::filesystem::file_size(dir / "song.ogg"), 100000u);
    std::filesystem::remove_all(dir);
    std::vector<SyncEvent> read;
    std::string error;
    EXPECT_TRUE(web::ReadSyncTrack(text, read, &error)) << error;
    return read;
  }();
  return events;
}

// Every frame of the show at `fps` up to `frames` (all when 0): the page's
// run against the sync track draws the cells capture draws with the song.
void ExpectCaptureFrames(int fps, std::int64_t frames) {
  const auto capture = capture::OpenCondemo(0.0, fps, 2);
  web::CondemoRun run(SongTrack(), 2);
  capture::ShowFrame expected;
  std::int64_t k = 0, differ = 0;
  for (; frames == 0 || k < frames; ++k) {
    capture->NextFrame(expected);
    run.Step(static_cast<double>(k) / fps, true, 1.0 / fps);
    if (!std::equal(expected.cells.begin(), expected.cells.end(), run.Grid().cells.begin())) {
      if (++differ <= 5) ADD_FAILURE() << "frame " << k << " at " << fps << " fps differs: " << expected.state;
    }
    EXPECT_EQ(run.Ended(), expected.last) << "frame " << k;
    if (expected.last || run.Ended()) break;
  }
  EXPECT_EQ(differ, 0) << "of " << k + 1 << " frames";
}

TEST(CondemoRun, DrawsTheFramesOfACaptureAtTenFramesASecond) { ExpectCaptureFrames(10, 0); }
TEST(CondemoRun, DrawsTheFramesOfACaptureAtSixtyFramesASecond) { ExpectCaptureFrames(60, 900); }

TEST(CondemoRun, AStillIsTheFrameOfARunFromTheStart) {
  web::CondemoRun run(SongTrack(), 1), still(SongTrack(), 1);
  for (int k = 0; k <= 130; ++k) run.Step(k / 10.0, true, 0.1);
  web::StepToFrame(still, 10, 130);
  EXPECT_EQ(still.Order(), run.Order());
  EXPECT_TRUE(std::equal(still.Grid().cells.begin(), still.Grid().cells.end(), run.Grid().cells.begin()));
}

TEST(CanvasDisplay, DrawsOpaquePixelsOfTheRasteriserAndQueuesEscape) {
  gldisplay::FontImage font;  // no glyphs: each cell in its paper colour
  gldisplay::CanvasDisplay display(font);
  ASSERT_EQ(display.columns(), 80);
  ASSERT_EQ(display.rows(), 50);
  display.cells()[81] = {'A', 0x4E};  // column 1, row 1: paper 4 (red)
  display.Present();
  const std::uint8_t* rgba = display.Rgba();
  const auto pixel = [&](int x, int y) { return rgba + 4 * (y * 640 + x); };
  const gldisplay::Rgb red = gldisplay::kPalette[4];
  EXPECT_EQ(pixel(8, 8)[0], red.r);
  EXPECT_EQ(pixel(15, 15)[1], red.g);
  EXPECT_EQ(pixel(15, 15)[2], red.b);
  EXPECT_EQ(pixel(16, 15)[0], 0);
  EXPECT_EQ(pixel(639, 399)[3], 255);
  EXPECT_EQ(display.Stats().frames, 1u);
  EXPECT_FALSE(gldisplay::EscapeTyped(display));
  display.QueueKey('x');
  display.RequestClose();
  EXPECT_TRUE(gldisplay::EscapeTyped(display));
  EXPECT_EQ(display.TakeKey(), 0);
  EXPECT_TRUE(display.EndRequested().end);
}

}  // namespace
