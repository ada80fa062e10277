// Whole frames: the cells spread over workers, the lane paths, and golden
// frames.
#include <gtest/gtest.h>

#include "condemo/director.h"
#include "condemo/render.h"
#include "condemo/shade.h"
#include "frame_hash.h"
#include "kalt_test/lane_paths.h"

namespace condemo {
namespace {

// A still as framegrab renders it.
struct Moment {
  int order;
  double time;
  float flashA, flashB, flashC;
  int beats;
  std::uint32_t frame;
  float maxTravel;  // below 0: the still's own
};

FrameState FrameAt(const Moment& m) {
  FrameState frame;
  frame.sceneTime = m.time;
  frame.pulse.flashA = m.flashA, frame.pulse.flashB = m.flashB, frame.pulse.flashC = m.flashC;
  frame.pulse.beatCount = m.beats;
  frame.frameNumber = m.frame;
  frame.scene = StillScene(m.order, m.time, frame.pulse);
  if (m.maxTravel >= 0.0f) frame.scene.maxTravel = m.maxTravel;
  return frame;
}

CellGrid Render(const FrameState& frame, int workers, GridSize size = {}) {
  CellGrid grid(size);
  for (Cell& cell : grid.cells) cell = {0xFFFF, 0xFFFF};
  RenderFrame(frame, workers, grid);
  return grid;
}

bool SameGrid(const CellGrid& a, const CellGrid& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.cells.size(); ++i)
    if (a.cells[i].ch != b.cells[i].ch || a.cells[i].attr != b.cells[i].attr) return false;
  return true;
}

TEST(Bands, RenderBandWritesOnlyItsColumns) {
  const FrameState frame = FrameAt({14, 110.0, 0.5f, 0.4f, 0.0f, 1, 3, -1.0f});
  CellGrid grid;
  for (Cell& cell : grid.cells) cell = {0xFFFF, 0xFFFF};
  RenderBand(frame, 30, 37, grid);
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column)
      EXPECT_EQ(grid.At(column, row).ch == 0xFFFF, column < 30 || column >= 37) << column << " " << row;
  RenderBand(frame, 75, 200, grid);  // clamped to column 80
  EXPECT_NE(grid.At(79, 49).ch, 0xFFFF);
}

// Cells come out the same whatever the worker count, and the frame
// renderer, which marches several cells side by side, agrees with the
// single cell.
TEST(Frames, EveryWorkerCountGivesTheSameFrame) {
  const Moment moments[] = {
      {14, 110.0, 0.5f, 0.4f, 0.0f, 1, 3, -1.0f},
      {8, 60.0, 0.0f, 0.3f, 0.0f, 2, 4, -1.0f},
      {18, 135.0, 0.0f, 0.0f, 0.0f, 0, 5, -1.0f},
  };
  for (const Moment& m : moments) {
    const FrameState frame = FrameAt(m);
    const CellGrid one = Render(frame, 1);
    for (const int workers : {2, 3, 80, 81}) EXPECT_TRUE(SameGrid(one, Render(frame, workers))) << workers;
    kalt::WorkerPool pool(2);  // a pool kept from frame to frame
    for (int repeat = 0; repeat < 3; ++repeat) {
      CellGrid grid;
      RenderFrame(frame, pool, grid);
      EXPECT_TRUE(SameGrid(one, grid));
    }
    for (int row = 0; row < kRows; row += 7)
      for (int column = 0; column < kColumns; column += 3) {
        const Cell cell = ShadeCell(frame, column, row);
        ASSERT_EQ(cell.ch, one.At(column, row).ch);
        ASSERT_EQ(cell.attr, one.At(column, row).attr);
      }
  }
}

// Golden frames: any change to a picture changes its hash. To accept an
// intended change, look at the frames (framegrab condemo ... --out x.ans)
// and update the hashes.
class OnLanes : public kalt_test::OnLanePath {};

// The heaviest moments of the benchmarks (and every scene), on each path
// against one cell at a time.
TEST_P(OnLanes, FramesAgreeWithTheScalarPath) {
  const Moment moments[] = {
      {2, 220.5, 0.0f, 0.0f, 0.0f, 0, 1, -1.0f},  {5, 13.3, 0.0f, 0.0f, 0.0f, 0, 2, -1.0f},
      {14, 114.8, 0.0f, 0.0f, 0.0f, 0, 3, -1.0f}, {10, 170.8, 0.0f, 0.0f, 0.0f, 0, 4, -1.0f},
      {12, 52.5, 0.0f, 0.0f, 0.0f, 0, 5, -1.0f},  {16, 228.2, 0.0f, 0.0f, 0.0f, 0, 6, -1.0f},
      {8, 60.0, 0.0f, 0.3f, 0.0f, 2, 7, -1.0f},   {19, 140.0, 0.0f, 0.0f, 0.0f, 0, 8, -1.0f},
  };
  for (const Moment& m : moments) {
    const FrameState frame = FrameAt(m);
    const CellGrid grid = Render(frame, 2);
    for (int row = 0; row < kRows; ++row)
      for (int column = 0; column < kColumns; ++column) {
        const Cell cell = ShadeCell(frame, column, row);
        ASSERT_EQ(cell.ch, grid.At(column, row).ch) << m.order << " " << column << "," << row;
        ASSERT_EQ(cell.attr, grid.At(column, row).attr) << m.order << " " << column << "," << row;
      }
  }
}

