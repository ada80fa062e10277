// condemo's module of the web page: the show's frame loop against the
// song's sync track (web/condemo_run.h), drawn on a canvas display. The
// page (web/site/kalt.js) calls these functions; it owns the clock (its
// audio's position) and puts the picture into its canvas.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <memory>
#include <string>

#include "gldisplay/canvas_display.h"
#include "gldisplay/font_tga.h"
#include "web/condemo_run.h"

namespace {

struct Show {
  std::unique_ptr<gldisplay::CanvasDisplay> screen;
  std::unique_ptr<web::CondemoRun> run;
  std::vector<std::uint8_t> files[2];
  std::vector<web::SyncEvent> events;
  int workers = 1;
};

Show show;
std::string lastError;

// The frame of the last step on the screen.
const std::uint8_t* Picture(gldisplay::KaltWindow& screen, const web::CondemoRun& run) {
  std::copy(run.Grid().cells.begin(), run.Grid().cells.end(), screen.cells().begin());
  screen.Present();
  return show.screen->Rgba();
}

}  // namespace

extern "C" {

// The data files, in the order of the page's list for the show (kalt.js):
// 0 the font atlas (a TGA file), 1 the sync track. kalt_data hands one
// over (the module keeps its own copy); kalt_open makes the show ready on
// `workers` threads from them: 0, or 1 + the index of the file it cannot
// use, with the reason in kalt_error().
EMSCRIPTEN_KEEPALIVE void kalt_data(int index, const std::uint8_t* bytes, int size) {
  if (index >= 0 && index < 2) show.files[index].assign(bytes, bytes + size);
}

EMSCRIPTEN_KEEPALIVE int kalt_open(int workers) {
  gldisplay::FontImage image;
  const std::vector<std::uint8_t>& font = show.files[0];
  if (!gldisplay::DecodeFontTga(font.data(), font.size(), image) || !gldisplay::FontHasGlyphs(image)) {
    lastError = "not a font atlas (a TGA image of 16 x 16 glyphs)";
    return 1;
  }
  const std::vector<std::uint8_t>& sync = show.files[1];
  if (!web::ReadSyncTrack(std::string_view(reinterpret_cast<const char*>(sync.data()), sync.size()), show.events,
                          &lastError))
    return 2;
  show.screen = std::make_unique<gldisplay::CanvasDisplay>(std::move(image));
  show.workers = std::max(workers, 1);
  show.run = std::make_unique<web::CondemoRun>(show.events, show.workers);
  return 0;
}

EMSCRIPTEN_KEEPALIVE const char* kalt_error() { return lastError.c_str(); }

// The show from its start again (the next kalt_frame begins a new run).
EMSCRIPTEN_KEEPALIVE void kalt_restart() { show.run = std::make_unique<web::CondemoRun>(show.events, show.workers); }

// Frame k at fps frames a second as a capture draws it, from a fresh run:
// the picture (640 x 400 RGBA).
EMSCRIPTEN_KEEPALIVE const std::uint8_t* kalt_still(int fps, int k) {
  kalt_restart();
  web::StepToFrame(*show.run, fps, k);
  return Picture(*show.screen, *show.run);
}

// The live show's frame at `seconds` of the song (not before the last
// frame's): its picture.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* kalt_frame(double seconds) {
  seconds = std::max(seconds, show.run->LastTime());
  show.run->Step(seconds, true, seconds - show.run->LastTime());
  return Picture(*show.screen, *show.run);
}

// The order position of the last frame.
EMSCRIPTEN_KEEPALIVE int kalt_position() { return show.run->Order(); }
EMSCRIPTEN_KEEPALIVE int kalt_ended() { return show.run->Ended() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int kalt_workers() { return show.run->WorkerCount(); }
// A key typed on the page (a code page 437 code; 27 Escape), and whether
// Escape was typed since the last call.
EMSCRIPTEN_KEEPALIVE void kalt_key(int code) { show.screen->QueueKey(code); }
EMSCRIPTEN_KEEPALIVE int kalt_escape() { return gldisplay::EscapeTyped(*show.screen) ? 1 : 0; }

}  // extern "C"
