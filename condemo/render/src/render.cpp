#include "condemo/render.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "condemo/scenes/carved_lattice.h"
#include "condemo/scenes/folded_blob.h"
#include "condemo/scenes/gear_tunnel.h"
#include "condemo/scenes/merged_blobs.h"
#include "condemo/scenes/spiky_ball.h"
#include "condemo/scenes/spiky_ball_in_sphere.h"
#include "condemo/scenes/twisted_octahedron.h"
#include "condemo/scenes/winding_tubes.h"
#include "condemo/shade.h"

namespace condemo {

namespace {

// One row of the scene table: the field's functions, each preparing the
// field's per-frame values itself.
struct SceneEntry {
  const char* name;
  float (*distance)(const FrameState& frame, Vec3 p, int& materialTag);
  Cell (*shadeCell)(const FrameState& frame, int column, int row);
  void (*renderBand)(const FrameState& frame, int first, int end, CellGrid& grid);
};

template <class Field>
float DistanceOf(const FrameState& frame, Vec3 p, int& materialTag) {
  return Field::Prepare(frame).Distance(p, materialTag);
}

template <class Field>
Cell ShadeCellOf(const FrameState& frame, int column, int row) {
  return ShadeCellWith(PrepareShade(frame), Field::Prepare(frame), column, row);
}

// Renders the band's cells, row by row, marching several cells side by side:
// their steps are independent, so the processor overlaps their arithmetic.
// A lane whose cell is done takes the band's next cell.
template <class Field>
void RenderBandOf(const FrameState& frame, int first, int end, CellGrid& grid) {
  constexpr int kLanes = 4;
  const ShadePlan plan = PrepareShade(frame);
  const Field field = Field::Prepare(frame);
  const int width = end - first;
  const int count = width * kRows;
  int next = 0;  // the band's next cell, counted row by row
  MarchState lanes[kLanes];
  int cellOf[kLanes];
  const auto take = [&](int lane) {
    if (next == count) return false;
    const int column = first + next % width, row = next / width;
    lanes[lane] = StartMarch(plan, column, row);
    cellOf[lane] = row * kColumns + column;
    ++next;
    return true;
  };
  int active = 0;
  for (int lane = 0; lane < kLanes && take(lane); ++lane) ++active;
  while (active > 0) {
    for (int lane = 0; lane < active;) {
      MarchState& m = lanes[lane];
      MarchStep(plan, field, m);
      if (!m.done) {
        ++lane;
        continue;
      }
      grid.cells[cellOf[lane]] = m.cell;
      if (take(lane)) continue;
      // No cell left: the last active lane moves into this one.
      --active;
      lanes[lane] = lanes[active];
      cellOf[lane] = cellOf[active];
    }
  }
}

template <class Field>
constexpr SceneEntry EntryOf(const char* name) {
  return {name, DistanceOf<Field>, ShadeCellOf<Field>, RenderBandOf<Field>};
}

// Indexed by sceneId.
constexpr SceneEntry kScenes[kSceneCount] = {
    EntryOf<GearTunnel>("gear-disc tunnel"),
    EntryOf<CarvedLattice>("carved sphere lattice"),
    EntryOf<WindingTubes>("winding tubes"),
    EntryOf<FoldedBlob>("folded blob"),
    EntryOf<GearTunnel>("gear-disc tunnel"),
    EntryOf<MergedBlobs>("merged blobs"),
    EntryOf<SpikyBall>("twisted spiky ball"),
    EntryOf<TwistedOctahedron>("twisted octahedron"),
    EntryOf<SpikyBallInSphere>("spiky ball in a sphere"),
};

const SceneEntry& EntryFor(int sceneId) {
  if (sceneId < 0 || sceneId >= kSceneCount) throw std::out_of_range("no scene " + std::to_string(sceneId));
  return kScenes[sceneId];
}

// One thread per band, started in order and joined in order. noexcept: a
// thread that cannot be started ends the program.
void RenderBands(const SceneEntry& entry, const FrameState& frame, int workerCount, CellGrid& grid) noexcept {
  std::vector<std::thread> workers;
  workers.reserve(static_cast<std::size_t>(workerCount));
  for (int h = 0; h < workerCount; ++h) {
    const Band band = BandOf(h, workerCount);
    workers.emplace_back(entry.renderBand, std::cref(frame), band.first, band.end, std::ref(grid));
  }
  for (std::thread& worker : workers) worker.join();
}

}  // namespace

const char* SceneName(int sceneId) { return EntryFor(sceneId).name; }

float SceneDistance(const FrameState& frame, Vec3 p, int& materialTag) {
  return EntryFor(frame.scene.sceneId).distance(frame, p, materialTag);
}

Cell ShadeCell(const FrameState& frame, int column, int row) {
  return EntryFor(frame.scene.sceneId).shadeCell(frame, column, row);
}

void RenderBand(const FrameState& frame, int first, int end, CellGrid& grid) {
  EntryFor(frame.scene.sceneId).renderBand(frame, std::clamp(first, 0, kColumns), std::clamp(end, 0, kColumns), grid);
}

Band BandOf(int worker, int workerCount) {
  if (workerCount < 1 || worker < 0 || worker >= workerCount) return {0, 0};
  const int width = kColumns / workerCount;
  return {worker * width, worker == workerCount - 1 ? kColumns : (worker + 1) * width};
}

void RenderFrame(const FrameState& frame, int workerCount, CellGrid& grid) {
  const SceneEntry& entry = EntryFor(frame.scene.sceneId);
  if (workerCount < 2)
    entry.renderBand(frame, 0, kColumns, grid);
  else
    RenderBands(entry, frame, workerCount, grid);
}

}  // namespace condemo
