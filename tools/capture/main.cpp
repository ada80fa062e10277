// capture: records either show offline as a video file with its sound, or
// condemo as a terminal recording, at a fixed frame rate: every frame is
// the picture the show draws at that moment, the sound is what it plays.
// The show's data is found beside the program (kalt::ShowFile); see kUsage
// (options.cpp) for the command line.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cast_file.h"
#include "kalt/options.h"
#include "media_file.h"
#include "options.h"
#include "picture.h"
#include "progress.h"
#include "shows.h"
#include "terminal/terminal.h"
#include "timing.h"

namespace capture {

namespace {

// The signal that asked the capture to stop (SIGINT, SIGTERM, SIGHUP), 0
// while none has.
volatile std::sig_atomic_t g_stopSignal = 0;

void OnStopSignal(int sig) { g_stopSignal = sig; }

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
}

// Thrown out of the frame loop when a stop signal came.
struct Stopped {};

// The output is written to a hidden file beside it and renamed to its name
// only once complete; otherwise the file is removed.
class TemporaryOutput {
 public:
  explicit TemporaryOutput(const std::string& target) : target_(target) {
    const std::filesystem::path path(target);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::string name = (folder / ("." + path.filename().string() + ".capture-XXXXXX")).string();
    const int fd = mkstemp(name.data());
    if (fd < 0) throw CaptureError("cannot write in the folder " + folder.string() + ": " + std::strerror(errno));
    // The permissions of any new file, not mkstemp's private ones.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    path_ = name;
  }
  ~TemporaryOutput() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;

  const std::string& path() const { return path_; }

  void Commit() {
    if (std::rename(path_.c_str(), target_.c_str()) != 0)
      throw CaptureError("cannot name the file " + target_ + ": " + std::strerror(errno));
    path_.clear();
  }

