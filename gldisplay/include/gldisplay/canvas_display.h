// gldisplay/canvas_display.h - the text-mode display on a web page: each
// frame of cells is rasterised with the font atlas (gldisplay/cells.h), as
// the window and capture draw it, into a 640 x 400 picture of RGBA bytes
// that the page puts into its canvas. The page queues the keys typed on it.
#pragma once

#include <cstdint>
#include <vector>

#include "gldisplay/cells.h"
#include "gldisplay/display.h"

namespace gldisplay {

class CanvasDisplay final : public KaltWindow {
 public:
  // The picture's size: 80 x 50 cells of 8 x 8 pixels.
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 400;

  // An 80 x 50 display drawing with `font`; a font without glyphs (see
  // FontHasGlyphs) draws every cell in its paper colour alone.
  explicit CanvasDisplay(FontImage font);

  // Rasterises the frame into the picture. The keys arrive from the page
  // (QueueKey) between frames.
  void Present() override;
  DisplayStats Stats() const override { return stats_; }

  // The picture of the last Present: kWidth x kHeight pixels, row-major,
  // 4 bytes each, R, G, B and 255 (all 0 before the first).
  const std::uint8_t* Rgba() const { return reinterpret_cast<const std::uint8_t*>(rgba_.data()); }

  // The page asks to end (its show was left): queues Escape, as a window's
  // close request does.
  void RequestClose() { RequestEnd(0); }

 private:
  FontImage font_;
  Surface pixels_{kWidth, kHeight};
  std::vector<std::uint32_t> rgba_ = std::vector<std::uint32_t>(kWidth * kHeight);
  DisplayStats stats_;
};

}  // namespace gldisplay
