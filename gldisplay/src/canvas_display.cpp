#include "gldisplay/canvas_display.h"

#include <utility>

#include "kalt/cell.h"

namespace gldisplay {

CanvasDisplay::CanvasDisplay(FontImage font)
    : KaltWindow(kalt::kConsoleColumns, kalt::kConsoleRows), font_(std::move(font)) {}

void CanvasDisplay::Present() {
  RenderCells(frame(), pixels_, kPalette, font_);
  // The pixel words hold R, G, B and 0 from the lowest byte up: opaque.
  for (std::size_t i = 0; i < rgba_.size(); ++i) rgba_[i] = pixels_.words[i] | 0xFF000000u;
  ++stats_.frames;
}

}  // namespace gldisplay
