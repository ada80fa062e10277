// The display's state that needs no window: surfaces, the key queue and the
// key-menu command.
#include "gldisplay/display.h"

#include "kalt/cp437.h"

namespace gldisplay {

KaltWindow::KaltWindow() : screen(std::make_unique<Surface>(80, 50)) {}
KaltWindow::~KaltWindow() = default;
void KaltWindow::Present() {}
void KaltWindow::SetTitle(const char*) {}

bool KaltWindow::QueueKey(std::int32_t code) {
  if (static_cast<std::uint8_t>(writeIndex + 1) == readIndex) return false;  // full
  keyQueue[writeIndex++] = code;
  return true;
}

std::int32_t KaltWindow::TakeKey() {
  if (readIndex == writeIndex) return 0;
  return keyQueue[readIndex++];
}

namespace {

// Decodes the UTF-8 character at text, advancing text past it; -1 for a
// malformed sequence (text then moves one byte on).
long NextUtf8(const unsigned char*& text) {
  const unsigned char lead = *text++;
  const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
  if (extra < 0) return -1;
  long c = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if ((text[i] & 0xC0) != 0x80) return -1;
    c = c << 6 | (text[i] & 0x3F);
  }
  text += extra;
  return c;
}

}  // namespace

void KaltWindow::QueueText(const char* utf8) {
  if (!utf8) return;
  for (const auto* text = reinterpret_cast<const unsigned char*>(utf8); *text;) {
    const long c = NextUtf8(text);
    const int code = c < 0 ? -1 : kalt::Cp437Code(static_cast<char32_t>(c));
    if (code >= 0 && !QueueKey(code)) return;  // full: the rest is dropped too
  }
}

RarodIdazer::RarodIdazer() = default;

void RarodIdazer::SetTitle(const char* text) { title = text; }

void RarodIdazer::ToggleFullScreen() {
  Shutdown();
  fullScreen = !fullScreen;
  currentWidth = windowedWidth;
  currentHeight = windowedHeight;
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
