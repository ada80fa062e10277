// The text-mode displays: an 80 by 50 cell screen with a queue of typed
// keys (KaltWindow), shown in an OpenGL window (SDL2), full screen or 640
// by 400 (RarodIdazer, here), or in a terminal (TerminalDisplay,
// gldisplay/terminal_display.h).
//
// The window exists from the first Present on. The user toggles between
// full screen and the window with Alt (pressed and released alone), F10,
// F11 or Alt+Enter; closing the window or Escape queues the key 27.
#pragma once

#include <cstdint>
#include <memory>

#include "gldisplay/cells.h"

struct SDL_Window;
union SDL_Event;

namespace gldisplay {

// An abstract text-mode display, with the queue of the keys typed on it.
class KaltWindow {
 public:
  // Creates an 80 by 50 screen surface.
  KaltWindow();
  // Shows the current cell screen and handles pending window messages (one
  // frame), which fill the key queue. Does nothing here.
  virtual void Present();
  // Sets the window title. Does nothing here.
  virtual void SetTitle(const char* title);
  virtual ~KaltWindow();

  KaltWindow(const KaltWindow&) = delete;
  KaltWindow& operator=(const KaltWindow&) = delete;

  // The key queue: a ring of 256 slots holding up to 255 unread codes (one
  // slot stays free, so that a full ring differs from an empty one).
  // QueueKey adds a code and returns true; while the queue is full it drops
  // the new code, keeps the unread ones and returns false. TakeKey returns
  // the oldest code, freeing its slot, or 0 when the queue is empty.
  bool QueueKey(std::int32_t code);
  std::int32_t TakeKey();
  // Queues the characters of UTF-8 text as code page 437 codes (ASCII as
  // itself); characters code page 437 lacks and malformed bytes are dropped,
  // and so is the rest of the text once the queue is full.
  void QueueText(const char* utf8);

  std::unique_ptr<Surface> screen;
  std::int32_t keyQueue[256] = {};
  std::uint8_t writeIndex = 0;
  std::uint8_t readIndex = 0;
};

// The display drawn with OpenGL: the cells are rasterised in software into
// the 640 by 400 pixel surface (screen), uploaded as a texture and drawn as
// one quad stretched over the window.
class RarodIdazer : public KaltWindow {
 public:
  RarodIdazer();
  ~RarodIdazer() override;

  // One frame: opens the window when there is none (ending the process with
  // status 1 after the message when that fails), loads the font at the first
  // frame, rasterises the cell screen (nothing when there is none), shows it
  // and handles the pending window events, which fill the key queue and may
  // toggle full screen (the window closes; the next Present reopens it).
  void Present() override;
  // Stores the pointer; the text is used when the window is next opened and
  // must live until then.
  void SetTitle(const char* title) override;

  // Opens the window and its GL context, full screen on the desktop's
  // resolution or with a client area of width by height. False after a
  // message (on stderr, and in a message box where a display exists) when it
  // fails; no display at all is one of these failures.
  bool Open(const char* title, int width, int height, bool fullScreen);
  // Releases the GL context and the window, if any; shows the mouse cursor
  // again when in full screen. The next Present opens a new window.
  void Shutdown();
  // Adapts the viewport to a client area of width by height pixels (a height
  // of 0 counts as 1) and stores the size as the current one. Without a GL
  // context only the size is stored.
  void Resize(int width, int height);

  // The key-menu command: closes the window and flips between full screen
  // and the windowed size; the next Present opens the window in the new mode.
  void ToggleFullScreen();

  int textureWidth = 0;
  int textureHeight = 0;
  float textureU = 0.0f;
  float textureV = 0.0f;
  SDL_Window* window = nullptr;
  void* glContext = nullptr;
  unsigned textureName = 0;
  const char* title = "RarodIdazer";
  const Rgb* palette = kPalette;
  int currentWidth = 640;
  int currentHeight = 400;
  int fullScreen = 0;
  int windowedWidth = 640;
  int windowedHeight = 400;
  std::unique_ptr<Surface> cells;  // the cell screen that Present shows

 private:
  void HandleEvent(const SDL_Event& event);
  void UploadPixels();
  void DrawQuad() const;
};

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
