#include "terminal/screen.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <string_view>

#include "kalt/ansi.h"
#include "kalt/cp437.h"
#include "painter.h"

namespace term {

namespace paint {

namespace {

constexpr int kBlank = 32;
constexpr int kFullBlock = 219;

// One SGR that sets the ink and the paper (PC colours, -1 leaves one as it
// is, not both), from the table of them all.
template <typename Sink>
void WriteColours(Sink& bytes, const Colours& colours, int ink, int paper) {
  bytes.Text(colours[ink + 1][paper + 1]);
}

// Short byte strings looked up per cell: the UTF-8 form of every code
// page 437 glyph, and the SGR of every change of colours, in 16 colours and
// in true colour.
struct Tables {
  std::array<std::string, 256> glyphs;
  Colours colours[2];                  // [trueColour]
  std::size_t longestColours[2] = {};  // [trueColour]: the longest SGR

  Tables();
};

Tables::Tables() {
  for (int code = 0; code < 256; ++code) kalt::AppendCp437(glyphs[code], static_cast<std::uint8_t>(code));
  for (int trueColour = 0; trueColour < 2; ++trueColour) {
    for (int ink = -1; ink < 16; ++ink) {
      for (int paper = -1; paper < 16; ++paper) {
        if (ink < 0 && paper < 0) continue;
        // CSI, the parameters of the ink and of the paper, m.
        std::string& sgr = colours[trueColour][ink + 1][paper + 1];
        sgr = "\x1b[";
        if (ink >= 0) kalt::AppendSgrColour(sgr, ink, false, trueColour);
        if (ink >= 0 && paper >= 0) sgr += ';';
        if (paper >= 0) kalt::AppendSgrColour(sgr, paper, true, trueColour);
        sgr += 'm';
        Count count;
        WriteColours(count, colours[trueColour], ink, paper);
        longestColours[trueColour] = std::max(longestColours[trueColour], count.size());
      }
    }
  }
}

const Tables& Lookup() {
  static const Tables tables;
  return tables;
}

// Whether REP may repeat the glyph of code page 437 code `code`.
bool Repeatable(Repeat repeat, int code) {
  return repeat == Repeat::kAnyGlyph || (repeat == Repeat::kAscii && code >= 0x20 && code < 0x7F);
}

}  // namespace

Painter::Painter(std::string* out, const EncodeOptions& options, const ScreenState& state)
    : bytes_(out),
      glyphs_(&Lookup().glyphs),
      colours_(&Lookup().colours[options.trueColour]),
      longestColours_(Lookup().longestColours[options.trueColour]),
      repeat_(options.repeat),
      columns_(state.size.columns),
      row_(state.cursorRow),
      column_(state.cursorColumn),
      ink_(state.ink),
      paper_(state.paper) {}

std::size_t Painter::BytesSent() const {
  if (run_ == 0) return bytes();
  bool repeat;
  return bytes() + RunBytes(repeat);
}

bool Painter::SameState(const Painter& other) const {
  return row_ == other.row_ && column_ == other.column_ && ink_ == other.ink_ && paper_ == other.paper_ &&
         run_ == other.run_ && (run_ == 0 || runLook_.glyph == other.runLook_.glyph);
}

bool Painter::Dominates(const Painter& other, std::size_t sent) const {
  if (row_ != other.row_ || Column() != other.Column() || sent >= other.bytes()) return false;
  const int ink = other.ink_ >= 0 && other.ink_ != ink_ ? other.ink_ : -1;
  const int paper = other.paper_ >= 0 && other.paper_ != paper_ ? other.paper_ : -1;
  Count repair;
  if (ink >= 0 || paper >= 0) WriteColours(repair, *colours_, ink, paper);
  return sent + repair.size() < other.bytes();
}

std::size_t Painter::LongestColours() const { return longestColours_; }

int Painter::Column() const { return run_ == 0 ? column_ : std::min(column_ + run_, columns_); }

Painter Painter::Counter() const {
  Painter counter = *this;
  counter.bytes_ = Bytes();
  return counter;
}

void Painter::StartRun(Look look) {
  Flush();
  if (!HasColours(look.ink, look.paper)) SetColours(look);
  runLook_ = look;
  run_ = 1;
  // A glyph that REP may not repeat is sent at once: held back, it would
  // go out the same way.
  if (!Repeatable(repeat_, look.glyph)) Flush();
}

void Painter::SendRun() {
  bool repeat = false;
  if (bytes_.Counts()) {
    bytes_.Skip(RunBytes(repeat));
  } else if (run_ == 1) {
    bytes_.Text((*glyphs_)[runLook_.glyph]);  // one glyph: nothing to choose
  } else {
    RunBytes(repeat);
    WriteRun(bytes_, repeat);
  }
  // After the terminal's last column the cursor is at the edge (it stays
  // put or waits to wrap): columns_ stands for that place, which only
  // absolute column moves leave.
  column_ = std::min(column_ + run_, columns_);
  run_ = 0;
}

std::size_t Painter::RunBytes(bool& repeat) const {
  Count glyphs;
  WriteRun(glyphs, false);
  repeat = false;
  if (run_ < 2 || !Repeatable(repeat_, runLook_.glyph)) return glyphs.size();  // nothing to choose
  Count rep;
  WriteRun(rep, true);
  repeat = rep.size() < glyphs.size();
  return repeat ? rep.size() : glyphs.size();
}

template <typename Sink>
void Painter::WriteRun(Sink& bytes, bool repeat) const {
  const std::string& glyph = (*glyphs_)[runLook_.glyph];
  bytes.Text(glyph);
  if (repeat) {
    bytes.Counted(run_ - 1, 'b');
  } else {
    bytes.Text(glyph, run_ - 1);
  }
}

void Painter::MoveTo(int row, int column) {
  Flush();
  if (row_ == row && column_ == column) return;
  MoveMemo::Entry found;
  MoveMemo::Entry& entry = memo_ != nullptr ? memo_->At(row_, column_, row, column) : found;
  if (!entry.Holds(row_, column_, row, column)) {
    // (Each move priced where it is listed, so that its writer's choices
    // are known when it is compiled.)
    Move best{};
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    VisitMoves(row, column, [&](Move move) __attribute__((always_inline)) {
      Count count;
      WriteMove(count, move, row, column);
      if (count.size() < fewest) {
        fewest = count.size();
        best = move;
      }
    });
    entry = {row_, column_, row, column, best, fewest};
  }
  if (bytes_.Counts()) {
    bytes_.Skip(entry.bytes);
  } else {
    WriteMove(bytes_, entry.move, row, column);
  }
  row_ = row;
  column_ = column;
}

void Painter::Leave(ScreenState& state) {
  Flush();
  state.cursorRow = row_;
  state.cursorColumn = column_;
  state.ink = ink_;
  state.paper = paper_;
}

template <typename Visit>
[[gnu::always_inline]] inline void Painter::VisitMoves(int row, int column, const Visit& visit) const {
  // From `from` of the row to `column`: from the edge only the absolute ways.
  const auto along = [&](Vertical vertical, int from) __attribute__((always_inline)) {
    if (from == column) return visit(Move{vertical, Along::kStay});
    visit(Move{vertical, Along::kColumn});
    visit(Move{vertical, Along::kReturn});
    if (from < columns_ && column > from) visit(Move{vertical, Along::kForward});
    if (from < columns_ && column < from) {
      visit(Move{vertical, Along::kBack});
      visit(Move{vertical, Along::kBackspaces});
    }
  };
  visit(Move{Vertical::kPosition, Along::kStay});
  if (row_ == row) {
    along(Vertical::kNone, column_);
  } else if (row_ >= 0 && row > row_) {
    along(Vertical::kNextLine, 0);
    if (column_ < columns_) along(Vertical::kDown, column_);
  }
}

Painter::Moves Painter::MovesTo(int row, int column) const {
  Moves moves;
  VisitMoves(row, column, [&](Move move) { moves.list[moves.count++] = move; });
  return moves;
}

// (Inlined: a move is priced many times over, by counting.)
template <typename Sink>
[[gnu::always_inline]] inline void Painter::WriteMove(Sink& bytes, Move move, int row, int column) const {
  switch (move.vertical) {
    case Vertical::kPosition:
      bytes.Text("\x1b[");
      if (row > 0) bytes.Number(row + 1);
      if (column > 0) {
        bytes.Text(";");
        bytes.Number(column + 1);
      }
      bytes.Text("H");
      return;
    case Vertical::kNone:
      return WriteAlong(bytes, move.along, column_, column);
    case Vertical::kNextLine:
      bytes.Counted(row - row_, 'E');
      return WriteAlong(bytes, move.along, 0, column);
    case Vertical::kDown:
      bytes.Counted(row - row_, 'B');
      return WriteAlong(bytes, move.along, column_, column);
  }
}

template <typename Sink>
[[gnu::always_inline]] inline void Painter::WriteAlong(Sink& bytes, Along along, int from, int to) const {
  switch (along) {
    case Along::kStay:
      return;
    case Along::kColumn:
      bytes.Text("\x1b[");
      if (to > 0) bytes.Number(to + 1);
      bytes.Text("G");
      return;
    case Along::kReturn:
      bytes.Text("\r");
      if (to > 0) bytes.Counted(to, 'C');
      return;
    case Along::kForward:
      return bytes.Counted(to - from, 'C');
    case Along::kBack:
      return bytes.Counted(from - to, 'D');
    case Along::kBackspaces:
      return bytes.Text("\b", from - to);
  }
}

template void Painter::WriteMove(Bytes& bytes, Move move, int row, int column) const;

// One SGR with the colours that the glyph shows and the terminal lacks.
// A reset (SGR 0) never makes it shorter: the terminal's default colours
// are not PC colours, so both would have to follow it.
void Painter::SetColours(Look look) {
  const int ink = look.ink >= 0 && look.ink != ink_ ? look.ink : -1;
  const int paper = look.paper >= 0 && look.paper != paper_ ? look.paper : -1;
  if (ink < 0 && paper < 0) return;
  WriteColours(bytes_, *colours_, ink, paper);
  if (ink >= 0) ink_ = ink;
  if (paper >= 0) paper_ = paper;
}

namespace {

// Calls visit(previous, column) for each cell of the passes in order;
// previous is the cell before it in its pass, -1 for a pass's first.
template <typename Visit>
void Walk(const Passes& passes, const Visit& visit) {
  std::size_t k = 0;
  for (const int end : passes.ends) {
    for (int previous = -1; k < static_cast<std::size_t>(end); ++k) {
      visit(previous, passes.columns[k]);
      previous = passes.columns[k];
    }
  }
}

bool IsGap(int previous, int column) { return previous >= 0 && column > previous + 1; }

// Writes cell `column` after cell `previous` of its pass: crossing a gap
// by writing the cells in it again (rewrite) or by a move, as the first
// cell of a pass by a move. Stops, returning false, once the bytes pass
// `limit` in a gap.
bool Step(Painter& pen, const Row& row, int previous, int column, bool rewrite,
          std::size_t limit = std::numeric_limits<std::size_t>::max()) {
  if (previous >= 0 && (rewrite || column == previous + 1)) {
    for (int k = previous + 1; k < column; ++k) {
      pen.Put(row.looks[k]);
      if (pen.bytes() > limit) return false;
    }
  } else {
    pen.MoveTo(row.terminalRow, column + row.columnOffset);
  }
  pen.Put(row.looks[column]);
  return true;
}

}  // namespace

namespace {

// The columns from first to last where changed[column], in order, into
// `columns`; returns their count. (Each column is written and kept or
// overwritten, so that the cells' pattern costs no branches.)
int ChangedColumns(const std::vector<char>& changed, int first, int last, int* columns) {
  int count = 0;
  for (int column = first; column <= last; ++column) {
    columns[count] = column;
    count += changed[column] != 0;
  }
  return count;
}

}  // namespace

void LeftToRight(const std::vector<char>& changed, int first, int last, Passes& passes) {
  passes.columns.resize(static_cast<std::size_t>(std::max(last - first + 1, 0)));
  passes.columns.resize(static_cast<std::size_t>(ChangedColumns(changed, first, last, passes.columns.data())));
  passes.ends.assign(1, static_cast<int>(passes.columns.size()));
}

bool ByColour(const Row& row, const std::vector<char>& changed, int first, int last, const Painter& pen,
              Passes& passes) {
  struct Group {
    int ink, paper;  // -1: not shown by any cell so far
    int cells;
  };
  // Every pair of colours, and at most one group begun by a blank of each
  // paper and one begun by a full block of each ink.
  constexpr int kMostGroups = 16 * 16 + 16 + 16;
  std::array<Group, kMostGroups> groups;
  int groupCount = 0;
  // The changed cells' columns (cells[k]), and each one's group (groupOf[k]).
  const int width = std::max(last - first + 1, 0);
  passes.work.resize(2 * static_cast<std::size_t>(width));
  const int* const cells = passes.work.data();
  int* const groupOf = passes.work.data() + width;
  const int count = ChangedColumns(changed, first, last, passes.work.data());
  const auto join = [&](int k, int group) {
    groupOf[k] = group;
    ++groups[group].cells;
  };
  // 1. The cells that show both colours, by their colours, then the others
  //    in the first group that they fit.
  std::array<int, 256> exact;
  exact.fill(-1);
  for (int k = 0; k < count; ++k) {
    const Look look = row.looks[cells[k]];
    if (look.ink < 0 || look.paper < 0) continue;
    int& group = exact[look.ink << 4 | look.paper];
    if (group < 0) {
      group = groupCount++;
      groups[group] = {look.ink, look.paper, 0};
    }
    join(k, group);
  }
  for (int k = 0; k < count; ++k) {
    const Look look = row.looks[cells[k]];
    if (look.ink >= 0 && look.paper >= 0) continue;
    int g = 0;
    while (g < groupCount && !((look.ink < 0 || groups[g].ink < 0 || groups[g].ink == look.ink) &&
                               (look.paper < 0 || groups[g].paper < 0 || groups[g].paper == look.paper)))
      ++g;
    if (g == groupCount) groups[groupCount++] = {look.ink, look.paper, 0};
    if (groups[g].ink < 0) groups[g].ink = look.ink;
    if (groups[g].paper < 0) groups[g].paper = look.paper;
    join(k, g);
  }
  if (groupCount < 2) return false;

  // 2. A pass for each group, the ones that the terminal's colours show
  //    first, each pass left to right.
  std::array<int, kMostGroups> next;  // where the group's next member goes
  passes.ends.clear();
  int end = 0;
  for (const bool shown : {true, false}) {
    for (int g = 0; g < groupCount; ++g) {
      if (pen.HasColours(groups[g].ink, groups[g].paper) != shown) continue;
      next[g] = end;
      end += groups[g].cells;
      passes.ends.push_back(end);
    }
  }
  passes.columns.resize(static_cast<std::size_t>(end));
  for (int k = 0; k < count; ++k) passes.columns[next[groupOf[k]]++] = cells[k];
  return true;
}

void PaintPasses(Painter& pen, const Row& row, const Passes& passes, const std::vector<bool>& rewrites) {
  std::size_t gap = 0;
  Walk(passes, [&](int previous, int column) {
    bool rewrite = false;
    if (IsGap(previous, column)) rewrite = gap < rewrites.size() && rewrites[gap++];
    Step(pen, row, previous, column, rewrite);
  });
}

std::size_t Planner::Cheapest(const Painter& start, const Row& row, const Passes& passes, std::size_t budget,
                              std::vector<bool>& rewrites) {
  // 1. Every branch takes each cell in turn; at a gap each branch splits
  //    into a move and a rewrite, the one cheaper up to the cell first.
  //    Branches that reach the budget end there.
  branches_.assign(1, {start.Counter(), -1, 0});
  nodes_.clear();
  Walk(passes, [&](int previous, int column) {
    if (!IsGap(previous, column)) {
      for (Branch& branch : branches_) Step(branch.pen, row, previous, column, false);
      std::erase_if(branches_, [&](const Branch& branch) { return branch.pen.bytes() >= budget; });
      return;
    }
    next_.clear();
    for (Branch& branch : branches_) {
      Painter moved = branch.pen, rewritten = std::move(branch.pen);
      Step(moved, row, previous, column, false);
      // A rewrite whose bytes pass those of the move, its held run sent,
      // and the longest colour change is sure to cost more.
      const std::size_t moveSent = moved.BytesSent();
      if (!Step(rewritten, row, previous, column, true, moveSent + moved.LongestColours())) {
        Add(std::move(moved), moveSent, branch.node, false, budget);
        continue;
      }
      const std::size_t rewriteSent = rewritten.BytesSent();
      if (rewriteSent < moveSent) {
        Add(std::move(rewritten), rewriteSent, branch.node, true, budget);
        Add(std::move(moved), moveSent, branch.node, false, budget);
      } else {
        Add(std::move(moved), moveSent, branch.node, false, budget);
        Add(std::move(rewritten), rewriteSent, branch.node, true, budget);
      }
    }
    branches_.swap(next_);
  });

  // 2. The cheapest branch, the first on a tie, and the choices that led
  //    to it.
  std::size_t fewest = budget;
  int best = -1;
  for (std::size_t b = 0; b < branches_.size(); ++b) {
    const std::size_t bytes = branches_[b].pen.BytesSent();
    if (bytes < fewest) {
      fewest = bytes;
      best = static_cast<int>(b);
    }
  }
  if (best < 0) return budget;
  rewrites.clear();
  for (int node = branches_[best].node; node >= 0; node = nodes_[node].parent) rewrites.push_back(nodes_[node].rewrite);
  std::reverse(rewrites.begin(), rewrites.end());
  return fewest;
}

// Adds a branch after those of this gap so far, which stay in the order of
// their choices, the preferred ones first. A branch that leaves the
// terminal as an earlier one does takes its place only if it is cheaper
// (then it moves to the end); one that costs the budget or more is left,
// as is one that another dominates.
void Planner::Add(Painter&& pen, std::size_t sent, int parent, bool rewrite, std::size_t budget) {
  if (pen.bytes() >= budget) return;
  for (auto it = next_.begin(); it != next_.end(); ++it) {
    if (!it->pen.SameState(pen)) continue;
    if (pen.bytes() >= it->pen.bytes()) return;
    next_.erase(it);
    break;
  }
  for (const Branch& branch : next_)
    if (branch.pen.Dominates(pen, branch.sent)) return;
  std::erase_if(next_, [&](const Branch& branch) { return pen.Dominates(branch.pen, sent); });
  if (next_.size() == kMaxBranches) {
    // The costliest goes, the latest on a tie.
    auto costliest = next_.end();
    std::size_t most = sent;
    for (auto it = next_.begin(); it != next_.end(); ++it) {
      if (it->sent > most) {
        most = it->sent;
        costliest = it;
      }
    }
    if (costliest == next_.end()) return;
    next_.erase(costliest);
  }
  nodes_.push_back({parent, rewrite});
  next_.push_back({std::move(pen), static_cast<int>(nodes_.size()) - 1, sent});
}

}  // namespace paint

Look CellLook(Cell cell) {
  const int glyph = cell.ch & 0xFF, ink = cell.attr & 15, paper = cell.attr >> 4 & 15;
  const auto look = [](int g, int i, int p) {
    return Look{static_cast<std::uint8_t>(g), static_cast<std::int8_t>(i), static_cast<std::int8_t>(p)};
  };
  if (glyph == 0 || glyph == paint::kBlank || glyph == 255 || ink == paper) return look(paint::kBlank, -1, paper);
  if (glyph == paint::kFullBlock) return look(glyph, ink, -1);
  return look(glyph, ink, paper);
}

Placement PlacePicture(ScreenSize terminal, ScreenSize picture) {
  return {(terminal.columns - picture.columns) / 2, (terminal.rows - picture.rows) / 2};
}

void EncodeFrame(FrameView frame, const EncodeOptions& options, ScreenState& state, std::string& out) {
  if (frame.columns < 0 || frame.rows < 0 ||
      static_cast<std::size_t>(frame.columns) * static_cast<std::size_t>(frame.rows) > frame.cells.size())
    throw std::invalid_argument("EncodeFrame: the frame holds fewer cells than its columns and rows");
  const std::size_t frameStart = out.size();
  out += "\x1b[?2026h";
  const std::size_t bodyStart = out.size();
  const std::size_t cellCount = static_cast<std::size_t>(frame.columns) * static_cast<std::size_t>(frame.rows);
  if (state.picture.columns != frame.columns || state.picture.rows != frame.rows || state.shown.size() != cellCount) {
    state.valid = false;
    state.picture = {frame.columns, frame.rows};
    state.shown.resize(cellCount);
  }
  const bool redraw = !state.valid || options.everyCell;
  if (!state.valid) {
    out += "\x1b[0m\x1b[2J";
    state.ink = state.paper = -1;
    state.cursorRow = state.cursorColumn = -1;
  }

  // The picture's rows and columns that fall inside the terminal.
  const Placement place = PlacePicture(state.size, state.picture);
  const int firstRow = std::max(0, -place.rowOffset);
  const int endRow = std::min(frame.rows, state.size.rows - place.rowOffset);
  const int firstColumn = std::max(0, -place.columnOffset);
  const int endColumn = std::min(frame.columns, state.size.columns - place.columnOffset);

  paint::Painter painter(&out, options, state);
  paint::MoveMemo memo;
  painter.Remember(&memo);
  std::vector<Look> looks(static_cast<std::size_t>(std::max(frame.columns, 0)));
  std::vector<char> changed(looks.size());
  paint::Passes passes[2];
  std::vector<bool> rewrites[2];
  paint::Planner planner;
  for (int pictureRow = firstRow; pictureRow < endRow; ++pictureRow) {
    // 1. The looks of the row, and the cells that the terminal lacks, from
    //    the first to the last.
    const std::size_t rowStart = static_cast<std::size_t>(pictureRow) * static_cast<std::size_t>(frame.columns);
    for (int column = firstColumn; column < endColumn; ++column) {
      // (Without branches on the cells' pattern: an unchanged look is
      // stored again.)
      const Look look = CellLook(frame.cells[rowStart + column]);
      const bool differs = redraw | (look != state.shown[rowStart + column]);
      looks[column] = look;
      changed[column] = differs;
      state.shown[rowStart + column] = look;
    }
    int first = firstColumn, last = endColumn - 1;
    while (first <= last && !changed[first]) ++first;
    while (last >= first && !changed[last]) --last;
    if (first > last) continue;
    const paint::Row row{looks.data(), pictureRow + place.rowOffset, place.columnOffset};

    // 2. Left to right, or one colour at a time, whichever costs fewer
    //    bytes, each with its cheapest way across the gaps. A redraw goes
    //    left to right, with no gaps.
    paint::LeftToRight(changed, first, last, passes[0]);
    if (redraw) {
      paint::PaintPasses(painter, row, passes[0], {});
      continue;
    }
    // One colour at a time is planned first: it is often the shorter, and
    // left to right, which wins a tie, then stops at its cost.
    constexpr std::size_t kNoBudget = std::numeric_limits<std::size_t>::max();
    const std::size_t byColour = paint::ByColour(row, changed, first, last, painter, passes[1])
                                     ? planner.Cheapest(painter, row, passes[1], kNoBudget, rewrites[1])
                                     : kNoBudget;
    const std::size_t leftToRight =
        planner.Cheapest(painter, row, passes[0], byColour == kNoBudget ? kNoBudget : byColour + 1, rewrites[0]);
    const int chosen = leftToRight > byColour ? 1 : 0;
    paint::PaintPasses(painter, row, passes[chosen], rewrites[chosen]);
    painter.Flush();
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
