// A program outside the project that uses the installed cella.
#include <cella/cella.h>

#include <cstdio>

int main() {
  cella::Canvas screen(80, 50);
  cella::Canvas layer(10, 5);
  for (int i = 0; i < layer.width * layer.height; ++i) {
    cella::Pixel cell = {219, 4, 16};
    layer.data[i] = cell;
  }
  cella::Blit(&screen, &layer, cella::Normal, 0, 0, 3, 2, 10, 5);
  const cella::Pixel& corner = screen.data[2 * 80 + 3];
  if (corner.ch != 219 || corner.fg != 4 || corner.bg != 16) {
    std::fprintf(stderr, "blit went wrong\n");
    return 1;
  }
  if (cella::Load(nullptr) || *cella::FailureReason() == '\0') return 1;  // a failed load says why
  std::printf("cella consumer ok\n");
  return 0;
}
