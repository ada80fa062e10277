// gldisplay/window_display.h - the text-mode display in an OpenGL window
// (SDL2): RarodIdazer draws its 80 by 50 cells in software as 8 by 8 pixels
// of the font atlas each, into a 640 by 400 image that it shows as one
// textured quad stretched over the window, full screen or 640 by 400.
//
// The user toggles between full screen and the window with Alt (pressed
// and released alone), F10, F11 or Alt+Enter. Escape queues the key 27;
// closing the window asks to end (signal 0), which queues 27 as well.
#pragma once

#include <string>

#include "gldisplay/cells.h"
#include "gldisplay/display.h"

struct SDL_Window;
union SDL_Event;

namespace gldisplay {

struct WindowOptions {
  std::string title = "RarodIdazer";
  // Full screen on the desktop's resolution, else a 640 by 400 window.
  bool fullScreen = false;
};

class RarodIdazer final : public KaltWindow {
 public:
  // No window yet: Open or the first Present opens it.
  explicit RarodIdazer(WindowOptions options = {});
  ~RarodIdazer() override;

  // Opens the window and its GL context now, unless it is open: full
  // screen or with a client area of the current size (640 by 400 at
  // first). False after a message (on stderr, and in a message box where a
  // display exists) when it fails; no display at all is one of these
  // failures.
  bool Open();

  // One frame: opens the window when there is none (ending the process
  // with status 1 after the message when that fails), loads the font at
  // the first frame (a missing or unreadable font is reported once; the
  // cells then show their paper colours), rasterises the cells, shows them
  // and handles the pending window events, which fill the key queue, ask
  // to end and may toggle full screen (the window closes; the next Present
  // reopens it).
  void Present() override;

  // Frames presented; nothing is written or dropped.
  DisplayStats Stats() const override { return {frames_, 0, 0}; }

  // Releases the GL context and the window, if any; shows the mouse cursor
  // again when in full screen. The next Present opens a new window.
  void Shutdown();
  // Adapts the viewport to a client area of width by height pixels (a
  // height of 0 counts as 1) and stores the size as the current one.
  // Without a GL context only the size is stored.
  void Resize(int width, int height);
  // The key-menu command: closes the window and flips between full screen
  // and the windowed size; the next Present opens the window in the new
  // mode.
  void ToggleFullScreen();

  // The window, null while there is none.
  SDL_Window* window() const { return window_; }
  bool fullScreen() const { return fullScreen_; }
  // The client area's current size in pixels.
  int width() const { return currentWidth_; }
  int height() const { return currentHeight_; }

 private:
  void HandleEvent(const SDL_Event& event);
  void UploadPixels();
  void DrawQuad() const;

  std::string title_;
  bool fullScreen_;
  int currentWidth_ = kWindowedWidth;
  int currentHeight_ = kWindowedHeight;
  Surface pixels_;  // the cells as the texture shows them
  SDL_Window* window_ = nullptr;
  void* glContext_ = nullptr;
  unsigned textureName_ = 0;
  float textureU_ = 0.0f;
  float textureV_ = 0.0f;
  std::uint64_t frames_ = 0;

  static constexpr int kWindowedWidth = 640;
  static constexpr int kWindowedHeight = 400;
};

// The texture that holds a pixel surface of width by height: each side the
// smallest power of two not below the surface's (see PowerOfTwoAtLeast),
// and the share of it that the surface covers, as texture coordinates (640
// by 400: 1024 by 512, u = 0.625, v = 0.78125).
struct TextureFit {
  int width = 1;
  int height = 1;
  float u = 1.0f;
  float v = 1.0f;
};
TextureFit FitTexture(int surfaceWidth, int surfaceHeight);

// The smallest power of two not below n (1 for n below 2): the texture size
// that holds a surface extent of n. Limited to 2^30.
int PowerOfTwoAtLeast(int n);

// Recognises the key-menu command among key presses: Alt pressed and
// released with no other key in between, F10, F11, or Enter while Alt is
// held.
enum class MenuKey { Alt, F10, F11, Enter, Other };

struct MenuGesture {
  bool altAlone = false;  // Alt is down and nothing else was pressed since
};

// A key press (repeats included); true when it completes the command.
bool MenuKeyPressed(MenuGesture& gesture, MenuKey key, bool repeat, bool altHeld);
// A key release; true when it completes the command.
bool MenuKeyReleased(MenuGesture& gesture, MenuKey key);
// Focus went elsewhere: the keys held so far count for nothing.
inline void MenuGestureCancel(MenuGesture& gesture) { gesture.altAlone = false; }

}  // namespace gldisplay
