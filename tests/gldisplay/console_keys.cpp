// console_keys: shows the keys typed on cella's console, each as a row of
// 80 copies of its character (white on blue; row k for the k-th key), until
// 'q' is typed. Escape and the requests to end (27) are shown as well and
// end nothing here, so that what a second request does can be seen.
#include <cstdint>

#include "cella/cella.h"

int main() {
  cella::ConsoleInit();
  cella::Canvas screen(80, 50);
  for (int row = 0;;) {
    cella::ConsoleBlit(&screen);
    for (int key = cella::Keyboard(); key != 0; key = cella::Keyboard(), ++row) {
      if (key == 'q') return 0;
      for (int column = 0; column < 80 && row < 50; ++column)
        screen.data[row * 80 + column] = {static_cast<std::uint8_t>(key), 15, 1};
    }
    cella::Sleep(10);
  }
}
