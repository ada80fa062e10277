// kalt/alert.h - telling the user about a failure the program cannot go on
// from (or that it reports and survives): always on standard error, and in a
// desktop message box where there is a desktop to show it on.
#pragma once

struct SDL_Window;

namespace kalt {

enum class AlertIcon { Error, Warning, Information };

// Writes "caption: text" as one line on stderr, with " (detail)" added when
// detail is not empty (the platform's reason, a file name). Then, when
// DISPLAY or WAYLAND_DISPLAY is set, shows a modal message box with the
// caption, the text, the icon and one OK button, over `parent` if given, and
// returns when it is closed. A box that cannot be shown leaves the line on
// stderr as the whole message. Null caption, text or detail count as "".
void ShowAlert(const char* caption, const char* text, const char* detail = "",
               AlertIcon icon = AlertIcon::Error, SDL_Window* parent = nullptr);

}  // namespace kalt
