#include "offline.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "shows.h"

namespace {

// One way of encoding the frames and what it sent.
struct Stream {
  const char* name;
  term::EncodeOptions options;
  term::ScreenState state;
  std::string bytes;
  double total = 0.0;
};

}  // namespace

int MeasureOffline(int fps, int workerCount, term::Repeat repeat) {
  std::vector<Stream> streams = {
      {"changed cells", {.repeat = repeat}, {}, {}},
      {"every cell", {.everyCell = true, .repeat = repeat}, {}, {}},
      {"changed cells, true colour", {.trueColour = true, .repeat = repeat}, {}, {}},
      {"every cell, true colour", {.trueColour = true, .everyCell = true, .repeat = repeat}, {}, {}},
  };
  try {
    // 1. The show from its start as capture runs it: the song heard
    //    offline, a frame every 1/fps second, up to the frame that ends it.
    const std::unique_ptr<capture::OfflineShow> show = capture::OpenCondemo(0.0, fps, workerCount);
    capture::ShowFrame frame, previous;
    double frames = 0.0, changedCells = 0.0;
    while (!frame.last) {
      show->NextFrame(frame);
      ++frames;
      // 2. Each stream encodes the frame; the changed cells are counted as
      //    the terminal sees them.
      const term::GridView view(frame.cells.data(), term::kGridCells);
      for (Stream& stream : streams) {
        stream.bytes.clear();
        term::EncodeFrame(view, stream.options, stream.state, stream.bytes);
        stream.total += static_cast<double>(stream.bytes.size());
      }
      for (int i = 0; i < term::kGridCells; ++i)
        changedCells += frames == 1 || term::CellLook(frame.cells[i]) != term::CellLook(previous.cells[i]);
      previous.cells = frame.cells;
    }

    // 3. The figures.
    const double seconds = frame.time > 0.0 ? frame.time : 1.0;
    std::printf("offline at %d fps: %.0f frames in %.1f s, %.1f %% of the cells changed per frame\n", fps, frames,
                frame.time, 100.0 * changedCells / (frames * term::kGridCells));
    for (std::size_t i = 0; i < streams.size(); ++i) {
      const Stream& stream = streams[i];
      std::printf("  %-27s %7.0f bytes per frame, %9.0f bytes per second", stream.name, stream.total / frames,
                  stream.total / seconds);
      if (!stream.options.everyCell)
        std::printf(", %.1f %% of every cell", 100.0 * stream.total / streams[i + 1].total);
      std::printf("\n");
    }
  } catch (const capture::CaptureError& e) {
    std::fprintf(stderr, "measure-condemo: %s\n", e.what());
    return 1;
  }
  return 0;
}
