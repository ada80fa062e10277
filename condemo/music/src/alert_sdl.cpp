// The message box of the music start-up, by SDL: the one file of the music
// that talks to SDL.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "alert.h"

namespace condemo {

void ShowAlert(const char* caption, const char* text, const std::string& detail) {
  if (detail.empty()) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
  } else {
    std::fprintf(stderr, "%s: %s (%s)\n", caption, text, detail.c_str());
  }
  std::fflush(stderr);
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) return;
  // SDL may show a message box before SDL_Init; a failure leaves stderr's
  // line as the whole message.
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

}  // namespace condemo
