// terminal/screen.h - turning a cell grid (the console's 80 x 50, or any
// size) into the bytes that update a terminal: UTF-8 characters, SGR
// colours and cursor moves for the cells whose look changed since the last
// frame, in as few bytes as it can.
//
// Pure functions on plain records: no terminal is touched here.
#pragma once

#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kalt/cell.h"

namespace term {

inline constexpr int kGridColumns = kalt::kConsoleColumns;
inline constexpr int kGridRows = kalt::kConsoleRows;
inline constexpr int kGridCells = kalt::kConsoleCells;

// One console cell (kalt/cell.h): the character slot, then the attribute
// word; only the low byte of each counts.
using Cell = kalt::Cell;

// A whole console frame, row-major (cell index = row * 80 + column).
using GridView = std::span<const Cell, kGridCells>;

// A size in cells: a terminal's, or a picture's.
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

// How a cell looks on a terminal: its glyph and the colours that the glyph
// shows. Cells that look alike have equal looks. One aligned word, its last
// byte always 0, so that looks compare as words.
struct alignas(4) Look {
  std::uint8_t glyph = 32;  // code page 437 code
  std::int8_t ink = -1;     // PC colour 0..15; -1: the glyph shows no ink
  std::int8_t paper = -1;   // PC colour 0..15; -1: the glyph shows no paper
  std::uint8_t zero = 0;    // always 0
  friend constexpr bool operator==(Look a, Look b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
  }
};
static_assert(sizeof(Look) == 4);

// The look of a cell, the one rule for which colours a glyph shows: a blank
// glyph (codes 0, 32 and 255) and any glyph in ink equal to its paper show
// only the paper, as code 32; a full block (219) shows only the ink; every
// other glyph shows both. Only the low byte of each word counts.
Look CellLook(Cell cell);

// A picture of any size: `columns` x `rows` cells, row-major (cell index =
// row * columns + column).
struct FrameView {
  std::span<const Cell> cells;
  int columns = 0;
  int rows = 0;
};

// What the terminal shows, as the encoder left it. Start with a default
// record (valid = false), which makes the first frame a full redraw.
struct ScreenState {
  // The terminal's size.
  ScreenSize size;
  // false: the terminal's content is unknown; the next frame clears the
  // screen and draws every visible cell. Set it to false after a resize or
  // after a write that did not complete. A frame of another picture size
  // than the last one is drawn as if it were false.
  bool valid = false;
  // The picture's size and the look of each of its cells on the terminal
  // (cells outside the terminal are not kept up to date).
  ScreenSize picture{0, 0};
  std::vector<Look> shown;
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

// Where a picture (80 x 50 unless given) sits on a terminal of the given
// size: terminal column = picture column + columnOffset (likewise rows).
// The picture is centred; on a smaller terminal the offsets are negative
// and the centre part that fits is shown.
struct Placement {
  int columnOffset;
  int rowOffset;
};
Placement PlacePicture(ScreenSize terminal, ScreenSize picture = {});

// Appends to `out` the bytes that bring the terminal from `state` to
// `frame` and updates `state` to match. The bytes of a frame are wrapped in
// a synchronized update (CSI ?2026h ... CSI ?2026l); a frame with no
// visible change appends nothing. An invalid state first resets the
// colours and clears the screen (margins around the picture keep the
// terminal's default colours). Only cells inside the terminal are written
// (a size of 0 shows nothing); after a character lands in the terminal's
// last column the cursor is placed explicitly, so the output never wraps or
// scrolls, whether or not the terminal honours the disabled auto-wrap.
// Throws std::invalid_argument, and changes nothing, when the frame's
// columns or rows are negative or it holds fewer than columns x rows cells.
//
// Each row is sent in the fewest bytes that the encoder's moves allow (on
// very wide rows, nearly), every choice priced by counting the bytes that
// it writes: between two
// changed cells the cursor either moves (CUP, CHA, CUF, CUB, CNL or CUD,
// a carriage return or backspaces, the shortest) or writes the unchanged
// cells between them again; where colours alternate, the changed cells of
// a row may be written one colour at a time instead of left to right; a
// run of one character is sent as the character and REP (CSI n b) where
// that is shorter and the options allow it for the character; an SGR
// carries only the colours that change and that the glyph shows. Among
// choices of equal cost, each gap takes the one that is cheaper up to and
// including the next cell (a move on a tie), and left to right goes before
// one colour at a time. A redraw goes left to right. The output depends
// only on the frame, the options and the state.
void EncodeFrame(FrameView frame, const EncodeOptions& options, ScreenState& state, std::string& out);

// The same for an 80 x 50 grid.
inline void EncodeFrame(GridView grid, const EncodeOptions& options, ScreenState& state, std::string& out) {
  EncodeFrame(FrameView{grid, kGridColumns, kGridRows}, options, state, out);
}

}  // namespace term
