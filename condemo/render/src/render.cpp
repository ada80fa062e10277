#include "condemo/render.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "condemo/lanes.h"
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

// One row of the scene table: the scene's functions, each preparing the
// field's per-frame values itself.
struct SceneEntry {
  SceneId id;
  const char* name;
  float (*distance)(const FrameState& frame, Vec3 p, int& materialTag);
  Cell (*shadeCell)(const FrameState& frame, int column, int row);
  void (*renderBand)(const FrameState& frame, int first, int end, CellGrid& grid);
};

template <class Scene>
float DistanceOf(const FrameState& frame, Vec3 p, int& materialTag) {
  return Scene::Prepare(frame).Distance(p, materialTag);
}

template <class Scene>
Cell ShadeCellOf(const FrameState& frame, int column, int row) {
  return ShadeCellWith(PrepareShade<Scene>(frame), Scene::Prepare(frame), column, row);
}

// Renders the band's cells, row by row, marching four cells side by side:
// one distance evaluation of the field serves a step of each (condemo/
// lanes.h), and each lane then advances, shades and ends on its own. A lane
// whose cell is done takes the band's next cell.
template <class Scene>
[[gnu::flatten]] void RenderBandOf(const FrameState& frame, int first, int end, CellGrid& grid) {
  const ShadePlan plan = PrepareShade<Scene>(frame);
  const Scene field = Scene::Prepare(frame);
  const int width = end - first;
  const int count = width * kRows;
  int next = 0;  // the band's next cell, counted row by row
  MarchState lanes[kLaneCount];
  int cellOf[kLaneCount];
  bool busy[kLaneCount];
  const auto take = [&](int lane) {
    busy[lane] = next < count;
    if (busy[lane]) {
      const int column = first + next % width, row = next / width;
      lanes[lane] = StartMarch(plan, column, row);
      cellOf[lane] = row * kColumns + column;
      ++next;
    } else {
      lanes[lane].p = plan.scene.camPos;  // an idle lane evaluates a harmless point
    }
    return busy[lane];
  };
  int active = 0;
  for (int lane = 0; lane < kLaneCount; ++lane) active += take(lane);
  while (active > 0) {
    static_assert(kLaneCount == 4);
    const auto gather = [&lanes](float Vec3::*axis) {
      return F4{lanes[0].p.*axis, lanes[1].p.*axis, lanes[2].p.*axis, lanes[3].p.*axis};
    };
    const Vec3x4 p{gather(&Vec3::x), gather(&Vec3::y), gather(&Vec3::z)};
    I4 tags{};
    const F4 d = field.Distance(p, tags);
    for (int lane = 0; lane < kLaneCount; ++lane) {
      if (!busy[lane]) continue;
      MarchState& m = lanes[lane];
      StepBy(plan, field, d[lane], m);
      if (!m.done) continue;
      grid.cells[cellOf[lane]] = m.cell;
      if (!take(lane)) --active;
    }
  }
}

template <class Scene>
constexpr SceneEntry EntryOf(SceneId id, const char* name) {
  return {id, name, DistanceOf<Scene>, ShadeCellOf<Scene>, RenderBandOf<Scene>};
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

const char* SceneName(SceneId sceneId) { return EntryFor(sceneId).name; }

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