 private:
  std::string target_;
  std::string path_;
};

struct Timings {
  double show = 0.0;     // running the show: rendering the cells, the song
  double picture = 0.0;  // rasterising and enlarging the cells
  double encode = 0.0;   // encoding and writing
};

class Stopwatch {
 public:
  explicit Stopwatch(double& total) : total_(total) {}
  ~Stopwatch() { total_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

 private:
  double& total_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

std::string FileSize(const std::string& path) {
  std::error_code error;
  const auto bytes = static_cast<double>(std::filesystem::file_size(path, error));
  char text[32];
  if (bytes < 1e6)
    std::snprintf(text, sizeof text, "%.1f kB", error ? 0.0 : bytes / 1e3);
  else
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
  return text;
}

std::string Describe(const Options& options, const Picture* picture) {
  if (options.container == Container::kCast) return "asciicast v2, 80 x 50";
  char text[96];
  if (options.lossless)
    std::snprintf(text, sizeof text, "%d x %d, FFV1 RGB + FLAC", picture->width(), picture->height());
  else
    std::snprintf(text, sizeof text, "%d x %d, H.264 %s + AAC", picture->width(), picture->height(),
                  options.scale % 2 == 0 ? "4:2:0" : "4:4:4");
  return text;
}

int Run(const Options& options) {
  const bool video = options.container != Container::kCast;
  const bool condemo = options.demo == Demo::kCondemo;
  const int workers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

  // 1. What can fail before any frame: the font, the encoders, the show's
  //    data (and, for condemo, the frames before --from), the folder.
  std::unique_ptr<Picture> picture;
  std::unique_ptr<MediaFile> media;
  if (video) {
    picture = std::make_unique<Picture>(options.scale);
    media = std::make_unique<MediaFile>(MediaSettings{.width = picture->width(),
                                                      .height = picture->height(),
                                                      .fps = options.fps,
                                                      .scale = options.scale,
                                                      .matroska = options.container == Container::kMatroska,
                                                      .lossless = options.lossless});
  }
  const std::unique_ptr<OfflineShow> show =
      condemo ? OpenCondemo(options.from, options.fps, workers) : OpenGldemo(options.from, options.fps);
  TemporaryOutput output(options.out);

  // 2. How many frames: up to --to; without it, for gldemo to the end of
  //    the loop `from` is in, and for condemo to the song's order position
  //    21 (measured up front only for the progress bar).
  const double loopEnd = (std::floor(options.from / kGldemoLoop) + 1.0) * kGldemoLoop;
  const std::optional<double> to = options.to ? options.to : condemo ? std::nullopt : std::optional(loopEnd);
  const std::int64_t limit = to ? FramesBetween(options.from, *to, options.fps) : -1;
  const bool drawProgress = isatty(STDERR_FILENO) == 1;
  std::int64_t expected = limit > 0 ? limit : 0;
  if (drawProgress && condemo) {
    const std::int64_t toEnd = FramesBetween(options.from, CondemoEnd(), options.fps) + 1;
    expected = limit >= 0 ? std::min(limit, toEnd) : toEnd;
  }

  // 3. The file.
  std::FILE* castStream = nullptr;
  std::optional<CastFile> cast;
  if (video) {
    media->Open(output.path());
  } else {
    castStream = std::fopen(output.path().c_str(), "wb");
    if (!castStream) throw CaptureError("cannot write " + output.path() + ": " + std::strerror(errno));
    cast.emplace(castStream, CondemoTitle());
  }
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> castCloser(castStream, std::fclose);

  // 4. The frames, each with its sound.
  Progress progress(drawProgress ? stderr : nullptr, expected, options.fps);
  Timings timings;
  ShowFrame frame;
  std::vector<float> sound;
  std::int64_t frames = 0;
  while (limit < 0 || frames < limit) {
    if (g_stopSignal) throw Stopped{};
    {
      Stopwatch watch(timings.show);
      show->NextFrame(frame);
    }
    if (options.state) std::printf("%lld %s\n", static_cast<long long>(frames), frame.state.c_str());
    if (video) {
      const std::int64_t first = SamplePosition(frame.time);
      const std::int64_t end = SamplePosition(FrameTime(options.from, options.fps, frames + 1));
      sound.resize(static_cast<std::size_t>(2 * (end - first)));
      {
        Stopwatch watch(timings.show);
        show->NextSound(sound.data(), sound.size() / 2);
      }
      const std::vector<std::uint32_t>* pixels = nullptr;
      {
        Stopwatch watch(timings.picture);
        pixels = &picture->Draw(frame.cells);
      }
      Stopwatch watch(timings.encode);
      media->AddPicture(pixels->data());
      media->AddSound(sound.data(), sound.size() / 2);
    } else {
      Stopwatch watch(timings.encode);
      cast->AddFrame(static_cast<double>(frames) / options.fps, frame.cells);
    }
    ++frames;
    progress.Update(frames);
    if (frame.last) break;
  }

  // 5. The end of the file, under its name.
  {
    Stopwatch watch(timings.encode);
    if (video) {
      media->Finish();
    } else if (std::fflush(castStream) != 0 || std::ferror(castStream)) {
      throw CaptureError("cannot write " + output.path() + ": " + std::strerror(errno));
    }
  }
  if (g_stopSignal) throw Stopped{};
  output.Commit();
  progress.Clear();
  std::fflush(stdout);

  // 6. The summary.
  const double work = progress.Elapsed();
  const double shown = static_cast<double>(frames) / options.fps;
  std::fprintf(stderr,
               "capture: %s: %lld frames at %d fps (%.2f s of %s from %.2f s), %s, %s; %.1f s of work, %.2fx real "
               "time (show %.1f s, pictures %.1f s, encoding %.1f s)\n",
               options.out.c_str(), static_cast<long long>(frames), options.fps, shown, condemo ? "condemo" : "gldemo",
               options.from, Describe(options, picture.get()).c_str(), FileSize(options.out).c_str(), work,
               work > 0.0 ? shown / work : 0.0, timings.show, timings.picture, timings.encode);
  return 0;
}

}  // namespace

}  // namespace capture

int main(int argc, char** argv) {
  using namespace capture;
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--version") {
      kalt::PrintVersion("capture");
      return 0;
    }
  std::optional<Options> options;
  try {
    options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& e) {
    std::fprintf(stderr, "capture: %s (try capture --help)\n", e.what());
    return 2;
  }
  if (!options) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  CatchStopSignals();
  int status = 1;
  try {
    status = Run(*options);
  } catch (const CaptureError& e) {
    std::fprintf(stderr, "capture: %s\n", e.what());
  } catch (const Stopped&) {
  }
  // Stopped by a signal: everything is cleaned up; end by it, so that the
  // calling shell sees the interruption.
  if (g_stopSignal) term::DieOf(g_stopSignal);
  return status;
}
