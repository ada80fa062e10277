// Telling the user about a failure: the platform side of the music start-up.
#pragma once

#include <string>

namespace condemo {

// Writes "caption: text" and, when not empty, the detail in brackets as one
// line on stderr; then, where a desktop is there to show it (DISPLAY or
// WAYLAND_DISPLAY is set), a modal message box with the caption, the text
// and one OK button, returning when it is closed.
void ShowAlert(const char* caption, const char* text, const std::string& detail);

}  // namespace condemo
