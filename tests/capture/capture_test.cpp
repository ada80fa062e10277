// capture run as a user runs it, its files read back with FFmpeg's tools
// and compared with framegrab's stills and the shows' own sound.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/output.h"
#include "gldemo/demo_main.h"
#include "gldemo/ogg_stream.h"
#include "kalt_test/tools.h"
#include "media_file.h"
#include "music/player.h"
#include "music/song.h"
#include "run.h"
#include "screen_model.h"
#include "timing.h"

extern char** environ;

namespace capture {
namespace {

namespace fs = std::filesystem;
using kalt_test::ReadFile;
using kalt_test::RunCommand;

const std::string kCapture = std::string(KALT_TOOLS_DIR) + "/capture";

class CaptureRun : public ::testing::Test {
 protected:
  fs::path dir = fs::temp_directory_path() / ("capture_test_" + std::to_string(::getpid()));
  std::string capture_ = kCapture;  // the capture program the test runs
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }

  std::string Path(const std::string& name) const { return (dir / name).string(); }

  // Runs capture; its exit status (-1 when it did not exit), stdout into
  // *out and stderr into *err.
  int Capture(const std::string& arguments, std::string* out = nullptr, std::string* err = nullptr,
              const std::string& workingDirectory = ".") {
    int status = 0;
    const std::string text = RunCommand("cd " + workingDirectory + " && " + capture_ + " " + arguments + " 2>" +
                                            Path("stderr.txt"),
                                        &status);
    if (out) *out = text;
    if (err) *err = ReadFile(Path("stderr.txt"));
    fs::remove(Path("stderr.txt"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The files the captures left in the folder.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    return names;
  }

  // The RGB pixels of every frame of a file, or of an image.
  static std::string DecodeRgb(const std::string& path) {
    return RunCommand("ffmpeg -v error -i " + path + " -f rawvideo -pix_fmt rgb24 - 2>/dev/null");
  }

  // The still framegrab draws for a frame's state, as RGB pixels.
  std::string Still(const std::string& demo, const std::string& state) {
    const std::string png = Path("still.png");
    EXPECT_EQ(kalt_test::Framegrab(demo + " " + state + " --out " + png), 0) << state;
    const std::string rgb = DecodeRgb(png);
    fs::remove(png);
    return rgb;
  }

  // ffprobe's CSV lines for the given stream entries (in ffprobe's order).
  static std::string Probe(const std::string& path, const std::string& entries) {
    return RunCommand("ffprobe -v error -show_entries stream=" + entries + " -of csv=p=0 " + path);
  }

  // The pictures of a file, as ffprobe counts them decoding it.
  static int Pictures(const std::string& path) {
    return std::stoi(
        RunCommand("ffprobe -v error -select_streams v -count_frames -show_entries stream=nb_read_frames -of csv=p=0 " +
                   path));
  }
};

// The state lines of --state: frame number, then the framegrab options.
std::vector<std::string> States(const std::string& listing) {
  std::vector<std::string> states;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t space = line.find(' ');
    EXPECT_EQ(line.substr(0, space), std::to_string(states.size()));
    states.push_back(line.substr(space + 1));
  }
  return states;
}

std::vector<std::int16_t> DecodeS16(const std::string& path) {
  const std::string bytes = RunCommand("ffmpeg -v error -i " + path + " -f s16le -acodec pcm_s16le - 2>/dev/null");
  std::vector<std::int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

// Where two lists of samples first differ, -1 when they are equal.
long FirstDifference(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
  const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return ia == a.end() && ib == b.end() ? -1 : static_cast<long>(ia - a.begin());
}

std::vector<std::int16_t> ToS16(std::vector<float> sound) {
  audio::Saturate(sound.data(), sound.size());
  std::vector<std::int16_t> samples;
  for (const float v : sound) samples.push_back(SampleS16(v));
  return samples;
}

// condemo's song through the show's effects chain, pulled as the audio
// output pulls it: samples [first, first + count).
std::vector<std::int16_t> SongSamples(std::int64_t first, std::int64_t count) {
  std::string error;
  auto song = music::Player::Open(condemo::kSongFile, {}, &error);
  EXPECT_TRUE(song) << error;
  if (!song) return {};
  song->SetEffects(condemo::SongEffects());
  const std::int64_t piece = audio::OutputOptions{}.bufferFrames;
  std::vector<float> all(static_cast<std::size_t>(2 * (first + count + piece)));
  for (std::int64_t done = 0; done < first + count; done += piece) {
    song->Render(all.data() + 2 * done, static_cast<std::size_t>(piece), static_cast<std::uint64_t>(done));
    song->Played(static_cast<std::uint64_t>(done + piece));
  }
  return ToS16(std::vector<float>(all.begin() + 2 * first, all.begin() + 2 * (first + count)));
}

// gldemo's soundtrack, decoded: samples [first, first + count).
std::vector<std::int16_t> SoundtrackSamples(std::int64_t first, std::int64_t count) {
  std::string error;
  auto stream = gldemo::OggStream::OpenFile(gldemo::kMusicPath, &error);
  EXPECT_TRUE(stream) << error;
  if (!stream) return {};
  std::vector<float> all(static_cast<std::size_t>(2 * (first + count)));
  EXPECT_EQ(stream->Decode(all.data(), static_cast<std::size_t>(first + count)), static_cast<std::size_t>(first + count));
  return ToS16(std::vector<float>(all.begin() + 2 * first, all.end()));
}

TEST_F(CaptureRun, LosslessCondemoIsTheShowsPixelsAndSound) {
  // Order position 2 with the logos, beats and flashes, from a run from 0.
  const std::string out = Path("condemo.mkv");
  std::string listing;
  ASSERT_EQ(Capture("condemo " + out + " --lossless --scale 1 --fps 10 --from 20 --to 20.5 --state", &listing), 0);
  EXPECT_EQ(Probe(out, "codec_name,codec_type,width,height,pix_fmt,sample_fmt"), "ffv1,video,640,400,bgr0\nflac,audio,s16\n");
  EXPECT_EQ(Pictures(out), 5);

  const std::vector<std::string> states = States(listing);
  ASSERT_EQ(states.size(), 5u);
  EXPECT_EQ(states[0].substr(0, 24), "--order 2 --time 20 --fl");
  const std::string pixels = DecodeRgb(out);
  constexpr std::size_t kFrameBytes = 640 * 400 * 3;
  ASSERT_EQ(pixels.size(), 5 * kFrameBytes);
  for (std::size_t k = 0; k < states.size(); ++k)
    EXPECT_TRUE(pixels.compare(k * kFrameBytes, kFrameBytes, Still("condemo", states[k])) == 0) << states[k];

  EXPECT_EQ(FirstDifference(DecodeS16(out),
                            SongSamples(SamplePosition(20.0), SamplePosition(20.5) - SamplePosition(20.0))),
            -1);
}

TEST_F(CaptureRun, LosslessGldemoIsTheShowsPixelsEnlargedAndItsSound) {
  // Across beat 58, where the show lays black over the frame before.
  const std::string out = Path("gldemo.mkv");
  std::string listing;
  ASSERT_EQ(Capture("gldemo " + out + " --lossless --scale 2 --fps 10 --from 96.5 --to 96.9 --state", &listing), 0);
  const std::vector<std::string> states = States(listing);
  ASSERT_EQ(states.size(), 4u);
  EXPECT_EQ(states[0], "--beat 57.9000015");
  const std::string pixels = DecodeRgb(out);
  constexpr std::size_t kFrameBytes = 1280 * 800 * 3;
  ASSERT_EQ(pixels.size(), 4 * kFrameBytes);
  for (std::size_t k = 0; k < states.size(); ++k) {
    const std::string still = Still("gldemo", states[k]);
    ASSERT_EQ(still.size(), kFrameBytes / 4);
    std::size_t differing = 0;
    for (std::size_t y = 0; y < 800; ++y)
      for (std::size_t x = 0; x < 1280; ++x)
        differing += pixels.compare(k * kFrameBytes + (y * 1280 + x) * 3, 3, still, ((y / 2) * 640 + x / 2) * 3, 3) != 0;
    EXPECT_EQ(differing, 0u) << states[k];
  }

  EXPECT_EQ(FirstDifference(DecodeS16(out),
                            SoundtrackSamples(SamplePosition(96.5), SamplePosition(96.9) - SamplePosition(96.5))),
            -1);
}

TEST_F(CaptureRun, DefaultFilesAreH264AndAacForEveryFrame) {
  const std::string mp4 = Path("condemo.mp4"), mkv = Path("gldemo.mkv");
  std::string err;
  ASSERT_EQ(Capture("condemo " + mp4 + " --fps 10 --from 30 --to 32", nullptr, &err), 0);
  // No progress bar off a terminal: the summary line alone.
  EXPECT_EQ(err.rfind("capture: " + mp4 + ": 20 frames at 10 fps", 0), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
  EXPECT_EQ(Probe(mp4, "codec_name,codec_type,width,height,pix_fmt,sample_rate,channels"),
            "h264,video,1280,800,yuv420p\naac,audio,44100,2\n");
  EXPECT_EQ(Pictures(mp4), 20);
  const double duration = std::stod(RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + mp4));
  EXPECT_NEAR(duration, 2.0, 0.03);

  ASSERT_EQ(Capture("gldemo " + mkv + " --scale 1 --fps 24 --from 400 --to 401"), 0);  // in the second loop
  EXPECT_EQ(Probe(mkv, "codec_name,codec_type,width,height,pix_fmt"), "h264,video,640,400,yuv444p\naac,audio\n");
  EXPECT_EQ(Pictures(mkv), 24);
}

// One event of an asciicast v2 recording: [seconds, "o", "bytes"].
struct CastEvent {
  double seconds = 0.0;
  std::string bytes;
};

bool ParseEvent(const std::string& line, CastEvent& event) {
  std::size_t at = 0;
  if (line.empty() || line[at++] != '[') return false;
  char* end = nullptr;
  event.seconds = std::strtod(line.c_str() + at, &end);
  at = static_cast<std::size_t>(end - line.c_str());
  const std::string kind = ", \"o\", \"";
  if (line.compare(at, kind.size(), kind) != 0) return false;
  event.bytes.clear();
  for (at += kind.size(); at < line.size() && line[at] != '"'; ++at) {
    if (line[at] != '\\') {
      event.bytes += line[at];
      continue;
    }
    const char escape = line[++at];
    const std::map<char, char> simple = {{'"', '"'}, {'\\', '\\'}, {'/', '/'}, {'n', '\n'}, {'t', '\t'}, {'r', '\r'},
                                         {'b', '\b'}, {'f', '\f'}};
    if (const auto it = simple.find(escape); it != simple.end()) {
      event.bytes += it->second;
    } else if (escape == 'u') {
      const long code = std::strtol(line.substr(at + 1, 4).c_str(), nullptr, 16);
      if (code >= 0x80) return false;  // the recorder escapes controls only
      event.bytes += static_cast<char>(code);
      at += 4;
    } else {
      return false;
    }
  }
  return line.compare(at, 2, "\"]") == 0 && at + 2 == line.size();
}

TEST_F(CaptureRun, CastReplaysTheShowsCellsOnATerminal) {
  const std::string out = Path("condemo.cast");
  std::string listing;
  ASSERT_EQ(Capture("condemo " + out + " --fps 10 --from 8.1 --to 8.6 --state", &listing), 0);  // the logos arrive
  const std::vector<std::string> states = States(listing);
  ASSERT_EQ(states.size(), 5u);
  std::istringstream lines(ReadFile(out));
  std::string header;
  std::getline(lines, header);
  EXPECT_EQ(header, R"({"version": 2, "width": 80, "height": 50, "title": "Vorl+Zeb - Kalt #20"})");

  term_test::ScreenModel model(80, 50);
  std::vector<CastEvent> events;
  for (std::string line; std::getline(lines, line);) {
    ASSERT_TRUE(ParseEvent(line, events.emplace_back())) << line.substr(0, 80);
  }
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].seconds, 0.0);
  EXPECT_NE(events[0].bytes.find("\x1b[2J"), std::string::npos) << "the first frame draws every cell";
  std::size_t next = 0;
  for (std::size_t k = 0; k < states.size(); ++k) {
    for (; next < events.size() && events[next].seconds <= k / 10.0 + 1e-6; ++next) model.Feed(events[next].bytes);
    ASSERT_FALSE(HasFatalFailure());
    // framegrab's cells of the frame.
    const std::string txt = Path("still.txt");
    ASSERT_EQ(kalt_test::Framegrab("condemo " + states[k] + " --out " + txt), 0);
    std::array<term::Cell, term::kGridCells> grid;
    std::istringstream tokens(ReadFile(txt));
    for (term::Cell& cell : grid) {
      std::string token;
      tokens >> token;
      const unsigned value = static_cast<unsigned>(std::stoul(token, nullptr, 16));
      cell = {static_cast<std::uint16_t>(value >> 8), static_cast<std::uint16_t>(value & 0xFF)};
    }
    term_test::ExpectShows(model, {80, 50}, term::GridView(grid));
  }
  EXPECT_EQ(next, events.size());
}

TEST_F(CaptureRun, BadInputsSayWhyAndLeaveNoFile) {
  std::string out, err;
  EXPECT_EQ(Capture("--help", &out, &err), 0);
  EXPECT_EQ(out.rfind("usage: capture", 0), 0u);
  EXPECT_EQ(err, "");
  EXPECT_EQ(Capture("condemo " + Path("x.mp4") + " --colour 3", &out, &err), 2);
  EXPECT_EQ(err, "capture: unknown option '--colour' (try capture --help)\n");
  EXPECT_EQ(Capture("gldemo " + Path("x.webm"), nullptr, &err), 2);
  EXPECT_EQ(Capture("condemo " + Path("x.mp4") + " --fps 500", nullptr, &err), 2);
  EXPECT_EQ(Capture("condemo " + Path("x.mp4") + " --from 5 --to 2", nullptr, &err), 2);
  // A folder that does not exist, or is a file.
  EXPECT_EQ(Capture("gldemo " + Path("nowhere/x.mp4") + " --to 0.1", nullptr, &err), 1);
  EXPECT_NE(err.find("cannot write in the folder " + Path("nowhere")), std::string::npos) << err;
  EXPECT_EQ(Capture("condemo " + Path("stderr.txt/x.cast") + " --to 0.1", nullptr, &err), 1);
  // The show's data missing: a copy of capture in a bin folder of its own,
  // started outside any run tree.
  const fs::path lonely = fs::path(::testing::TempDir()) / ("capture-lonely-" + std::to_string(getpid()));
  fs::create_directories(lonely / "bin");
  fs::copy_file(kCapture, lonely / "bin" / "capture", fs::copy_options::overwrite_existing);
  capture_ = (lonely / "bin" / "capture").string();
  EXPECT_EQ(Capture("condemo " + Path("x.cast") + " --to 1", nullptr, &err, dir.string()), 1);
  EXPECT_EQ(err, "capture: Failed loading Protracker-Module: cannot open DiRURODU.XM\n");
  EXPECT_EQ(Capture("gldemo " + Path("x.mkv") + " --to 1", nullptr, &err, dir.string()), 1);
  EXPECT_EQ(err, "capture: cannot read the font atlas ../data/font.tga\n");
  capture_ = kCapture;
  fs::remove_all(lonely);
  // Past the end of condemo.
  EXPECT_EQ(Capture("condemo " + Path("x.cast") + " --from 600 --fps 1", nullptr, &err), 1);
  EXPECT_NE(err.find("before --from 600"), std::string::npos) << err;
  EXPECT_EQ(Files(), std::vector<std::string>{});
}

// A sink that has written part of its file when the machine runs out of
// memory at the third frame.
class FailingSink final : public FrameSink {
 public:
  void Open(const std::string& path) override { std::ofstream(path) << "part of a file"; }
  void AddFrame(const ShowFrame&, double) override {
    if (++frames_ == 3) throw std::bad_alloc();
  }
  void AddSound(OfflineShow&, std::size_t) override {}
  void Finish() override {}
  std::string Describe() const override { return "nothing"; }

