// The cells of a frame marched side by side, one per lane of a vector
// (kalt/lanes.h), and the queue that hands the cells out to the workers.
//
// Every lane runs its own cell's march, exactly the steps of ShadeCellWith
// (condemo/shade.h): one evaluation of the field serves a step of every
// lane. A lane that hits takes its three normal samples in the next three
// evaluations, beside the other lanes' march steps, then shades the hit and
// ends or bends its ray; a lane whose cell is done takes the next cell.
// Cells are independent, so neither the lane count nor the order in which
// cells are taken changes a bit of the picture.
#pragma once

#include <algorithm>
#include <atomic>
#include <bit>

#include "condemo/frame_state.h"
#include "condemo/shade.h"
#include "kalt/lanes.h"

namespace condemo::detail {

// The cells of a rectangle of columns [first, first + width) over all rows
// of a grid, numbered row by row, handed out in tiles of consecutive
// numbers: each worker takes the next tile when it has started every cell
// of its last.
class CellQueue {
 public:
  CellQueue(GridSize grid, int first, int width, int tile)
      : columns_(grid.columns),
        first_(first),
        width_(std::max(width, 0)),
        count_(width_ * std::max(grid.rows, 0)),
        tile_(std::max(tile, 1)) {}

  // The cells one worker takes, a tile at a time.
  class Feed {
   public:
    explicit Feed(CellQueue& queue)
        : next_(queue.next_),
          columns_(queue.columns_),
          first_(queue.first_),
          width_(queue.width_),
          count_(queue.count_),
          tile_(queue.tile_) {}
    // The grid index of the worker's next cell, or -1 when every cell has
    // been handed out.
    int Next() {
      if (at_ == end_) {
        at_ = next_.fetch_add(tile_, std::memory_order_relaxed);
        if (at_ >= count_) {
          end_ = at_;
          return -1;
        }
        end_ = std::min(at_ + tile_, count_);
      }
      const int k = at_++;
      return (k / width_) * columns_ + first_ + k % width_;
    }

   private:
    // The shape is copied: the counter's cache line moves between the
    // workers' cores on every tile taken, and only the counter is on it.
    std::atomic<int>& next_;
    const int columns_, first_, width_, count_, tile_;
    int at_ = 0, end_ = 0;
  };

