// termcheck: shows a fixed test picture through the terminal layer until
// an end key or signal, for the tests of the terminal session.
//
//   termcheck            the picture; Escape, Ctrl+C or a signal ends it
//   termcheck abort      shows one frame, then aborts
//   termcheck segfault   shows one frame, then writes to a read-only page
//   termcheck message    writes a line to standard error after each frame
//
// The picture: cell (row, column) shows letter 'A' + (row + column) mod 26
// in ink 1 + (row + column) mod 15 on black.
#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "terminal/terminal.h"

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  std::vector<term::Cell> grid(term::kGridCells);
  for (int i = 0; i < term::kGridCells; ++i) {
    const int sum = i / term::kGridColumns + i % term::kGridColumns;
    grid[i] = {static_cast<std::uint16_t>('A' + sum % 26), static_cast<std::uint16_t>(1 + sum % 15)};
  }
  term::EndRequest end;
  try {
    term::Terminal terminal("termcheck", {.trueColour = term::WantsTrueColour(std::getenv("COLORTERM"))});
    while (!end.end) {
      terminal.Present(term::GridView(grid.data(), term::kGridCells));
      if (std::strcmp(mode, "abort") == 0) std::abort();
      if (std::strcmp(mode, "message") == 0) std::fprintf(stderr, "a message during the show\n");
      if (std::strcmp(mode, "segfault") == 0) {
        void* page = mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        *static_cast<volatile int*>(page) = 1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      end = terminal.PollEnd();
    }
  } catch (const term::TerminalError& e) {
    std::fprintf(stderr, "termcheck: %s\n", e.what());
    return 1;
  }
  if (end.signal != 0) term::DieOf(end.signal);
  return 0;
}
