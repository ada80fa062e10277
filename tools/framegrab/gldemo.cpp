// framegrab gldemo: the whole frame gldemo shows at a beat, as its timeline
// composes it.
//
//   framegrab gldemo --beat T [--gradients FILE] --out FILE
//
// T is the music time (0.6 per second of music; the loop restarts after 176).
// The frame is drawn on a fresh canvas: beat rows 58 and 59 draw nothing and
// only cover the previous frame with black, so there the show's background
// colours depend on the frame before, which a single still does not have.
#include <cfloat>
#include <cmath>
#include <stdexcept>
#include <string>

#include "commands.h"
#include "gldemo/timeline.h"
#include "gldemo_pack.h"

namespace framegrab {

Frame RenderGldemo(const Options& options) {
  // 1. The beat.
  if (!options.positional().empty()) throw std::runtime_error("unexpected argument " + options.positional()[0]);
  if (const auto unknown = options.unknown({"beat", "gradients", "crop", "out"}); !unknown.empty())
    throw std::runtime_error("unknown option " + unknown[0]);
  if (!options.has("beat")) throw std::runtime_error("--beat T is required");
  const double beat = options.number("beat", 0);
  if (std::fabs(beat) > FLT_MAX && !std::isinf(beat)) throw std::runtime_error("--beat is out of range");

  // 2. The gradients the timeline reads.
  const auto pack = LoadPack(options);
  if (pack->count < gldemo::kTimelineGradients)
    throw std::runtime_error("the gradient pack holds " + std::to_string(pack->count) + " gradients; the timeline reads " +
                             std::to_string(gldemo::kTimelineGradients));

  // 3. The frame.
  cella::Canvas screen(80, 50);
  gldemo::ComposeScene(&screen, static_cast<float>(beat), *pack);
  return ToFrame(screen);
}

}  // namespace framegrab
