// Consecutive frames of the two shows as their screens receive them, for the
// tests and benchmarks of the terminal encoder: condemo's grid as it renders
// it at 60 frames a second, gldemo's console as its timeline draws it, and
// either spread over a picture of another size.
//
// Link condemo::render, condemo_logos, gldemo_timeline and gldisplay_core,
// with cella/src on the include path; the gldemo frames read the gradient
// pack of the run tree (built by asset_gradient).
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include "cella/cella.h"
#include "condemo/director.h"
#include "condemo/logos.h"
#include "condemo/render.h"
#include "console_screen.h"
#include "gldemo/timeline.h"
#include "kalt/cell.h"

namespace kalt_test {

// One frame of `columns` x `rows` cells, row-major.
struct ShowFrame {
  std::vector<kalt::Cell> cells;
  int columns = kalt::kConsoleColumns;
  int rows = kalt::kConsoleRows;
};

// `count` consecutive frames of condemo at the order position, from the
// time on, 1/60 second apart, with a flash and the beat fading as in the
// show.
inline std::vector<ShowFrame> CondemoFrames(int order, double time, int count) {
  std::vector<ShowFrame> frames(static_cast<std::size_t>(count));
  condemo::FrameState frame;
  frame.pulse = {.flashA = 1.0f, .flashB = 0.75f, .flashC = 1.0f, .beatCount = 3};
  frame.frameNumber = static_cast<std::uint32_t>(time * 60);
  condemo::LogoJitter jitter{.jx = 5, .jy = 3, .lastBeat = 3};
  condemo::Rand15 random;
  condemo::CellGrid grid;
  for (ShowFrame& shown : frames) {
    frame.sceneTime = time;
    frame.scene = condemo::StillScene(order, time, frame.pulse);
    condemo::RenderFrame(frame, 2, grid);
    condemo::DrawLogos(grid, jitter, random, order, frame.pulse);
    shown.cells.assign(grid.cells.begin(), grid.cells.end());
    time += 1.0 / 60;
    ++frame.frameNumber;
    frame.pulse.flashA -= 4.0f / 60;
    frame.pulse.flashB -= 3.0f / 60;
    frame.pulse.flashC -= 4.0f / 60;
  }
  return frames;
}

// `count` consecutive frames of gldemo's timeline from music time `beat`
// on, 1/60 second apart (the beat grows by 0.6 a second), as its console
// shows them. Throws std::runtime_error without the run tree's gradients.
inline std::vector<ShowFrame> GldemoFrames(float beat, int count) {
  static const std::unique_ptr<cella::GradientPack> pack(
      cella::LoadGradientPack(KALT_RUN_BIN "/../Data20/gradient.bin"));
  if (!pack || pack->count < gldemo::kTimelineGradients)
    throw std::runtime_error("no gradient pack at " KALT_RUN_BIN "/../Data20/gradient.bin");
  std::vector<ShowFrame> frames(static_cast<std::size_t>(count));
  cella::Canvas screen(kalt::kConsoleColumns, kalt::kConsoleRows);
  for (int k = 0; k < count; ++k) {
    gldemo::ComposeScene(&screen, beat + 0.6f * static_cast<float>(k) / 60.0f, *pack);
    ShowFrame& shown = frames[static_cast<std::size_t>(k)];
    shown.cells.resize(kalt::kConsoleCells);
    for (int i = 0; i < kalt::kConsoleCells; ++i)
      shown.cells[static_cast<std::size_t>(i)] = cella::ConsoleCell(screen.data[i]);
  }
  return frames;
}

// The frame spread over `columns` x `rows` cells, its copies side by side
// and one under the other, each row of copies shifted by a third of a frame
// so that no two rows of a bigger picture are alike.
inline ShowFrame Tiled(const ShowFrame& frame, int columns, int rows) {
  ShowFrame tiled{std::vector<kalt::Cell>(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows)),
                  columns, rows};
  for (int row = 0; row < rows; ++row) {
    const int shift = row / frame.rows * frame.columns / 3;
    for (int column = 0; column < columns; ++column)
      tiled.cells[static_cast<std::size_t>(row) * columns + column] =
          frame.cells[static_cast<std::size_t>(row % frame.rows) * frame.columns + (column + shift) % frame.columns];
  }
  return tiled;
}

}  // namespace kalt_test