 private:
  const int columns_, first_, width_, count_, tile_;
  alignas(64) std::atomic<int> next_{0};
};

// Every cell the feed hands out, marched in the lanes of F.
template <class Scene, class F>
void MarchLanes(const FrameState& frame, CellQueue& queue, CellGrid& grid) {
  using namespace kalt::lanes;
  using M = IntOf<F>;
  constexpr int kLanes = kLanesOf<F>;
  const ShadePlan plan = PrepareShade<Scene>(frame, grid.size());
  const Scene field = Scene::Prepare(frame);
  const SceneParams& scene = plan.scene;
  CellQueue::Feed feed(queue);

  // 1. The lanes: the point the field is evaluated at next, the ray, the
  //    march distance and step count in vectors; beside them each lane's
  //    cell and hit.
  F qx = Splat<F>(scene.camPos.x), qy = Splat<F>(scene.camPos.y), qz = Splat<F>(scene.camPos.z);
  F dx{}, dy{}, dz{}, travel{};
  M step{};
  M marching{};  // all ones while the lane marches
  M busy{};      // all ones while the lane has a cell
  struct LaneCell {
    int index;   // in the grid
    Cell cell;   // the background pattern until a hit shades it
    int bounce;  // hits so far
    int probe;   // the normal sample on its way (NormalProbe)
    Hit hit;
  } lanes[kLanes];
  // Lane l of a vector set without a trip through memory (which would stall
  // the next load of the whole vector): a blend with a mask of lane l, the
  // value spread exactly (value - 0 is value, -0 included). The masks are
  // made once; (GCC 12 can fail on a comparison that makes them here.)
  M picks[kLanes];
  for (int l = 0; l < kLanes; ++l) picks[l] = M{}, picks[l][l] = -1;
  const auto set = [&picks](auto& v, int l, auto value) {
    using V = decltype(v + v);
    const M pick = picks[l];
    v = std::bit_cast<V>((std::bit_cast<M>(v) & ~pick) | (std::bit_cast<M>(value - V{}) & pick));
  };

  // Starts the feed's next cell in lane l, or leaves the lane idle at the
  // camera (a harmless point to evaluate).
  const auto take = [&](int l) {
    const int index = feed.Next();
    if (index < 0) {
      set(busy, l, 0), set(marching, l, 0);
      set(qx, l, scene.camPos.x), set(qy, l, scene.camPos.y), set(qz, l, scene.camPos.z);
      return;
    }
    const MarchState m = StartMarch(plan, index % grid.columns, index / grid.columns);
    lanes[l].index = index;
    lanes[l].cell = m.cell;
    lanes[l].bounce = 0;
    set(qx, l, m.p.x), set(qy, l, m.p.y), set(qz, l, m.p.z);
    set(dx, l, m.dir.x), set(dy, l, m.dir.y), set(dz, l, m.dir.z);
    set(travel, l, m.travel);
    set(step, l, m.step);
    set(busy, l, -1), set(marching, l, -1);
  };
  const auto finish = [&](int l) {
    grid.cells[lanes[l].index] = lanes[l].cell;
    take(l);
  };
  const auto aim = [&](int l, Vec3 p) { set(qx, l, p.x), set(qy, l, p.y), set(qz, l, p.z); };

  for (int l = 0; l < kLanes; ++l) take(l);
  while (Any(busy)) {
    // 2. A step of every marching lane: advance by stepScale d, and see
    //    which lanes hit and which reach the end of their march.
    M tags{};
    const F d = field.Distance(Vec3Lanes<F>{qx, qy, qz}, tags);
    const F advance = scene.stepScale * d;
    const F nx = qx + advance * dx, ny = qy + advance * dy, nz = qz + advance * dz;
    const F nextTravel = travel + advance;
    const M hit = marching & (d < scene.hitEpsilon);
    const M nextStep = step + 1;
    const M ends = marching & ~hit & MarchEnds(scene, nextTravel, nextStep);
    qx = marching ? nx : qx, qy = marching ? ny : qy, qz = marching ? nz : qz;
    travel = marching ? nextTravel : travel;
    step = (marching & ~hit) ? nextStep : step;

    // 3. The lanes with something to do one by one: a normal sample came
    //    back, a ray hit, or a march ended.
    for (int events = LaneBits(busy & (~marching | hit | ends)); events != 0; events &= events - 1) {
      const int l = std::countr_zero(static_cast<unsigned>(events));
      LaneCell& lane = lanes[l];
      if (hit[l]) {
        lane.hit = HitAfterStep(scene, Vec3{nx[l], ny[l], nz[l]}, d[l], Vec3{dx[l], dy[l], dz[l]}, travel[l]);
        lane.probe = 0;
        set(marching, l, 0);
        aim(l, NormalProbe(lane.hit, 0));
        continue;
      }
      if (marching[l]) {
        finish(l);
        continue;
      }
      SetNormalSample(lane.hit, lane.probe, d[l]);
      if (++lane.probe < kNormalProbes) {
        aim(l, NormalProbe(lane.hit, lane.probe));
        continue;
      }
      // The last sample: shade the hit, then end the cell or go on along
      // the bent ray with the same step count and travel.
      lane.hit.fieldTag = tags[l];
      const Vec3 bent = ShadeHit<Scene>(plan, lane.hit, lane.bounce++, lane.cell);
      if (EndsAfterHit(scene, lane.bounce, travel[l], step[l] + 1)) {
        finish(l);
        continue;
      }
      set(step, l, step[l] + 1);
      aim(l, BounceStart(scene, lane.hit, bent));
      set(dx, l, bent.x), set(dy, l, bent.y), set(dz, l, bent.z);
      set(marching, l, -1);
    }
  }
}

}  // namespace condemo::detail
