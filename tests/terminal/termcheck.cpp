// termcheck: shows a fixed test picture through the terminal layer until
// an end key or signal, for the tests of the terminal session.
//
//   termcheck            the picture; Escape, Ctrl+C or a signal ends it
//   termcheck abort      shows one frame, then aborts
//   termcheck segfault   shows one frame, then writes to a read-only page
//   termcheck message    writes a line to standard error after each frame
//   termcheck animate    moves the picture by one letter every frame
//   termcheck runs       rows of one character each, light shades and x in
//                        turn, the next glyph every frame (shades: light and
//                        medium; letters: x and y); REP allowed for every glyph
//
// The picture: cell (row, column) shows letter 'A' + (row + column) mod 26
// in ink 1 + (row + column) mod 15 on black.
#include <signal.h>
#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "terminal/terminal.h"

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  const bool runs = std::strcmp(mode, "runs") == 0;
  std::vector<term::Cell> grid(term::kGridCells);
  for (int i = 0; i < term::kGridCells; ++i) {
    const int row = i / term::kGridColumns, sum = row + i % term::kGridColumns;
    grid[i] = {static_cast<std::uint16_t>('A' + sum % 26), static_cast<std::uint16_t>(1 + sum % 15)};
    if (runs) grid[i] = {static_cast<std::uint16_t>(row % 2 == 0 ? 176 : 'x'), 0x07};
  }
  bool end = false;
  int endSignal = 0;
  try {
    term::Terminal terminal("termcheck", {.trueColour = term::WantsTrueColour(std::getenv("COLORTERM")),
                                          .repeat = runs ? term::Repeat::kAnyGlyph : term::Repeat::kNone});
    while (!end) {
      terminal.Present(term::GridView(grid.data(), term::kGridCells));
      if (std::strcmp(mode, "animate") == 0)
        for (term::Cell& cell : grid) cell.ch = static_cast<std::uint16_t>('A' + (cell.ch - 'A' + 1) % 26);
      if (runs)
        for (term::Cell& cell : grid) cell.ch = static_cast<std::uint16_t>(cell.ch ^ (cell.ch < 128 ? 'x' ^ 'y' : 1));
      if (std::strcmp(mode, "abort") == 0) std::abort();
      if (std::strcmp(mode, "message") == 0) std::fprintf(stderr, "a message during the show\n");
      if (std::strcmp(mode, "segfault") == 0) {
        void* page = mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        *static_cast<volatile int*>(page) = 1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      // Escape ends, Ctrl+C as SIGINT would, and so do the end signals.
      std::vector<int> typed;
      terminal.ReadKeys(typed);
      for (const int key : typed)
        if (!end && (key == 27 || key == 3)) {
          end = true;
          endSignal = key == 3 ? SIGINT : 0;
        }
      if (!end && terminal.EndSignal() != 0) {
        end = true;
        endSignal = terminal.EndSignal();
      }
    }
  } catch (const term::TerminalError& e) {
    std::fprintf(stderr, "termcheck: %s\n", e.what());
    return 1;
  }
  if (endSignal != 0) term::DieOf(endSignal);
  return 0;
}
