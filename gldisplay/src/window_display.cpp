// The display in a window: the SDL2 window, the OpenGL context, the
// texture that carries the pixel surface, message boxes and window events.
#include "gldisplay/window_display.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "kalt/alert.h"

namespace gldisplay {

namespace {

// The display the window events are delivered to: the one that presented
// the last frame.
RarodIdazer* published = nullptr;

// Whether Alt is being pressed alone, across frames.
MenuGesture menuGesture;

// How often a frame sets the texture up again while the GL keeps reporting
// errors (once is needed in every new context).
constexpr int kTextureSetups = 2;

// Reports an Open failure with the platform's reason.
bool OpenFailed(const char* text, kalt::AlertIcon icon = kalt::AlertIcon::Warning) {
  kalt::ShowAlert("ERROR", text, SDL_GetError(), icon);
  return false;
}

// Clears the GL's error flags; whether any was set.
bool TakeGlErrors() {
  bool any = false;
  for (int flags = 0; flags < 16 && glGetError() != GL_NO_ERROR; ++flags) any = true;
  return any;
}

// The font atlas, loaded at the first frame and kept for the whole run, also
// when it could not be loaded (the cells then show their paper colours).
const FontImage& ScreenFont(SDL_Window* window) {
  static const FontImage font = [window] {
    FontImage image;
    if (std::FILE* file = std::fopen(kFontPath, "rb")) {
      std::fclose(file);
      if (!LoadFontTga(kFontPath, image) || !FontHasGlyphs(image))
        kalt::ShowAlert("Error", "Error loading font file", "", kalt::AlertIcon::Warning, window);
    } else {
      kalt::ShowAlert("Error", "Can't find font file", "", kalt::AlertIcon::Warning, window);
    }
    return image;
  }();
  return font;
}

MenuKey MenuKeyOf(SDL_Keycode key) {
  switch (key) {
    case SDLK_LALT:
    case SDLK_RALT:
      return MenuKey::Alt;
    case SDLK_F10:
      return MenuKey::F10;
    case SDLK_F11:
      return MenuKey::F11;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return MenuKey::Enter;
    default:
      return MenuKey::Other;
  }
}

// The character code of a key that types a control character (text input
// brings the printable ones), or 0.
int ControlCode(SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE:
      return 27;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return 13;
    case SDLK_BACKSPACE:
      return 8;
    case SDLK_TAB:
      return 9;
    default:
      return 0;
  }
}

}  // namespace

RarodIdazer::RarodIdazer(WindowOptions options)
    : KaltWindow(kalt::kConsoleColumns, kalt::kConsoleRows),
      title_(std::move(options.title)),
      fullScreen_(options.fullScreen),
      pixels_(columns() * kGlyphSize, rows() * kGlyphSize) {}

RarodIdazer::~RarodIdazer() {
  Shutdown();
  if (published == this) published = nullptr;
}

bool RarodIdazer::Open() {
  if (window_) return true;
  int width = currentWidth_, height = currentHeight_;
  const bool full = fullScreen_;

  // 1. The video subsystem, once: no display at all ends here (SDL's
  //    invisible offscreen and dummy drivers serve nobody, unless the user
  //    names them in SDL_VIDEODRIVER). Ctrl+C keeps its default meaning, a
  //    closed window does not quit, and the screen saver stays off.
  if (!SDL_WasInit(SDL_INIT_VIDEO)) {
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11,wayland,kmsdrm", SDL_HINT_DEFAULT);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return OpenFailed("Can't open a window: no display found.");
  }

  // 2. Full screen covers the desktop at its own resolution.
  if (full) {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return OpenFailed("Program Will Now Close.", kalt::AlertIcon::Error);
    width = desktop.w;
    height = desktop.h;
  }

  // 3. The GL pixel format: double-buffered RGB of 8 bits a channel, no
  //    alpha, 16 depth bits, in a context that keeps the fixed pipeline.
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);

  // 4. The window, without a cursor in full screen.
  if (full) SDL_ShowCursor(SDL_DISABLE);
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI |
                       (full ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE);
  window_ = SDL_CreateWindow(title_.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
  if (!window_) {
    Shutdown();
    return OpenFailed("Window Creation Error.");
  }

  // 5. The rendering context, current on this thread; swaps wait for the
  //    display's refresh where the driver can.
  glContext_ = SDL_GL_CreateContext(window_);
  if (!glContext_) {
    Shutdown();
    return OpenFailed("Can't Create A GL Rendering Context.");
  }
  if (SDL_GL_MakeCurrent(window_, glContext_) != 0) {
    Shutdown();
    return OpenFailed("Can't Activate The GL Rendering Context.");
  }
  SDL_GL_SetSwapInterval(1);

  // 6. Shown in front with the keyboard focus, typing delivered as text.
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  SDL_SetWindowInputFocus(window_);
  SDL_DisableScreenSaver();
  SDL_StartTextInput();
  MenuGestureCancel(menuGesture);

  // 7. The viewport covers the drawable and one texture name is ready.
  int drawableWidth = width, drawableHeight = height;
  SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
  Resize(drawableWidth, drawableHeight);
  glEnable(GL_TEXTURE_2D);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  glGenTextures(1, &textureName_);
  return true;
}

