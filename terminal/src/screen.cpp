#include "terminal/screen.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "kalt/ansi.h"
#include "kalt/cp437.h"

namespace term {

namespace {

constexpr int kBlank = 32;
constexpr int kFullBlock = 219;

// The decimal digits of a number >= 0.
int Digits(int n) {
  int digits = 1;
  for (; n >= 10; n /= 10) ++digits;
  return digits;
}

// Short byte strings looked up per cell: the UTF-8 form of every code
// page 437 glyph, and the SGR parameters of every colour as ink and as
// paper, in 16 colours and in true colour.
struct Tables {
  std::array<std::string, 256> glyphs;
  std::string colours[2][2][16];  // [trueColour][paper][pc]

  Tables() {
    for (int code = 0; code < 256; ++code) kalt::AppendCp437(glyphs[code], static_cast<std::uint8_t>(code));
    for (int trueColour = 0; trueColour < 2; ++trueColour)
      for (int paper = 0; paper < 2; ++paper)
        for (int pc = 0; pc < 16; ++pc) kalt::AppendSgrColour(colours[trueColour][paper][pc], pc, paper, trueColour);
  }
};

const Tables& Lookup() {
  static const Tables tables;
  return tables;
}

// Whether REP may repeat the glyph of code page 437 code `code`.
bool Repeatable(Repeat repeat, int code) {
  return repeat == Repeat::kAnyGlyph || (repeat == Repeat::kAscii && code >= 0x20 && code < 0x7F);
}

// Writes cells into one frame's bytes: moves the cursor the cheapest way,
// sets only the colours a glyph shows that differ from the terminal's, and
// holds back a run of cells that look alike to send it as one glyph and a
// REP where that is shorter. A copy with no output (out == nullptr) counts
// the bytes that a choice would cost, exactly.
class Painter {
 public:
  Painter(std::string* out, const EncodeOptions& options, const ScreenState& state)
      : out_(out),
        tables_(Lookup()),
        trueColour_(options.trueColour),
        repeat_(options.repeat),
        columns_(state.size.columns),
        row_(state.cursorRow),
        column_(state.cursorColumn),
        ink_(state.ink),
        paper_(state.paper) {}

  // Bytes sent (or counted) so far; a held run is not counted until sent.
  std::size_t bytes() const { return bytes_; }
  // A copy that counts the bytes of what follows, without output.
  Painter Counter() const {
    Painter counter = *this;
    counter.out_ = nullptr;
    counter.bytes_ = 0;
    return counter;
  }

  // Writes the cell at the cursor (after the held run) with `look`.
  void Put(std::uint16_t look) {
    if (run_ > 0 && (look & 0xFF) == (runLook_ & 0xFF) && Shows(look)) {
      ++run_;
      return;
    }
    Flush();
    SetColours(look);
    runLook_ = look;
    run_ = 1;
  }

  // Sends the held run: its glyph, then the repeats as glyphs or, where the
  // options allow it for the glyph, as one REP, whichever is shorter
  // (glyphs on a tie).
  void Flush() {
    if (run_ == 0) return;
    const std::string& glyph = tables_.glyphs[runLook_ & 0xFF];
    Text(glyph);
    const int repeats = run_ - 1;
    const int repCost = repeats == 1 ? 3 : 3 + Digits(repeats);
    if (repeats > 0 && Repeatable(repeat_, runLook_ & 0xFF) && repCost < repeats * static_cast<int>(glyph.size())) {
      Text("\x1b[");
      if (repeats > 1) Number(repeats);
      Text("b");
    } else {
      for (int k = 0; k < repeats; ++k) Text(glyph);
    }
    // After the terminal's last column the cursor is at the edge (it stays
    // put or waits to wrap): columns_ stands for that place, which only
    // absolute column moves leave.
    column_ = std::min(column_ + run_, columns_);
    run_ = 0;
  }

  // Moves the cursor to (row, column) of the terminal by the shortest of:
  // an absolute position (CUP), within the row an absolute column (CHA) or
  // a step forward (CUF), or down a number of rows to the first column
  // (CNL) or in the same column (CUD), each followed by a column move.
  void MoveTo(int row, int column) {
    Flush();
    if (row_ == row && column_ == column) return;
    const bool columnKnown = row_ >= 0 && column_ >= 0 && column_ < columns_;
    enum class Way { kPosition, kColumn, kForward, kNextLine, kDown };
    Way way = Way::kPosition;
    int best = 3 + (row > 0 ? Digits(row + 1) : 0) + (column > 0 ? 1 + Digits(column + 1) : 0);
    const auto consider = [&](Way candidate, int cost) {
      if (cost < best) {
        best = cost;
        way = candidate;
      }
    };
    if (row_ == row) {
      consider(Way::kColumn, ColumnCost(column));
      if (columnKnown && column > column_) consider(Way::kForward, ForwardCost(column - column_));
    } else if (row_ >= 0 && row > row_) {
      consider(Way::kNextLine, CountCost(row - row_) + (column > 0 ? ForwardCost(column) : 0));
      if (columnKnown) consider(Way::kDown, CountCost(row - row_) + AlongRowCost(column_, column));
    }

    switch (way) {
      case Way::kPosition:
        Text("\x1b[");
        if (row > 0) Number(row + 1);
        if (column > 0) {
          Text(";");
          Number(column + 1);
        }
        Text("H");
        break;
      case Way::kColumn:
        Column(column);
        break;
      case Way::kForward:
        Forward(column - column_);
        break;
      case Way::kNextLine:
        Counted(row - row_, "E");
        if (column > 0) Forward(column);
        break;
      case Way::kDown:
        Counted(row - row_, "B");
        if (column > column_) {
          Forward(column - column_);
        } else if (column < column_) {
          Column(column);
        }
        break;
    }
    row_ = row;
    column_ = column;
  }

