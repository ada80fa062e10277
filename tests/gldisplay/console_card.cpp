// console_card: shows a test card with cella's console calls until Escape
// is typed or the window is closed. Alt (alone), F10, F11 or Alt+Enter
// toggle full screen.
#include "cella/cella.h"
#include "test_card.h"

int main() {
  cella::ConsoleInit();
  cella::Canvas card(80, 50);
  gldisplay_test::DrawTestCard(card);
  for (;;) {
    cella::ConsoleBlit(&card);
    for (int key = cella::Keyboard(); key; key = cella::Keyboard())
      if (key == 27) return 0;
    cella::Sleep(10);
  }
}
