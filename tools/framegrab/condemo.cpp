// framegrab condemo: one frame of the console demo, rendered headless.
//
//   framegrab condemo --order N --time SECONDS [--flash A,B,C] [--beats N]
//                     [--max-travel X] [--frame N] [--threads N]
//                     [--jitter JX,JY] [--grid WxH] --out FILE
//
// The scene follows from the song's order position and the time as in the
// show; the flash values (default 0,0,0) and the beat count (default 0)
// stand for the music. maxTravel defaults to what a show running from time 0
// at 60 frames a second with the order position held would have (the
// opening lattice fades in over its first five seconds), except from order
// position 20 on, where it is the 33 that the closing fade-out starts from
// (condemo::StillScene); --max-travel picks any moment of either fade.
// --frame seeds the per-cell noise (default 0); --threads splits the columns
// over that many threads (default: the machine's), which never changes the
// picture. At order positions 1 to 3 the logos are stamped over the frame,
// at their anchors moved by the flash values and by the beat jitter
// --jitter JX,JY (0..37 and 0..19; default 0,0, as before the first beat).
// --grid renders the frame on W x H cells instead of the console's 80 x 50
// (20x10 up to 1000x1000; any other value is named on stderr with exit
// status 2): the same view, finer or wider, with the logos placed on the
// grid's centre (condemo/render.h, condemo/logos.h).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "commands.h"
#include "condemo/director.h"
#include "condemo/logos.h"
#include "condemo/render.h"
#include "kalt/grid_size.h"

namespace framegrab {

namespace {

constexpr long kMostThreads = 256;

double FiniteNumber(const Options& options, const std::string& name, double fallback) {
  const double value = options.number(name, fallback);
  if (!std::isfinite(value)) throw std::runtime_error("--" + name + " needs a finite number");
  return value;
}

long IntegerIn(const Options& options, const std::string& name, long fallback, long low, long high) {
  const long value = options.integer(name, fallback);
  if (value < low || value > high)
    throw std::runtime_error("--" + name + " must be " + std::to_string(low) + ".." + std::to_string(high));
  return value;
}

}  // namespace

Frame RenderCondemo(const Options& options) {
  // 1. The options.
  const auto unknown =
      options.unknown({"order", "time", "flash", "beats", "max-travel", "frame", "threads", "jitter", "grid", "crop", "out"});
  if (!unknown.empty()) throw std::runtime_error("unknown option " + unknown.front());
  if (!options.positional().empty()) throw std::runtime_error("unexpected \"" + options.positional().front() + "\"");
  if (!options.has("order") || !options.has("time")) throw std::runtime_error("--order N and --time SECONDS are required");
  constexpr long kIntMin = std::numeric_limits<int>::min(), kIntMax = std::numeric_limits<int>::max();
  const int order = static_cast<int>(IntegerIn(options, "order", 0, kIntMin, kIntMax));
  const double time = FiniteNumber(options, "time", 0.0);
  if (time < 0.0) throw std::runtime_error("--time must not be negative");
  condemo::FrameState frame;
  frame.sceneTime = time;
  if (options.has("flash")) {
    const std::vector<double> flash = options.numbers("flash");
    if (flash.size() != 3) throw std::runtime_error("--flash needs three numbers A,B,C");
    for (const double value : flash)
      if (!std::isfinite(value)) throw std::runtime_error("--flash needs finite numbers");
    frame.pulse.flashA = static_cast<float>(flash[0]);
    frame.pulse.flashB = static_cast<float>(flash[1]);
    frame.pulse.flashC = static_cast<float>(flash[2]);
  }
  frame.pulse.beatCount = static_cast<std::int32_t>(IntegerIn(options, "beats", 0, kIntMin, kIntMax));
  frame.frameNumber = static_cast<std::uint32_t>(IntegerIn(options, "frame", 0, 0, 0xFFFFFFFFL));
  const long machineThreads = std::max(1u, std::thread::hardware_concurrency());
  const int threads = static_cast<int>(IntegerIn(options, "threads", machineThreads, 1, kMostThreads));
  condemo::LogoJitter jitter{.jx = 0, .jy = 0, .lastBeat = frame.pulse.beatCount};
  if (options.has("jitter")) {
    const std::vector<double> values = options.numbers("jitter");
    if (values.size() != 2 || !(values[0] >= 0 && values[0] <= 37 && values[0] == std::floor(values[0])) ||
        !(values[1] >= 0 && values[1] <= 19 && values[1] == std::floor(values[1])))
      throw std::runtime_error("--jitter needs two whole numbers JX,JY, 0..37 and 0..19");
    jitter.jx = static_cast<int>(values[0]);
    jitter.jy = static_cast<int>(values[1]);
  }

  const kalt::GridSize size =
      options.has("grid") ? kalt::GridSizeOrExit("framegrab condemo", "--grid", options.text("grid")) : kalt::GridSize{};

  // 2. The scene director, with what the frames before this one left.
  frame.scene = condemo::StillScene(order, time, frame.pulse);
  if (options.has("max-travel")) {
    const double maxTravel = FiniteNumber(options, "max-travel", 0.0);
    if (maxTravel < 0.0) throw std::runtime_error("--max-travel must not be negative");
    frame.scene.maxTravel = static_cast<float>(maxTravel);
  }

  // 3. The cells, and the logos over them (the jitter is given, so no beat
  //    re-rolls it and the generator is not drawn from).
  condemo::CellGrid grid(size);
  condemo::RenderFrame(frame, threads, grid);
  condemo::Rand15 unused;
  condemo::DrawLogos(grid, jitter, unused, order, frame.pulse);

  // 4. The still.
  Frame still = MakeFrame(grid.columns, grid.rows);
  for (std::size_t i = 0; i < grid.cells.size(); ++i) {
    still.ch[i] = static_cast<std::uint8_t>(grid.cells[i].ch);
    still.attr[i] = static_cast<std::uint8_t>(grid.cells[i].attr);
  }
  return still;
}

}  // namespace framegrab
