// What the gldemo commands share: the demo's gradient pack and the frame of
// a canvas.
#pragma once

#include <memory>

#include "cella/cella.h"
#include "frame.h"
#include "options.h"

namespace framegrab {

// The pack named by --gradients FILE, or the run tree's Data20/gradient.bin
// (kalt/run_tree.h). Throws std::runtime_error when it cannot be
// loaded.
std::unique_ptr<cella::GradientPack> LoadPack(const Options& options);

// The cells of a canvas as a frame (colours as their low four bits, as the
// screen shows them).
Frame ToFrame(const cella::Canvas& canvas);

}  // namespace framegrab
