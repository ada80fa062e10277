// The frame encoder's parts (see terminal/screen.h): a painter that writes
// cells into a frame's bytes or only counts them, and the plans of a row
// that the encoder prices with it. Inside the terminal library and its
// tests only.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "terminal/screen.h"

namespace term::paint {

// The SGR of every change of colours, [ink + 1][paper + 1] (PC colours, -1
// leaves one as it is; not both).
using Colours = std::string[17][17];

// The byte sequences that a painter writes, over a sink that has
// Text(text, times) (Bytes or Count).
template <typename Sink>
class Sequences {
 public:
  // n in decimal, n >= 0 (a sink may count its digits its own way).
  void Number(int n) {
    char digits[12];
    const char* const end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    Self().Text(std::string_view(digits, static_cast<std::size_t>(end - digits)));
  }
  // A control sequence with a count: CSI n `final`, a count of 1 left out.
  void Counted(int n, char final) {
    Self().Text("\x1b[");
    if (n > 1) Self().Number(n);
    Self().Text(std::string_view(&final, 1));
  }

 protected:
  static std::size_t CountDigits(int n) {
    char digits[12];
    return static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, n).ptr - digits);
  }

 private:
  Sink& Self() { return static_cast<Sink&>(*this); }
};

// Where a painter's bytes go: appended to a string, or only counted.
class Bytes : public Sequences<Bytes> {
 public:
  explicit Bytes(std::string* out = nullptr) : out_(out) {}
  std::size_t size() const { return size_; }
  // True when the bytes are only counted.
  bool Counts() const { return out_ == nullptr; }
  // Counts `n` bytes that were priced before; only where Counts().
  void Skip(std::size_t n) { size_ += n; }
  void Text(std::string_view text, int times = 1) {
    if (times <= 0) return;
    size_ += text.size() * static_cast<std::size_t>(times);
    if (out_ == nullptr) return;
    if (text.size() == 1) {
      out_->append(static_cast<std::size_t>(times), text[0]);
    } else {
      for (int k = 0; k < times; ++k) out_->append(text);
    }
  }

 private:
  std::string* out_;
  std::size_t size_ = 0;
};

// Bytes only counted: what a choice would cost, priced by the same writing
// code as the bytes that it sends.
class Count : public Sequences<Count> {
 public:
  std::size_t size() const { return size_; }
  // n in decimal, n >= 0: only its digits counted.
  void Number(int n) {
    size_ += n < 10 ? 1 : n < 100 ? 2 : n < 1000 ? 3 : CountDigits(n);
  }
  void Text(std::string_view text, int times = 1) {
    if (times > 0) size_ += text.size() * static_cast<std::size_t>(times);
  }

 private:
  std::size_t size_ = 0;
};

// A cursor move: to the row (CUP to the whole position, CNL to the row's
// first column, CUD in the cursor's column, or none), then along the row
// (CHA to the column, a carriage return and CUF, CUF or CUB from the cursor,
// backspaces).
enum class Vertical : std::uint8_t { kNone, kPosition, kNextLine, kDown };
enum class Along : std::uint8_t { kStay, kColumn, kReturn, kForward, kBack, kBackspaces };
struct Move {
  Vertical vertical;
  Along along;
};

// The cheapest moves that painters found lately, so that the painters of
// one frame price a move once: the planner's branches and the painter that
// writes the plan move alike. A move depends only on the cursor, the target
// and the terminal's width, which stays one per memo.
class MoveMemo {
 public:
  struct Entry {
    int fromRow = -2, fromColumn = -2, toRow = -2, toColumn = -2;
    Move move{};
    std::size_t bytes = 0;  // what `move` writes
    bool Holds(int row, int column, int targetRow, int targetColumn) const {
      return fromColumn == column && toColumn == targetColumn && fromRow == row && toRow == targetRow;
    }
  };
  // The place for the move from (row, column) to (targetRow,
  // targetColumn): it holds that move when Holds() says so.
  Entry& At(int row, int column, int targetRow, int targetColumn) {
    const unsigned key = static_cast<unsigned>(targetColumn) * 5u + static_cast<unsigned>(column) * 3u +
                         static_cast<unsigned>(targetRow) * 7u + static_cast<unsigned>(row);
    return entries_[key % kEntries];
  }

 private:
  static constexpr unsigned kEntries = 256;
  std::array<Entry, kEntries> entries_;
};

// Writes cells into one frame's bytes: moves the cursor the cheapest way,
// sets only the colours that a glyph shows and the terminal lacks, and
// holds back a run of cells that look alike to send it as one glyph and a
// REP where that is shorter. Each choice is priced by counting the bytes
// that each way would write. A Counter copy counts without output.
class Painter {
 public:
  Painter(std::string* out, const EncodeOptions& options, const ScreenState& state);

  // Bytes sent (or counted) so far; a held run is not counted until sent.
  std::size_t bytes() const { return bytes_.size(); }
  // The bytes so far with the held run sent.
  std::size_t BytesSent() const;
  // True when the terminal's colours are `ink` and `paper` (-1: either).
  bool HasColours(int ink, int paper) const { return (ink < 0 || ink == ink_) && (paper < 0 || paper == paper_); }
  // True when both leave the terminal alike (the bytes aside).
  bool SameState(const Painter& other) const;
  // True when this painter, at the same cursor as `other`, is sure to end
  // a row in fewer bytes whatever both write next: its bytes with the held
  // run sent (`sent`, its BytesSent()) and an SGR to `other`'s colours
  // (where known) are fewer than `other`'s bytes. (From there it does no
  // worse than `other`: the same SGRs or fewer, and a run of what `other`
  // still holds costs no more.)
  bool Dominates(const Painter& other, std::size_t sent) const;
  // The bytes of the longest colour change: no colour change brings one
  // painter's colours to another's for more.
  std::size_t LongestColours() const;
  // A copy that counts the bytes of what follows, from 0, without output.
  Painter Counter() const;
  // Looks moves up in `memo` (null: none), which it and its copies share;
  // one memo serves the painters of one terminal width.
  void Remember(MoveMemo* memo) { memo_ = memo; }

