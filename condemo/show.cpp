#include "condemo/show.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>

#include "condemo/director.h"
#include "condemo/logos.h"
#include "condemo/render.h"
#include "gldisplay/terminal_display.h"
#include "gldisplay/window_display.h"
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
  // Start-up: the console, the clock, the song.
  std::unique_ptr<gldisplay::KaltWindow> screen = OpenScreen(options);
  if (!screen) {
    result.exitStatus = 1;
    return result;
  }
  const std::uint64_t start = term::Milliseconds();
  std::unique_ptr<Song> song = Song::Start();
  if (!song) {
    // Its message shows once the terminal is restored.
    screen.reset();
    result.exitStatus = 1;
    return result;
  }
  song->Play();

  // The frame loop, rendering on one pool of workers for the whole show.
  kalt::WorkerPool workers(options.workerCount);
  CellGrid grid{};
  FrameState frame;
  LogoJitter jitter;
  Rand15 logoRandom;
  double previousTime = 0.0, frameDelta = 0.0;
  for (;;) {
    // 1. The time, the song's position and its pulse, held for the whole
    //    frame.
    const double sceneTime = static_cast<double>(term::Milliseconds() - start) * kSecondsPerTick;
    const int order = song->HeardOrder();
    frame.pulse = song->Pulse();
    // 2. The scene of this position, then every cell.
    frame.scene = DirectScene(order, sceneTime, frame.pulse, frameDelta, frame.scene.maxTravel);
    frame.sceneTime = sceneTime;
    if (const GridSize size{screen->columns(), screen->rows()}; grid.size() != size) grid = CellGrid(size);
    RenderFrame(frame, workers, grid);
    ++frame.frameNumber;
    // 3. The logos over it, and the whole grid to the screen.
    DrawLogos(grid, jitter, logoRandom, order, frame.pulse);
    std::copy(grid.cells.begin(), grid.cells.end(), screen->cells().begin());
    screen->Present();
    if (options.frameShown) options.frameShown(grid, order);
    // 4. The flashes fade by the frame's time step.
    frameDelta = sceneTime - previousTime;
    song->DecayFlashes(frameDelta);
    previousTime = sceneTime;
    result.seconds = sceneTime;
    // 5. The end of the song, or a key or signal.
    const bool escape = gldisplay::EscapeTyped(*screen);
    const gldisplay::EndRequest end = screen->EndRequested();
    if (order >= kEndOrder || escape || end.end) {
      result.endSignal = end.signal;
      break;
    }
  }

  // Shut-down: the music, then the screen.
  song.reset();
  result.stats = screen->Stats();
  return result;
}

}  // namespace condemo