  // Where the frame leaves the terminal, for the next frame.
  void Leave(ScreenState& state) {
    Flush();
    state.cursorRow = row_;
    state.cursorColumn = column_;
    state.ink = ink_;
    state.paper = paper_;
  }

 private:
  // True when the terminal's colours show `look`'s glyph as it should be:
  // the paper of a blank, the ink of a full block, otherwise both.
  bool Shows(std::uint16_t look) const {
    const int code = look & 0xFF, ink = look >> 8 & 15, paper = look >> 12;
    return (code == kBlank || ink_ == ink) && (code == kFullBlock || paper_ == paper);
  }

  // One SGR with the colours that the glyph shows and the terminal lacks.
  // A reset (SGR 0) never makes it shorter: the terminal's default colours
  // are not PC colours, so both would have to follow it.
  void SetColours(std::uint16_t look) {
    const int code = look & 0xFF, ink = look >> 8 & 15, paper = look >> 12;
    const bool setInk = code != kBlank && ink_ != ink;
    const bool setPaper = code != kFullBlock && paper_ != paper;
    if (!setInk && !setPaper) return;
    Text("\x1b[");
    if (setInk) Text(tables_.colours[trueColour_][0][ink]);
    if (setInk && setPaper) Text(";");
    if (setPaper) Text(tables_.colours[trueColour_][1][paper]);
    Text("m");
    if (setInk) ink_ = ink;
    if (setPaper) paper_ = paper;
  }

  // The bytes of the sequences, and the sequences: a count of 1 is left
  // out, as is column 1.
  static int CountCost(int n) { return 3 + (n > 1 ? Digits(n) : 0); }
  static int ForwardCost(int n) { return CountCost(n); }
  static int ColumnCost(int column) { return 3 + (column > 0 ? Digits(column + 1) : 0); }
  static int AlongRowCost(int from, int to) {
    return to == from ? 0 : to > from ? std::min(ForwardCost(to - from), ColumnCost(to)) : ColumnCost(to);
  }
  void Counted(int n, const char* final) {
    Text("\x1b[");
    if (n > 1) Number(n);
    Text(final);
  }
  void Forward(int n) { Counted(n, "C"); }
  void Column(int column) {
    Text("\x1b[");
    if (column > 0) Number(column + 1);
    Text("G");
  }

  void Text(std::string_view text) {
    bytes_ += text.size();
    if (out_ != nullptr) out_->append(text);
  }
  void Number(int n) {
    bytes_ += static_cast<std::size_t>(Digits(n));
    if (out_ != nullptr) kalt::AppendDecimal(*out_, n);
  }

  std::string* out_;
  const Tables& tables_;
  bool trueColour_;
  Repeat repeat_;
  int columns_;
  std::size_t bytes_ = 0;
  int row_, column_;  // the cursor, -1 when unknown
  int ink_, paper_;   // the terminal's colours, -1 when unknown
  std::uint16_t runLook_ = 0;
  int run_ = 0;  // cells of runLook_ held back, from the cursor on
};

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
    state.cursorRow = state.cursorColumn = -1;
  }

  // The grid rows and columns that fall inside the terminal.
  const Placement place = PlacePicture(state.size);
  const int firstRow = std::max(0, -place.rowOffset);
  const int endRow = std::min(kGridRows, state.size.rows - place.rowOffset);
  const int firstColumn = std::max(0, -place.columnOffset);
  const int endColumn = std::min(kGridColumns, state.size.columns - place.columnOffset);

  Painter painter(&out, options, state);
  std::array<std::uint16_t, kGridColumns> looks;
  for (int row = firstRow; row < endRow; ++row) {
    // 1. The looks of the row, and the cells that the terminal lacks.
    const int rowStart = row * kGridColumns;
    const auto changed = [&](int column) { return redraw || looks[column] != state.shown[rowStart + column]; };
    for (int column = firstColumn; column < endColumn; ++column) looks[column] = CellLook(grid[rowStart + column]);
    int column = firstColumn;
    while (column < endColumn && !changed(column)) ++column;
    if (column == endColumn) continue;

    // 2. Runs of changed cells; between two of them the cursor either
    //    moves or writes the unchanged cells again, whichever costs fewer
    //    bytes up to and including the next changed cell.
    const int terminalRow = row + place.rowOffset;
    painter.MoveTo(terminalRow, column + place.columnOffset);
    for (;;) {
      painter.Put(looks[column]);
      state.shown[rowStart + column] = looks[column];
      int next = column + 1;
      while (next < endColumn && !changed(next)) ++next;
      if (next == endColumn) break;
      if (next > column + 1) {
        Painter move = painter.Counter();
        move.MoveTo(terminalRow, next + place.columnOffset);
        move.Put(looks[next]);
        move.Flush();
        Painter rewrite = painter.Counter();
        for (int k = column + 1; k <= next && rewrite.bytes() <= move.bytes(); ++k) rewrite.Put(looks[k]);
        rewrite.Flush();
        if (rewrite.bytes() < move.bytes()) {
          for (int k = column + 1; k < next; ++k) painter.Put(looks[k]);
        } else {
          painter.MoveTo(terminalRow, next + place.columnOffset);
        }
      }
      column = next;
    }
  }
  painter.Leave(state);

  state.valid = true;
  if (out.size() == bodyStart) {
    out.resize(frameStart);
  } else {
    out += "\x1b[?2026l";
  }
}

}  // namespace term