  // Writes the cell at the cursor (after the held run) with `look`.
  void Put(Look look) {
    // (The terminal shows the colours of the held run's look.)
    if (run_ > 0 && (look == runLook_ || (look.glyph == runLook_.glyph && HasColours(look.ink, look.paper)))) {
      ++run_;
    } else {
      StartRun(look);
    }
  }
  // Sends the held run: its glyph, then the repeats as glyphs or, where the
  // options allow it for the glyph, as one REP, whichever is shorter
  // (glyphs on a tie).
  void Flush() {
    if (run_ > 0) SendRun();
  }
  // Moves the cursor to (row, column) of the terminal by the cheapest of
  // Moves(row, column) (the first on a tie).
  void MoveTo(int row, int column);
  // Where the frame leaves the terminal, for the next frame.
  void Leave(ScreenState& state);

  // The moves that reach (row, column) from the cursor: CUP always, the
  // rest where the cursor's place makes them sure. Only the absolute ways
  // leave the edge after the last column; CNL and CUD go down only.
  struct Moves {
    std::array<Move, 12> list;
    int count = 0;
  };
  Moves MovesTo(int row, int column) const;
  // Writes `move` from the cursor to (row, column), which it must reach.
  template <typename Sink>
  void WriteMove(Sink& bytes, Move move, int row, int column) const;

 private:
  // Calls visit(move) for each of MovesTo(row, column), in its order.
  template <typename Visit>
  void VisitMoves(int row, int column, const Visit& visit) const;
  void StartRun(Look look);
  void SendRun();
  void SetColours(Look look);
  // The cursor's column once the held run is sent.
  int Column() const;
  template <typename Sink>
  void WriteAlong(Sink& bytes, Along along, int from, int to) const;
  // The held run as glyphs, or as its glyph and REP; RunBytes says which
  // is shorter (`repeat`; glyphs on a tie) and returns its bytes.
  template <typename Sink>
  void WriteRun(Sink& bytes, bool repeat) const;
  std::size_t RunBytes(bool& repeat) const;

  Bytes bytes_;
  MoveMemo* memo_ = nullptr;
  const std::array<std::string, 256>* glyphs_;
  const Colours* colours_;  // in the options' colours
  std::size_t longestColours_;
  Repeat repeat_;
  int columns_;
  int row_, column_;  // the cursor, -1 when unknown
  int ink_, paper_;   // the terminal's colours, -1 when unknown
  Look runLook_{};
  int run_ = 0;  // cells of runLook_ held back, from the cursor on
};

// One row of the frame as the encoder plans it: the looks of its cells, by
// picture column, and where it sits on the terminal.
struct Row {
  const Look* looks;
  int terminalRow;
  int columnOffset;
};

// The order in which a row's changed cells are written: one or more
// passes, each left to right. Between two cells of a pass that are not
// neighbours lies a gap, which the plan crosses by a move or by writing
// the cells in it again.
struct Passes {
  std::vector<int> columns;  // the passes one after the other
  std::vector<int> ends;     // each pass's end in `columns`
  std::vector<int> work;     // ByColour's room for its work
};

// One pass over the changed cells (changed[column]) from first to last.
void LeftToRight(const std::vector<char>& changed, int first, int last, Passes& passes);
// One pass per colour: the changed cells grouped by the colours that they
// show (a blank joins a group with its paper, a full block one with its
// ink); the group that the painter's colours show first, the others in the
// order in which they appear. Returns false when all cells fit one group.
bool ByColour(const Row& row, const std::vector<char>& changed, int first, int last, const Painter& pen,
              Passes& passes);

// Writes the passes onto the painter, crossing gap k of the passes (counted
// from 0 over all passes) by writing it again where rewrites[k] is true and
// by a move otherwise; a missing entry is a move. Holds back the last run.
void PaintPasses(Painter& pen, const Row& row, const Passes& passes, const std::vector<bool>& rewrites);

// Finds the rewrites that write the passes onto a copy of `start` in the
// fewest bytes, the held run sent: among equal costs, each gap takes the
// way that is cheaper up to and including its next cell (a move on a
// tie). Returns the bytes, or `budget` when no way costs less than that.
// It follows every way at once, as branches: of two that leave the
// terminal alike (cursor, colours, held run) only the cheaper goes on, a
// branch that another dominates is dropped (a rewrite as soon as its
// bytes show that it will be), and of more than kMaxBranches the
// costliest are dropped, which only rows far wider than 80 cells can need.
class Planner {
 public:
  static constexpr std::size_t kMaxBranches = 16;

  std::size_t Cheapest(const Painter& start, const Row& row, const Passes& passes, std::size_t budget,
                       std::vector<bool>& rewrites);

 private:
  struct Branch {
    Painter pen;
    int node;          // the last choice that led here, -1 before the first gap
    std::size_t sent;  // pen.BytesSent() when added
  };
  struct Node {
    int parent;
    bool rewrite;
  };
  void Add(Painter&& pen, std::size_t sent, int parent, bool rewrite, std::size_t budget);

  std::vector<Branch> branches_, next_;
  std::vector<Node> nodes_;
};

}  // namespace term::paint
