#include "terminal/screen.h"

#include <algorithm>

#include "kalt/ansi.h"
#include "kalt/cp437.h"

namespace term {

namespace {

constexpr int kBlank = 32;
constexpr int kFullBlock = 219;

// Where the terminal's cursor is while a frame is encoded; -1: unknown.
struct Cursor {
  int row = -1;
  int column = -1;
};

// Moves the cursor to (row, column): nothing when it is there already, a
// forward move within the row, else an absolute position.
void MoveCursor(std::string& out, Cursor& cursor, int row, int column) {
  if (cursor.row == row && cursor.column == column) return;
  if (cursor.row == row && cursor.column >= 0 && cursor.column < column) {
    out += "\x1b[";
    if (column - cursor.column > 1) kalt::AppendDecimal(out, column - cursor.column);
    out += 'C';
  } else {
    out += "\x1b[";
    kalt::AppendDecimal(out, row + 1);
    out += ';';
    kalt::AppendDecimal(out, column + 1);
    out += 'H';
  }
  cursor = {row, column};
}

// Sets the colours that the glyph of `look` shows: no ink for a blank, no
// paper for a full block, and only what differs from the terminal's.
void SetColours(std::string& out, std::uint16_t look, bool trueColour, ScreenState& state) {
  const int code = look & 0xFF, ink = look >> 8 & 15, paper = look >> 12;
  const bool setInk = code != kBlank && state.ink != ink;
  const bool setPaper = code != kFullBlock && state.paper != paper;
  if (!setInk && !setPaper) return;
  out += "\x1b[";
  if (setInk) kalt::AppendSgrColour(out, ink, false, trueColour);
  if (setInk && setPaper) out += ';';
  if (setPaper) kalt::AppendSgrColour(out, paper, true, trueColour);
  out += 'm';
  if (setInk) state.ink = ink;
  if (setPaper) state.paper = paper;
}

}  // namespace

std::uint16_t CellLook(Cell cell) {
  int code = cell.ch & 0xFF, ink = cell.attr & 15, paper = cell.attr >> 4 & 15;
  if (code == 0 || code == kBlank || code == 255 || ink == paper) {
    code = kBlank;
    ink = paper;
  } else if (code == kFullBlock) {
    paper = ink;
  }
  return static_cast<std::uint16_t>(code | ink << 8 | paper << 12);
}

Placement PlacePicture(ScreenSize size) {
  return {(size.columns - kGridColumns) / 2, (size.rows - kGridRows) / 2};
}

void EncodeFrame(GridView grid, const EncodeOptions& options, ScreenState& state, std::string& out) {
  const std::size_t frameStart = out.size();
  out += "\x1b[?2026h";
  const std::size_t bodyStart = out.size();
  const bool redraw = !state.valid || options.everyCell;
  if (!state.valid) {
    out += "\x1b[0m\x1b[2J";
    state.ink = state.paper = -1;
  }

  // The grid rows and columns that fall inside the terminal.
  const Placement place = PlacePicture(state.size);
  const int firstRow = std::max(0, -place.rowOffset);
  const int endRow = std::min(kGridRows, state.size.rows - place.rowOffset);
  const int firstColumn = std::max(0, -place.columnOffset);
  const int endColumn = std::min(kGridColumns, state.size.columns - place.columnOffset);

  Cursor cursor;
  for (int row = firstRow; row < endRow; ++row) {
    for (int column = firstColumn; column < endColumn; ++column) {
      const int i = row * kGridColumns + column;
      const std::uint16_t look = CellLook(grid[i]);
      if (!redraw && look == state.shown[i]) continue;
      state.shown[i] = look;
      const int terminalColumn = column + place.columnOffset;
      MoveCursor(out, cursor, row + place.rowOffset, terminalColumn);
      SetColours(out, look, options.trueColour, state);
      kalt::AppendCp437(out, static_cast<std::uint8_t>(look & 0xFF));
      // After the terminal's last column this is one past the edge, where
      // the terminal's cursor is not (it stays put or waits to wrap): no
      // cell is there, so the next one is reached by an absolute move.
      ++cursor.column;
    }
  }

  state.valid = true;
  if (out.size() == bodyStart) {
    out.resize(frameStart);
  } else {
    out += "\x1b[?2026l";
  }
}

}  // namespace term
