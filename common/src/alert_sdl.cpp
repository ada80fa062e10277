// The message box by SDL, which may show one before (or without) SDL_Init.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "kalt/alert.h"

namespace kalt {

void ShowAlert(const char* caption, const char* text, const char* detail, AlertIcon icon, SDL_Window* parent) {
  if (!caption) caption = "";
  if (!text) text = "";
  if (detail && *detail)
    std::fprintf(stderr, "%s: %s (%s)\n", caption, text, detail);
  else
    std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) return;
  const Uint32 flags = icon == AlertIcon::Error     ? SDL_MESSAGEBOX_ERROR
                       : icon == AlertIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                                    : SDL_MESSAGEBOX_INFORMATION;
  SDL_ShowSimpleMessageBox(flags, caption, text, parent);
}

}  // namespace kalt
