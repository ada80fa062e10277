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

// The decimal digits of a number 0..99999 (counts, rows and columns).
int Digits(int n) { return n < 10 ? 1 : n < 100 ? 2 : n < 1000 ? 3 : n < 10000 ? 4 : 5; }

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
        tables_(&Lookup()),
        trueColour_(options.trueColour),
        repeat_(options.repeat),
        columns_(state.size.columns),
        row_(state.cursorRow),
        column_(state.cursorColumn),
        ink_(state.ink),
        paper_(state.paper) {}

  // Bytes sent (or counted) so far; a held run is not counted until sent.
  std::size_t bytes() const { return bytes_; }
  // True when the terminal's colours are `ink` and `paper` (-1: either).
  bool HasColours(int ink, int paper) const { return (ink < 0 || ink == ink_) && (paper < 0 || paper == paper_); }
  // A copy that counts the bytes of what follows, without output.
  Painter Counter() const {
    Painter counter = *this;
    counter.out_ = nullptr;
    counter.bytes_ = 0;
    return counter;
  }
  // A copy that writes what follows into `draft` (emptied first), for
  // Adopt to take over if it is the better choice.
  Painter Draft(std::string& draft) const {
    Painter copy = *this;
    draft.clear();
    copy.out_ = &draft;
    copy.bytes_ = 0;
    return copy;
  }
  // Takes over what a draft wrote and where it left the terminal.
  void Adopt(const Painter& draft) {
    std::string* const out = out_;
    const std::size_t bytes = bytes_ + draft.bytes_;
    if (out != nullptr) out->append(*draft.out_);
    *this = draft;
    out_ = out;
    bytes_ = bytes;
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
    const std::string& glyph = tables_->glyphs[runLook_ & 0xFF];
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
  // an absolute position (CUP), a move along the row (AlongRow), or down a
  // number of rows to the first column (CNL) or in the same column (CUD),
  // each followed by a move along the row.
  void MoveTo(int row, int column) {
    Flush();
    if (row_ == row && column_ == column) return;
    enum class Way { kPosition, kAlongRow, kNextLine, kDown };
    Way way = Way::kPosition;
    int best = 3 + (row > 0 ? Digits(row + 1) : 0) + (column > 0 ? 1 + Digits(column + 1) : 0);
    const auto consider = [&](Way candidate, int cost) {
      if (cost < best) {
        best = cost;
        way = candidate;
      }
    };
    const Step fromCursor = AlongRow(column_, column), fromStart = AlongRow(0, column);
    if (row_ == row) {
      consider(Way::kAlongRow, fromCursor.cost);
    } else if (row_ >= 0 && row > row_) {
      consider(Way::kNextLine, CountCost(row - row_) + fromStart.cost);
      if (column_ < columns_) consider(Way::kDown, CountCost(row - row_) + fromCursor.cost);
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
      case Way::kAlongRow:
        Take(fromCursor, column_, column);
        break;
      case Way::kNextLine:
        Counted(row - row_, "E");
        Take(fromStart, 0, column);
        break;
      case Way::kDown:
        Counted(row - row_, "B");
        Take(fromCursor, column_, column);
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
    if (setInk) Text(tables_->colours[trueColour_][0][ink]);
    if (setInk && setPaper) Text(";");
    if (setPaper) Text(tables_->colours[trueColour_][1][paper]);
    Text("m");
    if (setInk) ink_ = ink;
    if (setPaper) paper_ = paper;
  }

  // The ways along the cursor's row: an absolute column (CHA), a carriage
  // return (CR) and a step forward (CUF) from the first column, a step
  // forward or back (CUB) from the cursor, or backspaces (BS). From the
  // edge (`from` == columns_) only the absolute ways are sure.
  enum class Along { kStay, kColumn, kReturn, kForward, kBack, kBackspaces };
  struct Step {
    Along way;
    int cost;
  };
  Step AlongRow(int from, int to) const {
    if (from == to) return {Along::kStay, 0};
    Step best{Along::kColumn, ColumnCost(to)};
    const auto consider = [&](Along way, int cost) {
      if (cost < best.cost) best = {way, cost};
    };
    consider(Along::kReturn, 1 + (to > 0 ? CountCost(to) : 0));
    if (from < columns_ && to > from) consider(Along::kForward, CountCost(to - from));
    if (from < columns_ && to < from) {
      consider(Along::kBack, CountCost(from - to));
      consider(Along::kBackspaces, from - to);
    }
    return best;
  }
  void Take(Step step, int from, int to) {
    switch (step.way) {
      case Along::kStay:
        break;
      case Along::kColumn:
        Text("\x1b[");
        if (to > 0) Number(to + 1);
        Text("G");
        break;
      case Along::kReturn:
        Text("\r");
        if (to > 0) Counted(to, "C");
        break;
      case Along::kForward:
        Counted(to - from, "C");
        break;
      case Along::kBack:
        Counted(from - to, "D");
        break;
      case Along::kBackspaces:
        for (int k = from; k > to; --k) Text("\b");
        break;
    }
  }

  // The bytes of a count sequence, and the sequence: a count of 1 is left
  // out, as is column 1.
  static int CountCost(int n) { return 3 + (n > 1 ? Digits(n) : 0); }
  static int ColumnCost(int column) { return 3 + (column > 0 ? Digits(column + 1) : 0); }
  void Counted(int n, const char* final) {
    Text("\x1b[");
    if (n > 1) Number(n);
    Text(final);
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
  const Tables* tables_;
  bool trueColour_;
  Repeat repeat_;
  int columns_;
  std::size_t bytes_ = 0;
  int row_, column_;  // the cursor, -1 when unknown
  int ink_, paper_;   // the terminal's colours, -1 when unknown
  std::uint16_t runLook_ = 0;
  int run_ = 0;  // cells of runLook_ held back, from the cursor on
};


// The colours that the glyph of a look shows: no ink for a blank, no paper
// for a full block (-1).
int ShownInk(std::uint16_t look) { return (look & 0xFF) == kBlank ? -1 : look >> 8 & 15; }
int ShownPaper(std::uint16_t look) { return (look & 0xFF) == kFullBlock ? -1 : look >> 12; }

// One row of the frame as the encoder plans it: the looks of its cells and
// where it sits on the terminal.
struct Row {
  std::array<std::uint16_t, kGridColumns> looks;
  int terminalRow;
  int columnOffset;
};
using CellSet = std::array<bool, kGridColumns>;

// Writes the cells of `wanted` in [first, last] (first and last among them)
// left to right. Between two of them the cursor either moves or writes the
// cells between them again (their looks are what the terminal shows or is
// about to), whichever costs fewer bytes up to and including the next
// wanted cell.
void PaintCells(Painter& pen, const Row& row, const CellSet& wanted, int first, int last) {
  pen.MoveTo(row.terminalRow, first + row.columnOffset);
  for (int column = first; column <= last; ++column) {
    if (!wanted[column]) {
      int next = column + 1;
      while (!wanted[next]) ++next;
      Painter move = pen.Counter();
      move.MoveTo(row.terminalRow, next + row.columnOffset);
      move.Put(row.looks[next]);
      move.Flush();
      Painter rewrite = pen.Counter();
      for (int k = column; k <= next && rewrite.bytes() <= move.bytes(); ++k) rewrite.Put(row.looks[k]);
      rewrite.Flush();
      if (rewrite.bytes() < move.bytes()) {
        for (; column < next; ++column) pen.Put(row.looks[column]);
      } else {
        pen.MoveTo(row.terminalRow, next + row.columnOffset);
        column = next;
      }
    }
    pen.Put(row.looks[column]);
  }
}

// Writes the changed cells of a row one colour at a time: where colours
// alternate, a colour change (SGR) costs more than a cursor step over the
// cells of the other colours. The cells are grouped by the colours that
// they show; a blank joins a group with its paper, a full block one with
// its ink. The group that the terminal's colours show goes first, the
// others in the order in which they appear. Returns false when all cells
// fit one group (that is the left-to-right order; nothing is written), or
// once more than `budget` bytes are written (the rest is not).
bool PaintByColour(Painter& pen, const Row& row, const CellSet& changed, int first, int last, std::size_t budget) {
  struct Group {
    int ink, paper;    // -1: not shown by any cell so far
    int cells = 0;     // how many, listed in `members` from `start` on
    int start = 0;
  };
  std::array<Group, kGridColumns> groups;
  std::array<int, kGridColumns> groupOf;
  int count = 0;
  // 1. The cells that show both colours, by their colours, then the others
  //    in the first group that they fit.
  std::array<std::int8_t, 256> exact;
  exact.fill(-1);
  for (int column = first; column <= last; ++column) {
    const int ink = ShownInk(row.looks[column]), paper = ShownPaper(row.looks[column]);
    if (!changed[column] || ink < 0 || paper < 0) continue;
    std::int8_t& g = exact[ink << 4 | paper];
    if (g < 0) {
      g = static_cast<std::int8_t>(count);
      groups[count++] = {ink, paper};
    }
    groupOf[column] = g;
    ++groups[g].cells;
  }
  for (int column = first; column <= last; ++column) {
    const int ink = ShownInk(row.looks[column]), paper = ShownPaper(row.looks[column]);
    if (!changed[column] || (ink >= 0 && paper >= 0)) continue;
    int g = 0;
    while (g < count && !((ink < 0 || groups[g].ink < 0 || groups[g].ink == ink) &&
                          (paper < 0 || groups[g].paper < 0 || groups[g].paper == paper)))
      ++g;
    if (g == count) groups[count++] = {ink, paper};
    if (groups[g].ink < 0) groups[g].ink = ink;
    if (groups[g].paper < 0) groups[g].paper = paper;
    groupOf[column] = g;
    ++groups[g].cells;
  }
  if (count < 2) return false;

  // 2. The members of each group, left to right.
  std::array<std::int8_t, kGridColumns> members;
  for (int g = 0, start = 0; g < count; ++g) {
    groups[g].start = start;
    start += groups[g].cells;
    groups[g].cells = 0;
  }
  for (int column = first; column <= last; ++column) {
    if (!changed[column]) continue;
    Group& group = groups[groupOf[column]];
    members[group.start + group.cells++] = static_cast<std::int8_t>(column);
  }

  // 3. A pass for each group, the one the terminal shows first.
  std::array<int, kGridColumns> order;
  for (int g = 0; g < count; ++g) order[g] = g;
  std::stable_partition(order.begin(), order.begin() + count,
                        [&](int g) { return pen.HasColours(groups[g].ink, groups[g].paper); });
  CellSet wanted{};
  for (int k = 0; k < count; ++k) {
    if (pen.bytes() > budget) return false;
    const Group& group = groups[order[k]];
    const auto begin = members.begin() + group.start, end = begin + group.cells;
    for (auto it = begin; it != end; ++it) wanted[*it] = true;
    PaintCells(pen, row, wanted, *begin, *(end - 1));
    for (auto it = begin; it != end; ++it) wanted[*it] = false;
  }
  return true;
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
    state.cursorRow = state.cursorColumn = -1;
  }

  // The grid rows and columns that fall inside the terminal.
  const Placement place = PlacePicture(state.size);
  const int firstRow = std::max(0, -place.rowOffset);
  const int endRow = std::min(kGridRows, state.size.rows - place.rowOffset);
  const int firstColumn = std::max(0, -place.columnOffset);
  const int endColumn = std::min(kGridColumns, state.size.columns - place.columnOffset);

  Painter painter(&out, options, state);
  Row row;
  CellSet changed;
  std::string drafts[2];
  for (int gridRow = firstRow; gridRow < endRow; ++gridRow) {
    // 1. The looks of the row, and the cells that the terminal lacks, from
    //    the first to the last.
    const int rowStart = gridRow * kGridColumns;
    int first = endColumn, last = -1;
    for (int column = firstColumn; column < endColumn; ++column) {
      row.looks[column] = CellLook(grid[rowStart + column]);
      changed[column] = redraw || row.looks[column] != state.shown[rowStart + column];
      if (changed[column]) {
        first = std::min(first, column);
        last = column;
        state.shown[rowStart + column] = row.looks[column];
      }
    }
    if (last < 0) continue;
    row.terminalRow = gridRow + place.rowOffset;
    row.columnOffset = place.columnOffset;

    // 2. Left to right, or one colour at a time, whichever is shorter.
    //    A redraw goes left to right.
    if (redraw) {
      PaintCells(painter, row, changed, first, last);
      continue;
    }
    Painter leftToRight = painter.Draft(drafts[0]);
    PaintCells(leftToRight, row, changed, first, last);
    leftToRight.Flush();
    Painter byColour = painter.Draft(drafts[1]);
    if (PaintByColour(byColour, row, changed, first, last, leftToRight.bytes())) {
      byColour.Flush();
      if (byColour.bytes() < leftToRight.bytes()) {
        painter.Adopt(byColour);
        continue;
      }
    }
    painter.Adopt(leftToRight);
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
