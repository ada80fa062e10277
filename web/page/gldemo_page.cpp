// gldemo's module of the web page: the timeline at the beat of the page's
// clock on the show's screen canvas, drawn on a canvas display. The page
// (web/site/kalt.js) calls these functions; it owns the clock (its audio's
// position) and puts the picture into its canvas.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cella/cella.h"
#include "gldemo/effects.h"
#include "gldemo/timeline.h"
#include "gldisplay/canvas_display.h"
#include "gldisplay/font_tga.h"

namespace {

struct Show {
  std::vector<std::uint8_t> files[2];
  std::unique_ptr<gldisplay::CanvasDisplay> screen;
  std::unique_ptr<cella::GradientPack> pack;
  std::unique_ptr<cella::Canvas> canvas;
  float beat = 0.0f;
};

Show show;
std::string lastError;

// The timeline's frame at `beat` on the kept canvas, on the screen: the
// cells as the console shows them, each colour's low four bits.
const std::uint8_t* Draw(gldisplay::KaltWindow& screen, float beat) {
  gldemo::ComposeScene(show.canvas.get(), beat, *show.pack);
  show.beat = beat;
  const std::span<kalt::Cell> cells = screen.cells();
  for (int i = 0; i < kalt::kConsoleCells; ++i) {
    const cella::Pixel& cell = show.canvas->data[i];
    cells[i] = {cell.ch, static_cast<std::uint16_t>((cell.fg & 15) | (cell.bg & 15) << 4)};
  }
  screen.Present();
  return show.screen->Rgba();
}

}  // namespace

extern "C" {

// The data files: 0 the font atlas (a TGA file), 1 the gradients
// (gradient.bin). kalt_data hands one over; kalt_open makes the show ready
// from them: 0, or 1 + the index of the file it cannot use, with the reason
// in kalt_error(). The effects draw their rows on `workers` threads.
EMSCRIPTEN_KEEPALIVE void kalt_data(int index, const std::uint8_t* bytes, int size) {
  if (index >= 0 && index < 2) show.files[index].assign(bytes, bytes + size);
}

EMSCRIPTEN_KEEPALIVE int kalt_open(int workers) {
  gldemo::SetEffectThreads(workers);
  gldisplay::FontImage image;
  const std::vector<std::uint8_t>& font = show.files[0];
  if (!gldisplay::DecodeFontTga(font.data(), font.size(), image) || !gldisplay::FontHasGlyphs(image)) {
    lastError = "not a font atlas (a TGA image of 16 x 16 glyphs)";
    return 1;
  }
  const std::vector<std::uint8_t>& gradients = show.files[1];
  show.pack.reset(cella::LoadGradientPackFromMemory(gradients.data(), gradients.size()));
  if (!show.pack) {
    lastError = cella::FailureReason();
    return 2;
  }
  if (show.pack->count < gldemo::kTimelineGradients) {
    lastError = "it holds " + std::to_string(show.pack->count) + " gradients, the show needs " +
                std::to_string(gldemo::kTimelineGradients);
    show.pack.reset();
    return 2;
  }
  show.screen = std::make_unique<gldisplay::CanvasDisplay>(std::move(image));
  show.canvas = std::make_unique<cella::Canvas>(kalt::kConsoleColumns, kalt::kConsoleRows);
  return 0;
}

EMSCRIPTEN_KEEPALIVE const char* kalt_error() { return lastError.c_str(); }

// The show from its start again: a fresh screen canvas.
EMSCRIPTEN_KEEPALIVE void kalt_restart() {
  show.canvas = std::make_unique<cella::Canvas>(kalt::kConsoleColumns, kalt::kConsoleRows);
}

// Frame k at fps frames a second as a capture from the start draws it, on
// a fresh canvas: the frames from the last one before k that draws every
// cell, then frame k.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* kalt_still(int fps, int k) {
  kalt_restart();
  const auto beatOf = [fps](int j) { return gldemo::BeatAtSeconds(static_cast<double>(j) / fps); };
  int first = k;
  while (first > 0 && gldemo::DrawsOverPrevious(beatOf(first))) --first;
  for (int j = first; j < k; ++j) gldemo::ComposeScene(show.canvas.get(), beatOf(j), *show.pack);
  return Draw(*show.screen, beatOf(k));
}

// The live show's frame at `seconds` of the music: its picture.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* kalt_frame(double seconds) {
  return Draw(*show.screen, gldemo::BeatAtSeconds(seconds));
}

// The timeline row of the last frame (its index in the timeline's table).
EMSCRIPTEN_KEEPALIVE int kalt_position() {
  const int row = gldemo::BeatRow(show.beat);
  for (int i = 0; i < gldemo::TimelineRows(); ++i)
    if (row <= gldemo::TimelineRowSpan(i).last) return i;
  return 0;
}
// The timeline's rows: how many, and the first beat row of one.
EMSCRIPTEN_KEEPALIVE int kalt_rows() { return gldemo::TimelineRows(); }
EMSCRIPTEN_KEEPALIVE int kalt_row_first(int index) { return gldemo::TimelineRowSpan(index).first; }
EMSCRIPTEN_KEEPALIVE int kalt_ended() { return 0; }  // the show loops
EMSCRIPTEN_KEEPALIVE int kalt_workers() { return gldemo::EffectThreads(); }
EMSCRIPTEN_KEEPALIVE void kalt_key(int code) { show.screen->QueueKey(code); }
EMSCRIPTEN_KEEPALIVE int kalt_escape() { return gldisplay::EscapeTyped(*show.screen) ? 1 : 0; }

}  // extern "C"
