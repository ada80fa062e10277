// The message of a start-up failure: on stderr, and in a message box where a
// display exists (src/alert_sdl.cpp, the one file of the driver that talks
// to SDL).
#pragma once

#include <string>

namespace gldemo {

// Writes "caption: text (detail)" to stderr (without the parentheses when
// detail is empty) and, when DISPLAY or WAYLAND_DISPLAY is set, shows text
// in a modal box until the user closes it.
void ShowAlert(const char* caption, const std::string& text, const std::string& detail);

}  // namespace gldemo
