#include "run.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <thread>

#include "progress.h"
#include "shows.h"
#include "temporary_output.h"
#include "timing.h"

namespace capture {

namespace {

// The signal that asked the capture to stop (SIGINT, SIGTERM, SIGHUP), 0
// while none has.
volatile std::sig_atomic_t g_stopSignal = 0;

void OnStopSignal(int sig) { g_stopSignal = sig; }

// Thrown out of the frame loop when a stop signal came.
struct Stopped {};

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

void Capture(const Options& options, const SinkMaker& openSink) {
  const bool condemo = options.demo == Demo::kCondemo;
  const int workers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

  // 1. What can fail before any frame: the font, the encoders, the show's
  //    data (and, for condemo, the frames before --from), the folder.
  Timings timings;
  const std::unique_ptr<FrameSink> sink = openSink(options, timings);
  const std::unique_ptr<OfflineShow> show =
      condemo ? OpenCondemo(options.from, options.fps, workers, options.grid) : OpenGldemo(options.from, options.fps);
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
  sink->Open(output.path());

  // 4. The frames, each with its sound.
  Progress progress(drawProgress ? stderr : nullptr, expected, options.fps);
  ShowFrame frame;
  std::int64_t frames = 0;
  while (limit < 0 || frames < limit) {
    if (g_stopSignal) throw Stopped{};
    {
      Stopwatch watch(timings.show);
      show->NextFrame(frame);
    }
    if (options.state) std::printf("%lld %s\n", static_cast<long long>(frames), frame.state.c_str());
    sink->AddFrame(frame, static_cast<double>(frames) / options.fps);
    const std::int64_t first = SamplePosition(frame.time);
    const std::int64_t end = SamplePosition(FrameTime(options.from, options.fps, frames + 1));
    sink->AddSound(*show, static_cast<std::size_t>(end - first));
    ++frames;
    progress.Update(frames);
    if (frame.last) break;
  }

  // 5. The end of the file, under its name.
  {
    Stopwatch watch(timings.encode);
    sink->Finish();
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
               options.from, sink->Describe().c_str(), FileSize(options.out).c_str(), work,
               work > 0.0 ? shown / work : 0.0, timings.show, timings.picture, timings.encode);
}

}  // namespace

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
}

int StopSignal() { return g_stopSignal; }

int RunCapture(const Options& options, const SinkMaker& openSink) {
  // Every way out of Capture unwinds it: the temporary file goes with it.
  try {
    Capture(options, openSink);
    return 0;
  } catch (const Stopped&) {
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "capture: out of memory\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "capture: %s\n", e.what());
  }
  return 1;
}

}  // namespace capture
