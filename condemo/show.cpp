#include "condemo/show.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "condemo/steps.h"
#include "gldisplay/terminal_display.h"
#include "gldisplay/window_display.h"
#include "kalt/frame_cap.h"
#include "kalt/worker_pool.h"
#include "music/song.h"
#include "terminal/terminal.h"

namespace condemo {

namespace {

// The millisecond clock's unit in seconds: 0.001 as a float, widened.
constexpr double kSecondsPerTick = static_cast<double>(0.001f);

// The screen, taken at once: the terminal, or a window (not full screen,
// since the show was asked for one). Null after a message on stderr (and,
// for the window, in a message box where a display exists) when standard
// output is not a terminal, or no window can be opened.
std::unique_ptr<gldisplay::KaltWindow> OpenScreen(const ShowOptions& options) {
  if (options.screen == ScreenKind::kWindow) {
    auto window = std::make_unique<gldisplay::RarodIdazer>(gldisplay::WindowOptions{.title = kShowTitle});
    if (!window->Open()) return nullptr;  // after its message
    return window;
  }
  auto terminal = std::make_unique<gldisplay::TerminalDisplay>(
      gldisplay::TerminalOptions{.title = kShowTitle, .encoding = options.encoding, .fit = options.fit});
  try {
    terminal->Open();
  } catch (const term::TerminalError& e) {
    std::fprintf(stderr, "condemo: %s\n", e.what());
    return nullptr;
  }
  return terminal;
}

}  // namespace

int HardwareWorkerCount() {
  const unsigned count = std::thread::hardware_concurrency();
  return count == 0 ? 1 : static_cast<int>(count);
}

ShowResult PlayShow(const ShowOptions& options) {
  ShowResult result;
  // Start-up: the console, then for each play of the show the clock and the
  // song.
  std::unique_ptr<gldisplay::KaltWindow> screen = OpenScreen(options);
  if (!screen) {
    result.exitStatus = 1;
    return result;
  }
  kalt::WorkerPool workers(options.workerCount);  // one pool for the whole run
  kalt::FrameCap cap(options.fps);
  std::optional<ShowStart> later = options.start;
  for (bool again = true; again;) {
    std::uint64_t start = term::Milliseconds();
    std::unique_ptr<Song> song = Song::Start();
    if (!song) {
      // Its message shows once the terminal is restored.
      screen.reset();
      result.exitStatus = 1;
      return result;
    }
    ShowSteps steps;
    CellGrid grid{};
    // A later start: the frames before it stepped through, then the clock
    // from there.
    double from = 0.0;
    if (later) {
      const int stepFps = options.fps > 0 ? static_cast<int>(options.fps) : kStepFps;
      const std::optional<double> at = StepThrough(steps, song->Offline(), *later, stepFps, grid);
      if (!at) {
        std::fprintf(stderr, "condemo: the show ends at %.2f s, before the moment asked for\n", steps.previousTime);
        result.exitStatus = 2;
        break;
      }
      from = *at;
      later.reset();
      start = term::Milliseconds();
    }
    song->Play(audio::SamplePosition(from));

    // The frame loop.
    for (;;) {
      // 1. The time, the song's position and its pulse, held for the whole
      //    frame.
      const double sceneTime = from + static_cast<double>(term::Milliseconds() - start) * kSecondsPerTick;
      const int order = song->HeardOrder();
      // 2. The scene of this position, every cell on the screen's grid, the
      //    logos over them.
      if (const GridSize size{screen->columns(), screen->rows()}; grid.size() != size) grid = CellGrid(size);
      DrawStep(steps, order, sceneTime, song->Pulse(), &workers, grid);
      // 3. The whole grid to the screen.
      std::copy(grid.cells.begin(), grid.cells.end(), screen->cells().begin());
      screen->Present();
      if (options.frameShown) options.frameShown(grid, order);
      // 4. The flashes fade by the frame's time step.
      song->DecayFlashes(EndStep(steps, sceneTime));
      result.seconds = sceneTime;
      // 5. The end of the song, or a key or signal; then the frame cap.
      const bool escape = gldisplay::EscapeTyped(*screen);
      const gldisplay::EndRequest end = screen->EndRequested();
      if (escape || end.end) {
        result.endSignal = end.signal;
        again = false;
        break;
      }
      if (order >= kEndOrder) {
        again = options.loop;
        break;
      }
      cap.Wait();
    }
    // Shut-down of this play: the music.
    song.reset();
  }
  result.stats = screen->Stats();
  return result;
}

}  // namespace condemo