 private:
  int frames_ = 0;
};

TEST_F(CaptureRun, FailedCaptureLeavesTheOldFileAsItWas) {
  // 1. Out of memory in the middle, over an earlier file.
  const std::string old = Path("old.cast");
  std::ofstream(old) << "an earlier capture";
  ::testing::internal::CaptureStderr();
  const int status = RunCapture(*ParseOptions({"condemo", old, "--fps", "10", "--to", "1"}),
                                [](const Options&, Timings&) { return std::make_unique<FailingSink>(); });
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "capture: out of memory\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(Files(), std::vector<std::string>{"old.cast"});
  EXPECT_EQ(ReadFile(old), "an earlier capture");
  fs::remove(old);
  // 2. The program, when the file is complete but cannot take the name of
  //    a folder.
  const std::string folder = Path("folder.cast");
  fs::create_directory(folder);
  std::string err;
  EXPECT_EQ(Capture("condemo " + folder + " --fps 10 --to 0.3", nullptr, &err), 1);
  EXPECT_EQ(err, "capture: cannot name the file " + folder + ": Is a directory\n");
  EXPECT_EQ(Files(), std::vector<std::string>{"folder.cast"});
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(CaptureRun, InterruptedCaptureLeavesNoFile) {
  for (const int sig : {SIGTERM, SIGINT}) {
    // 1. A long capture, stopped as soon as its file is being written.
    const std::string out = Path("long.mp4");
    const char* argv[] = {kCapture.c_str(), "gldemo", out.c_str(), "--fps", "60", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, kCapture.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Files().empty() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(Files().size(), 1u);
    EXPECT_EQ(Files()[0].rfind(".long.mp4.capture-", 0), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(pid, sig);
    // 2. It ends by the signal, after removing what it wrote.
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_EQ(Files(), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace capture
