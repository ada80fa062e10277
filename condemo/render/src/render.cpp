#include "condemo/render.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "condemo/scenes/carved_lattice.h"
#include "condemo/scenes/folded_blob.h"
#include "condemo/scenes/gear_tunnel.h"
#include "condemo/scenes/merged_blobs.h"
#include "condemo/scenes/spiky_ball.h"
#include "condemo/scenes/spiky_ball_in_sphere.h"
#include "condemo/scenes/twisted_octahedron.h"
#include "condemo/scenes/winding_tubes.h"
#include "condemo/shade.h"
#include "kalt/lane_entry.h"
#include "kalt/lane_path.h"
#include "lane_march.h"

namespace condemo {

namespace {

using detail::CellQueue;

// Renders the queue's cells on one worker, in the lanes of a path: the
// entries by path (kalt/lane_entry.h).
using RenderCells = kalt::lanes::LaneEntries<void(const FrameState& frame, CellQueue& queue, CellGrid& grid)>;

// One row of the scene table: the scene's functions, each preparing the
// field's per-frame values itself.
struct SceneEntry {
  SceneId id;
  const char* name;
  float (*distance)(const FrameState& frame, Vec3 p, int& materialTag);
  Cell (*shadeCell)(const FrameState& frame, GridSize grid, int column, int row);
  RenderCells render;
};

template <class Scene>
float DistanceOf(const FrameState& frame, Vec3 p, int& materialTag) {
  return Scene::Prepare(frame).Distance(p, materialTag);
}

template <class Scene>
Cell ShadeCellOf(const FrameState& frame, GridSize grid, int column, int row) {
  return ShadeCellWith(PrepareShade<Scene>(frame, grid), Scene::Prepare(frame), column, row);
}

// The cells the queue hands out, marched on T's lanes (one ray, float,
// marches cell by cell): the kernel of the entries.
template <class Scene>
struct MarchCells {
  template <class T>
  static void Run(const FrameState& frame, CellQueue& queue, CellGrid& grid) {
    if constexpr (std::is_same_v<T, float>) {
      const ShadePlan plan = PrepareShade<Scene>(frame, grid.size());
      const Scene field = Scene::Prepare(frame);
      CellQueue::Feed feed(queue);
      for (int index = feed.Next(); index >= 0; index = feed.Next())
        grid.cells[index] = ShadeCellWith(plan, field, index % grid.columns, index / grid.columns);
    } else {
      detail::MarchLanes<Scene, T>(frame, queue, grid);
    }
  }
};

template <class Scene>
constexpr SceneEntry EntryOf(SceneId id, const char* name) {
  return {id, name, DistanceOf<Scene>, ShadeCellOf<Scene>, RenderCells::Of<MarchCells<Scene>>()};
}

// Every scene: its field and look (condemo/scenes/*.h) and its name, in the
// order of SceneId.
constexpr SceneEntry kScenes[kSceneCount] = {
    EntryOf<GearTunnel>(SceneId::kGearTunnelFadeOut, "gear-disc tunnel"),
    EntryOf<CarvedLattice>(SceneId::kCarvedLattice, "carved sphere lattice"),
    EntryOf<WindingTubes>(SceneId::kWindingTubes, "winding tubes"),
    EntryOf<FoldedBlob>(SceneId::kFoldedBlob, "folded blob"),
    EntryOf<GearTunnel>(SceneId::kGearTunnel, "gear-disc tunnel"),
    EntryOf<MergedBlobs>(SceneId::kMergedBlobs, "merged blobs"),
    EntryOf<SpikyBall>(SceneId::kSpikyBall, "twisted spiky ball"),
    EntryOf<TwistedOctahedron>(SceneId::kTwistedOctahedron, "twisted octahedron"),
    EntryOf<SpikyBallInSphere>(SceneId::kSpikyBallInSphere, "spiky ball in a sphere"),
};
static_assert([] {
  for (int i = 0; i < kSceneCount; ++i)
    if (kScenes[i].id != static_cast<SceneId>(i)) return false;
  return true;
}(), "the scene table is in the order of SceneId");

const SceneEntry& EntryFor(SceneId sceneId) {
  const int index = static_cast<int>(sceneId);
  if (index < 0 || index >= kSceneCount) throw std::out_of_range("no scene " + std::to_string(index));
  return kScenes[index];
}

// Cells per tile of the queue: small enough that the workers end a frame
// together, large enough that they seldom meet at the queue (a tile is
// whole cache lines of the grid: 48 cells, 192 bytes). Of 16, 32 and 48,
// 48 renders the lightest frames fastest on 2 workers and the others alike.
constexpr int kTileCells = 48;

RenderCells::Entry RenderOf(const SceneEntry& entry) { return entry.render[kalt::ActiveLanePath()]; }

}  // namespace

const char* SceneName(SceneId sceneId) { return EntryFor(sceneId).name; }

float SceneDistance(const FrameState& frame, Vec3 p, int& materialTag) {
  return EntryFor(frame.scene.sceneId).distance(frame, p, materialTag);
}

Cell ShadeCell(const FrameState& frame, int column, int row, GridSize grid) {
  return EntryFor(frame.scene.sceneId).shadeCell(frame, grid, column, row);
}

void RenderBand(const FrameState& frame, int first, int end, CellGrid& grid) {
  const SceneEntry& entry = EntryFor(frame.scene.sceneId);
  first = std::clamp(first, 0, grid.columns);
  CellQueue queue(grid.size(), first, std::clamp(end, 0, grid.columns) - first, kTileCells);
  RenderOf(entry)(frame, queue, grid);
}

void RenderFrame(const FrameState& frame, kalt::WorkerPool& pool, CellGrid& grid) {
  const RenderCells::Entry render = RenderOf(EntryFor(frame.scene.sceneId));
  CellQueue queue(grid.size(), 0, grid.columns, kTileCells);
  pool.Run([&](int) { render(frame, queue, grid); });
}

void RenderFrame(const FrameState& frame, int workerCount, CellGrid& grid) {
  kalt::WorkerPool pool(workerCount);
  RenderFrame(frame, pool, grid);
}

}  // namespace condemo