void RarodIdazer::Shutdown() {
  // 1. Leaving full screen brings the cursor back.
  if (fullScreen_ && SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(SDL_ENABLE);

  // 2. The context, then the window; a failure is reported and the rest
  //    goes on.
  if (glContext_) {
    if (SDL_GL_MakeCurrent(window_, nullptr) != 0)
      kalt::ShowAlert("Shutdown Error", "Release of DC and RC failed.", SDL_GetError(), kalt::AlertIcon::Information);
    SDL_GL_DeleteContext(glContext_);
    glContext_ = nullptr;
  }
  if (window_) SDL_DestroyWindow(window_);

  // 3. The next Present opens a new window.
  window_ = nullptr;
}

void RarodIdazer::Resize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 1) height = 1;
  if (glContext_) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 1.0, 1.0, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  currentWidth_ = width;
  currentHeight_ = height;
}

void RarodIdazer::ToggleFullScreen() {
  Shutdown();
  fullScreen_ = !fullScreen_;
  currentWidth_ = kWindowedWidth;
  currentHeight_ = kWindowedHeight;
}

void RarodIdazer::UploadPixels() {
  const auto upload = [this] {
    glBindTexture(GL_TEXTURE_2D, textureName_);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, pixels_.width, pixels_.height, GL_RGBA, GL_UNSIGNED_BYTE,
                    pixels_.words.data());
  };
  TakeGlErrors();
  upload();
  // A texture without storage (the first frame in every context) makes the
  // upload fail: set it up at a power-of-two size and upload again.
  for (int setup = 0; setup < kTextureSetups && TakeGlErrors(); ++setup) {
    glDeleteTextures(1, &textureName_);
    glGenTextures(1, &textureName_);
    glBindTexture(GL_TEXTURE_2D, textureName_);
    const TextureFit fit = FitTexture(pixels_.width, pixels_.height);
    textureU_ = fit.u;
    textureV_ = fit.v;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, fit.width, fit.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    upload();
  }
}

void RarodIdazer::DrawQuad() const {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glColor3f(1.0f, 1.0f, 1.0f);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, textureV_);
  glVertex3f(-1.0f, -1.0f, 0.0f);
  glTexCoord2f(textureU_, textureV_);
  glVertex3f(1.0f, -1.0f, 0.0f);
  glTexCoord2f(textureU_, 0.0f);
  glVertex3f(1.0f, 1.0f, 0.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-1.0f, 1.0f, 0.0f);
  glEnd();
}

void RarodIdazer::Present() {
  ++frames_;
  // 1. A window, opened at the first frame and after each toggle. Without
  //    one nothing can be shown and no key can reach the program, so a
  //    failure ends the process after its message instead of repeating it
  //    every frame.
  if (!Open()) std::exit(EXIT_FAILURE);

  // 2. Its context is the current one.
  SDL_GL_MakeCurrent(window_, glContext_);

  // 3. The font, at the first frame.
  const FontImage& font = ScreenFont(window_);

  // 4. The cells into the pixel surface.
  RenderCells(frame(), pixels_, kPalette, font);

  // 5. The pixel surface into the texture.
  UploadPixels();

  // 6, 7. One quad over the whole viewport, row 0 of the surface at the top.
  DrawQuad();

  // 8. Shown.
  SDL_GL_SwapWindow(window_);

  // 9. This display receives the window events from now on.
  published = this;

  // 10. The pending events: keys, close requests, size changes, the
  //     key-menu command (which may close the window).
  SDL_Event event;
  while (SDL_PollEvent(&event))
    if (published) published->HandleEvent(event);
}

void RarodIdazer::HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_WINDOWEVENT:
      if (!window_ || event.window.windowID != SDL_GetWindowID(window_)) break;
      if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        int width = event.window.data1, height = event.window.data2;
        SDL_GL_GetDrawableSize(window_, &width, &height);
        Resize(width, height);
      } else if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        RequestEnd(0);  // the window stays until the program ends
      } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        MenuGestureCancel(menuGesture);
      }
      break;
    case SDL_QUIT:
      RequestEnd(0);
      break;
    case SDL_TEXTINPUT:
      QueueText(event.text.text);
      break;
    case SDL_KEYDOWN: {
      const SDL_Keycode key = event.key.keysym.sym;
      if (MenuKeyPressed(menuGesture, MenuKeyOf(key), event.key.repeat != 0, (event.key.keysym.mod & KMOD_ALT) != 0))
        ToggleFullScreen();
      else if (const int code = ControlCode(key))
        QueueKey(code);
      break;
    }
    case SDL_KEYUP:
      if (MenuKeyReleased(menuGesture, MenuKeyOf(event.key.keysym.sym))) ToggleFullScreen();
      break;
    default:
      break;
  }
}

TextureFit FitTexture(int surfaceWidth, int surfaceHeight) {
  TextureFit fit;
  fit.width = PowerOfTwoAtLeast(surfaceWidth);
  fit.height = PowerOfTwoAtLeast(surfaceHeight);
  fit.u = static_cast<float>(surfaceWidth) / static_cast<float>(fit.width);
  fit.v = static_cast<float>(surfaceHeight) / static_cast<float>(fit.height);
  return fit;
}

int PowerOfTwoAtLeast(int n) {
  int size = 1;
  while (size < n && size < (1 << 30)) size *= 2;
  return size;
}

bool MenuKeyPressed(MenuGesture& gesture, MenuKey key, bool repeat, bool altHeld) {
  if (key == MenuKey::Alt) {
    if (!repeat) gesture.altAlone = true;
    return false;
  }
  gesture.altAlone = false;
  if (repeat) return false;
  return key == MenuKey::F10 || key == MenuKey::F11 || (key == MenuKey::Enter && altHeld);
}

bool MenuKeyReleased(MenuGesture& gesture, MenuKey key) {
  if (key != MenuKey::Alt || !gesture.altAlone) return false;
  gesture.altAlone = false;
  return true;
}

}  // namespace gldisplay
