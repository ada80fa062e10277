// The two shows run offline: a frame at any show time, as fast as the
// machine draws it, and the show's sound beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gldemo/beat_clock.h"
#include "gldemo/timeline.h"
#include "kalt/cell.h"
#include "kalt/grid_size.h"

namespace capture {

// A capture that cannot go on (missing data, an encoder the libraries lack,
// a file that cannot be written): the message says what and where.
class CaptureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One frame of a show, as the show draws it.
struct ShowFrame {
  // grid.columns x grid.rows cells, row-major.
  kalt::GridSize grid;
  std::vector<kalt::Cell> cells = std::vector<kalt::Cell>(kalt::kConsoleCells);
  double time = 0.0;  // seconds of the show
  // The framegrab options that draw the same frame ("--order 1 --time ..."
  // for condemo, "--beat ..." for gldemo).
  std::string state;
  bool last = false;  // the show ends with this frame

  kalt::CellView View() const { return {cells, grid.columns, grid.rows}; }
};

// Frames are asked for in order, k = 0, 1, 2, ...: frame k is the show at
// FrameTime(from, fps, k). Sound is taken in order too, from the sample at
// SamplePosition(from) on, in pieces of any size.
class OfflineShow {
 public:
  virtual ~OfflineShow() = default;
  virtual void NextFrame(ShowFrame& frame) = 0;
  // The next `frames` stereo frames, interleaved left and right, within
  // -1..1 as the output device gets them.
  virtual void NextSound(float* out, std::size_t frames) = 0;
};

// condemo from "DiRURODU.XM" (the working directory's, else the run tree's:
// kalt::ShowFile). The song runs offline
// through the show's player and effects chain; each frame takes the order
// position heard and the instrument notes struck up to and including its
// sample position, and the flashes fade by 1 / fps a frame. Frames before
// `from` are stepped through (song, director, logo jitter, flashes) without
// being drawn, so frame 0 holds what a run from the start would. The frame
// in which the order position first reads 21 is the last. Renders cells on
// workerCount threads, on a grid of the given size (condemo/render.h; each
// frame's state then names it with --grid). Throws CaptureError when the
// song cannot be loaded or the show ends before `from`.
std::unique_ptr<OfflineShow> OpenCondemo(double from, int fps, int workerCount, kalt::GridSize grid = {});

// condemo's title, which its terminal recordings carry.
const char* CondemoTitle();

// The show time at which condemo's song reaches order position 21 (what
// OpenCondemo's last frame reaches). Renders the whole song: about a second.
// Throws CaptureError when the song cannot be loaded.
double CondemoEnd();

// gldemo from "../Data20/" (kalt::ShowFile, likewise): the timeline at beat
// from + k / fps x 0.6 (in double, then rounded to float) on a screen canvas
// kept from frame to frame, and the decoded soundtrack. Both start again
// every kGldemoLoop seconds (176 bars). Throws CaptureError when the
// gradients or the soundtrack cannot be used.
std::unique_ptr<OfflineShow> OpenGldemo(double from, int fps);

// One loop of gldemo: 176 bars at 0.6 a second, 293.33 s (12,936,000
// samples).
inline constexpr double kGldemoLoop = gldemo::kLoopSeconds;
inline constexpr std::int64_t kGldemoLoopSamples = gldemo::kLoopFrames;

}  // namespace capture
