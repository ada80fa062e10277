// condemo/frame_state.h - the console grid and the read-only state of one
// frame that every cell computation is handed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "condemo/pulse.h"
#include "kalt/cell.h"
#include "kalt/grid_size.h"
#include "kalt/vec3.h"

namespace condemo {

using kalt::GridSize;
using kalt::Vec3;

inline constexpr int kColumns = kalt::kConsoleColumns;
inline constexpr int kRows = kalt::kConsoleRows;
inline constexpr int kCellCount = kalt::kConsoleCells;

// One console cell (kalt/cell.h): the code page 437 character in the low
// byte of the character slot (high byte 0), then the attribute word (low
// nibble foreground, high nibble background; bit 3 of each nibble is
// intensity). The terminal shows the same record.
using Cell = kalt::Cell;

// Storage that starts on a cache line.
template <class T>
struct CacheLineAllocator {
  using value_type = T;
  CacheLineAllocator() = default;
  template <class U>
  CacheLineAllocator(const CacheLineAllocator<U>&) {}
  T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), std::align_val_t{64})); }
  void deallocate(T* p, std::size_t) { ::operator delete(p, std::align_val_t{64}); }
  friend bool operator==(const CacheLineAllocator&, const CacheLineAllocator&) { return true; }
};

// The picture: rows of columns cells, row-major (cell index = row *
// columns + column), all {0, 0} at first; the console's 50 rows of 80 by
// default. The cells start on a cache line, so that workers writing tiles
// of whole lines never share one. A negative size counts as 0.
struct CellGrid {
  int columns = kColumns;
  int rows = kRows;
  std::vector<Cell, CacheLineAllocator<Cell>> cells;

  CellGrid() : CellGrid(GridSize{}) {}
  explicit CellGrid(GridSize size)
      : columns(size.columns > 0 ? size.columns : 0),
        rows(size.rows > 0 ? size.rows : 0),
        cells(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows)) {}

  GridSize size() const { return {columns, rows}; }
  Cell& At(int column, int row) { return cells[static_cast<std::size_t>(row) * columns + column]; }
  const Cell& At(int column, int row) const { return cells[static_cast<std::size_t>(row) * columns + column]; }
};

// The scenes, each a distance field with its look (condemo/scenes/*.h),
// listed in the scene table of render.cpp. Their values 0..8 are the scene
// numbers wherever a scene is passed as a plain number (tools, tests,
// benchmark names).
enum class SceneId : int {
  // The gear-disc tunnel as it fades out: one scene with kGearTunnel, the
  // same field and look (GearTunnel), under its own id because the director
  // shrinks its maxTravel to 0 instead of holding it.
  kGearTunnelFadeOut = 0,
  kCarvedLattice = 1,
  kWindingTubes = 2,
  kFoldedBlob = 3,
  kGearTunnel = 4,
  kMergedBlobs = 5,
  kSpikyBall = 6,
  kTwistedOctahedron = 7,
  kSpikyBallInSphere = 8,
};
inline constexpr int kSceneCount = 9;

// What the scene director sets for a frame: which scene is drawn, the
// camera, and the march settings.
struct SceneParams {
  SceneId sceneId = SceneId::kGearTunnelFadeOut;  // the distance field and its look
  float camAngleX = 0.0f, camAngleY = 0.0f, camAngleZ = 0.0f;  // radians
  Vec3 camPos{0.0f, 0.0f, 0.0f};
  float maxTravel = 0.0f;      // march distance limit and fog scale
  float stepScale = 0.3f;      // fraction of each distance estimate a step advances
  float hitEpsilon = 0.0003f;  // a distance below this is a hit
  int maxBounce = 0;           // 0: first hit only; 1: one bent ray after it
};

// Everything a cell computation reads: the scene parameters, the clock and
// the music-driven values as they were when the frame began. Handed to the
// renderer by const reference; nothing in it changes while a frame renders.
struct FrameState {
  SceneParams scene;
  double sceneTime = 0.0;  // seconds since the show began
  MusicPulse pulse;        // the flashes and the beat count
  // Counts frames; seeds the per-cell noise so that a frame is reproducible.
  std::uint32_t frameNumber = 0;
};

// The number of march steps a cell may take, bounces included, is this
// constant plus one.
inline constexpr int kLastMarchStep = 333;

}  // namespace condemo
