// terminal/screen.h - turning the 80 x 50 cell grid into the bytes that
// update a terminal: UTF-8 characters, SGR colours and cursor moves for the
// cells whose look changed since the last frame, in as few bytes as it can.
//
// Pure functions on plain records: no terminal is touched here.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "kalt/cell.h"

namespace term {

inline constexpr int kGridColumns = kalt::kConsoleColumns;
inline constexpr int kGridRows = kalt::kConsoleRows;
inline constexpr int kGridCells = kalt::kConsoleCells;

// One console cell (kalt/cell.h): the character slot, then the attribute
// word; only the low byte of each counts.
using Cell = kalt::Cell;

// A whole frame, row-major (cell index = row * 80 + column).
using GridView = std::span<const Cell, kGridCells>;

struct ScreenSize {
  int columns = kGridColumns;
  int rows = kGridRows;
};

// Which characters REP (CSI n b, repeat the preceding character) may
// repeat. Terminals differ: the Linux console and GNU screen know no REP,
// tmux before 3.4 repeats ASCII characters only and drops REP after any
// other; xterm, VTE, Konsole, kitty and Alacritty repeat any character.
enum class Repeat {
  kNone,
  kAscii,     // codes 32..126
  kAnyGlyph,  // every code page 437 glyph
};

struct EncodeOptions {
  // Colours as the PC palette in 24-bit SGR instead of the 16 ANSI colours.
  bool trueColour = false;
  // Emit every visible cell every frame instead of only the changed ones
  // (for measuring what the change tracking saves).
  bool everyCell = false;
  // What REP may repeat; no REP by default, which every terminal shows
  // right. A Terminal asks the terminal what it repeats (see terminal.h).
  Repeat repeat = Repeat::kNone;
};

// What the terminal shows, as the encoder left it. Start with a default
// record (valid = false), which makes the first frame a full redraw.
struct ScreenState {
  ScreenSize size;
  // false: the terminal's content is unknown; the next frame clears the
  // screen and draws every visible cell. Set it to false after a resize or
  // after a write that did not complete.
  bool valid = false;
  // The look of every grid cell on the terminal (see CellLook).
  std::array<std::uint16_t, kGridCells> shown{};
  // The terminal's current ink and paper (PC colour index), -1 when unknown
  // or the terminal's default.
  int ink = -1;
  int paper = -1;
  // The terminal's cursor (0-based row and column of the terminal), -1 when
  // unknown; a column equal to size.columns is the right edge after a
  // character in the last column.
  int cursorRow = -1;
  int cursorColumn = -1;
};

// The look of a cell, one 16-bit value: code page 437 code in bits 0-7,
// ink in 8-11, paper in 12-15. Cells that look the same on a terminal get
// the same value: a blank glyph (codes 0, 32, 255) or ink equal to paper
// becomes code 32 with ink = paper; a full block (219) gets paper = ink.
std::uint16_t CellLook(Cell cell);

// Where the 80 x 50 picture sits on a terminal of the given size: terminal
// column = grid column + columnOffset (likewise rows). The picture is
// centred; on a smaller terminal the offsets are negative and the centre
// part that fits is shown.
struct Placement {
  int columnOffset;
  int rowOffset;
};
Placement PlacePicture(ScreenSize size);

// Appends to `out` the bytes that bring the terminal from `state` to
// `grid` and updates `state` to match. The bytes of a frame are wrapped in
// a synchronized update (CSI ?2026h ... CSI ?2026l); a frame with no
// visible change appends nothing. An invalid state first resets the
// colours and clears the screen (margins around the picture keep the
// terminal's default colours). Only cells inside the terminal are written
// (a size of 0 shows nothing); after a character lands in the terminal's
// last column the cursor is placed explicitly, so the output never wraps or
// scrolls, whether or not the terminal honours the disabled auto-wrap.
//
// Each row is sent in the fewest bytes the encoder finds: between two
// changed cells the cursor either moves (CUP, CHA, CUF, CUB, CNL or CUD,
// a carriage return or backspaces, the shortest) or writes the unchanged
// cells between them again, whichever costs fewer bytes, colour changes included; where colours alternate, the
// changed cells of a row may be written one colour at a time instead of
// left to right, if that is shorter; a run of one character is sent as the
// character and REP (CSI n b) where that is shorter and the options allow
// it for the character; an SGR carries only the colours that change and
// that the glyph shows. A redraw goes left to right. The output depends
// only on the grid, the options and the state.
void EncodeFrame(GridView grid, const EncodeOptions& options, ScreenState& state, std::string& out);

}  // namespace term
