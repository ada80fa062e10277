// Requests a test makes of a window through the X server, as a window
// manager or the user would, what it reads back, and the pictures it
// compares that with.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

#include <string>

#include "gldisplay/cells.h"
#include "gldisplay/font_tga.h"

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

// Xlib's default handler ends the process on any failed request.
inline int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// The shown top-level window with the title `title`, or 0. Windows come and
// go while the list is read (a GL set-up makes and destroys probe windows),
// so a request about a window that is already gone fails and is ignored.
inline Window FindWindow(Display* x, const std::string& title) {
  Window root = 0, parent = 0, *children = nullptr, found = 0;
  unsigned count = 0;
  XSync(x, False);
  const auto previous_handler = XSetErrorHandler(IgnoreXErrors);
  XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count);
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes;
    if (XFetchName(x, children[i], &name) && name && title == name &&
        XGetWindowAttributes(x, children[i], &attributes) && attributes.map_state == IsViewable)
      found = children[i];
    if (name) XFree(name);
  }
  if (children) XFree(children);
  XSync(x, False);
  XSetErrorHandler(previous_handler);
  return found;
}

// FindWindow, waiting up to 30 s for the window to be shown; 0 after.
inline Window WaitForWindow(Display* x, const std::string& title) {
  for (int tries = 0; tries < 600; ++tries) {
    if (const Window window = FindWindow(x, title)) return window;
    usleep(50000);
  }
  return 0;
}

// The top-left width by height pixels of a window (or the root window) as
// pixel-surface words.
inline gldisplay::Surface GrabPixels(Display* x, Window window, int width, int height) {
  XSync(x, False);
  gldisplay::Surface pixels(width, height);
  XImage* image = XGetImage(x, window, 0, 0, width, height, AllPlanes, ZPixmap);
  if (!image) return pixels;
  for (int y = 0; y < height; ++y) {
    for (int column = 0; column < width; ++column) {
      const unsigned long p = XGetPixel(image, column, y);
      const std::uint32_t r = (p & image->red_mask) >> 16, g = (p & image->green_mask) >> 8, b = p & image->blue_mask;
      pixels.words[static_cast<std::size_t>(y) * width + column] = r | g << 8 | b << 16;
    }
  }
  XDestroyImage(image);
  return pixels;
}

// What the display shows of an 80 by 50 frame: the rasteriser's 640 by
// 400 picture with the run tree's font (the tests run in its bin folder).
// No pixels at all when the font cannot be read, which no window matches.
inline gldisplay::Surface DrawnCells(std::span<const kalt::Cell> cells) {
  gldisplay::FontImage font;
  if (!gldisplay::LoadFontTga(gldisplay::kFontPath, font)) return gldisplay::Surface(0, 0);
  gldisplay::Surface pixels(640, 400);
  gldisplay::RenderCells({cells, 80, 50}, pixels, gldisplay::kPalette, font);
  return pixels;
}

// The number of pixels that differ; -1 for pictures of different sizes.
inline int Mismatches(const gldisplay::Surface& a, const gldisplay::Surface& b) {
  if (a.words.size() != b.words.size()) return -1;
  int count = 0;
  for (std::size_t i = 0; i < a.words.size(); ++i) count += a.words[i] != b.words[i];
  return count;
}

}  // namespace gldisplay_test
