#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "alert.h"

namespace gldemo {

void ShowAlert(const char* caption, const std::string& text, const std::string& detail) {
  if (detail.empty()) {
    std::fprintf(stderr, "%s: %s\n", caption, text.c_str());
  } else {
    std::fprintf(stderr, "%s: %s (%s)\n", caption, text.c_str(), detail.c_str());
  }
  std::fflush(stderr);
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) return;
  // A box that cannot be shown leaves the line on stderr as the message.
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text.c_str(), nullptr);
}

}  // namespace gldemo
