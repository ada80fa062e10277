// Requests a test makes of a window through the X server, as a window
// manager or the user would.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace gldisplay_test {

// Asks a window to close the way a window manager does (WM_DELETE_WINDOW).
inline void RequestClose(Display* x, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(x, window, False, NoEventMask, &event);
  XSync(x, False);
}

}  // namespace gldisplay_test