TEST_P(OnLanes, GoldenFrames) {
  struct Golden {
    const char* what;
    Moment moment;
    const char* hash;
  };
  const Golden goldens[] = {
      {"scene 1, fading in", {1, 2.0, 0.0f, 0.0f, 0.0f, 0, 1, -1.0f}, "7b7e61688e3f6b1f"},
      {"scene 1, lattice", {2, 30.0, 0.5f, 0.3f, 0.0f, 3, 2, -1.0f}, "51a7bf38e2999e1a"},
      {"scene 1, first frame", {1, 0.0, 0.0f, 0.0f, 0.0f, 0, 0, -1.0f}, "c42f7d9be5ce7753"},
      {"scene 2, tubes", {5, 50.0, 0.0f, 0.0f, 0.0f, 0, 3, -1.0f}, "f76f710b34b7a4e3"},
      {"scene 5, blobs (tori)", {8, 60.0, 0.0f, 0.3f, 0.0f, 2, 4, -1.0f}, "cac826cc95f130ec"},
      {"scene 5, blobs (spheres)", {9, 61.0, 0.0f, 0.0f, 0.0f, 3, 5, -1.0f}, "8c805be243dd14b4"},
      {"scene 6, spiky ball", {10, 75.0, 0.8f, 0.2f, 0.0f, 0, 6, -1.0f}, "5560e0e719039e8e"},
      {"scene 7, octahedron", {12, 90.0, 0.3f, 0.5f, 1.0f, 0, 7, -1.0f}, "93f3d7b752f32743"},
      {"scene 3, folded blob", {14, 110.0, 0.5f, 0.4f, 0.0f, 1, 8, -1.0f}, "8227891ab1542c20"},
      {"scene 8, spiky ball in a sphere", {16, 87.0, 0.2f, 0.1f, 0.0f, 0, 9, -1.0f}, "dc72870e5cd3f941"},
      {"scene 4, tunnel", {18, 135.0, 0.0f, 0.0f, 0.0f, 0, 10, -1.0f}, "84e00daf7c7f19cd"},
      {"scene 0, fading out", {20, 150.0, 0.0f, 0.0f, 0.0f, 0, 11, 12.5f}, "33bd75c460c7e661"},
      {"scene 3, maxTravel 0", {14, 12.0, 0.0f, 0.0f, 0.0f, 0, 12, 0.0f}, "dd53c0dcf90a16d3"},
  };
  for (const Golden& golden : goldens) EXPECT_EQ(GridHash(Render(FrameAt(golden.moment), 2)), golden.hash) << golden.what;
}

// Grids of other sizes: every lane path and worker count gives the cells
// of the one-ray shader, and the pictures are pinned. The view keeps its
// proportions, so a wider grid shows the 80 x 50 picture's rays in its
// middle where the doubled-cell positions are the same numbers.
TEST_P(OnLanes, OtherGridsAgreeAcrossPathsAndWorkers) {
  struct Golden {
    Moment moment;
    GridSize size;
    const char* hash;
  };
  const Golden goldens[] = {
      {{2, 30.0, 0.5f, 0.3f, 0.0f, 3, 2, -1.0f}, {160, 50}, "95dcd78b578c40de"},
      {{14, 110.0, 0.5f, 0.4f, 0.0f, 1, 8, -1.0f}, {160, 50}, "c2d6e7f4dbee2ce5"},
      {{10, 170.8, 0.0f, 0.0f, 0.0f, 0, 4, -1.0f}, {97, 121}, "dab9e3273951c567"},
      {{18, 135.0, 0.0f, 0.0f, 0.0f, 0, 10, -1.0f}, {97, 121}, "8ec977fa94f4201b"},
  };
  for (const Golden& golden : goldens) {
    SCOPED_TRACE(testing::Message() << "order " << golden.moment.order << ", " << golden.size.columns << " x "
                                    << golden.size.rows);
    const FrameState frame = FrameAt(golden.moment);
    const CellGrid grid = Render(frame, 2, golden.size);
    EXPECT_EQ(GridHash(grid), golden.hash);
    EXPECT_TRUE(SameGrid(grid, Render(frame, 1, golden.size)));
    EXPECT_TRUE(SameGrid(grid, Render(frame, 3, golden.size)));
    for (int row = 0; row < golden.size.rows; row += 3)
      for (int column = 0; column < golden.size.columns; ++column)
        ASSERT_EQ(ShadeCell(frame, column, row, golden.size), grid.At(column, row)) << column << "," << row;
  }
}

// A grid twice as wide shows the 80 x 50 picture in its middle 80 columns
// (more of the scene to each side): the same rays, so the same surfaces;
// only the background's noise, drawn per cell index, differs.
TEST(Frames, AWiderGridHoldsTheConsolePictureInItsMiddle) {
  const FrameState frame = FrameAt({14, 110.0, 0.5f, 0.4f, 0.0f, 1, 8, -1.0f});
  const CellGrid console = Render(frame, 2), wide = Render(frame, 2, {160, 50});
  int surfaces = 0;
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column) {
      const Cell cell = console.At(column, row);
      if (cell.ch == 8 || cell.ch == 254) continue;
      ++surfaces;
      ASSERT_EQ(wide.At(column + 40, row), cell) << column << "," << row;
    }
  EXPECT_GT(surfaces, 1000);
}

KALT_ON_EVERY_LANE_PATH(OnLanes);

}  // namespace
}  // namespace condemo
