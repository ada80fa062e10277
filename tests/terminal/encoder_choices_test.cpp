// The encoder's choices, by brute force on small rows: every way that its
// moves allow is written and shown on the terminal model; the encoder's
// bytes are what it priced, and no way is shorter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "painter.h"
#include "screen_model.h"
#include "terminal/screen.h"

namespace {

using term::Cell;
using term::paint::Painter;

constexpr const char* kSyncStart = "\x1b[?2026h";
constexpr const char* kSyncEnd = "\x1b[?2026l";

// Cells of a few glyphs (blanks, a full block, shades, letters) in a few
// colours, in runs, so that rows have gaps, runs and alternating colours.
Cell RandomCell(std::mt19937& random) {
  constexpr std::uint16_t kGlyphs[] = {32, 0, 219, 176, 177, 'x', 'y', 255};
  return {kGlyphs[random() % 8], static_cast<std::uint16_t>(random() % 4 | (random() % 3) << 4)};
}

struct Frame {
  int columns, rows;
  std::vector<Cell> cells;
  term::FrameView view() const { return {cells, columns, rows}; }
};

Frame RandomFrame(std::mt19937& random, int columns, int rows) {
  Frame frame{columns, rows, std::vector<Cell>(static_cast<std::size_t>(columns * rows))};
  for (std::size_t i = 0; i < frame.cells.size();) {
    const Cell cell = RandomCell(random);
    for (int n = 1 + static_cast<int>(random() % 5); n > 0 && i < frame.cells.size(); --n) frame.cells[i++] = cell;
  }
  return frame;
}

// Changes 1 to `columns` cells of a row at random.
void ChangeCells(std::mt19937& random, Frame& frame, int row) {
  const int changes = 1 + static_cast<int>(random() % frame.columns);
  for (int k = 0; k < changes; ++k) frame.cells[row * frame.columns + random() % frame.columns] = RandomCell(random);
}

// Every choice of rewrites for the gaps of the passes.
std::vector<std::vector<bool>> AllRewrites(const term::paint::Passes& passes) {
  int gaps = 0;
  for (std::size_t k = 1, pass = 0; k < passes.columns.size(); ++k) {
    if (static_cast<int>(k) == passes.ends[pass]) {
      ++pass;
      continue;
    }
    gaps += passes.columns[k] > passes.columns[k - 1] + 1;
  }
  std::vector<std::vector<bool>> all;
  for (int bits = 0; bits < 1 << gaps; ++bits) {
    all.emplace_back(static_cast<std::size_t>(gaps));
    for (int g = 0; g < gaps; ++g) all.back()[g] = (bits >> g & 1) != 0;
  }
  return all;
}

TEST(EncodeRow, WritesWhatItPricedAndNoWayAmongItsMovesIsShorter) {
  std::mt19937 random(437);
  int byColour = 0;
  for (int trial = 0; trial < 600 && !HasFatalFailure(); ++trial) {
    const term::EncodeOptions options{.trueColour = trial % 5 == 4, .repeat = static_cast<term::Repeat>(trial % 3)};
    const int columns = 4 + static_cast<int>(random() % 11), rows = 3;
    SCOPED_TRACE(testing::Message() << "trial " << trial << ", " << columns << " columns");
    // 1. The terminal shows a frame, then a few changes (which leave the
    //    cursor and colours anywhere); the next frame changes one row.
    term::ScreenState state;
    state.size = {columns, rows};
    Frame frame = RandomFrame(random, columns, rows);
    std::string out;
    term::EncodeFrame(frame.view(), options, state, out);
    ChangeCells(random, frame, static_cast<int>(random() % rows));
    term::EncodeFrame(frame.view(), options, state, out);
    term_test::ScreenModel model(columns, rows, options.repeat == term::Repeat::kAnyGlyph);
    model.Feed(out);
    const term::ScreenState before = state;
    const int changedRow = static_cast<int>(random() % rows);
    ChangeCells(random, frame, changedRow);

    // 2. The row's passes, left to right and one colour at a time, each
    //    priced by the encoder's planner, and what the encoder writes.
    std::vector<term::Look> looks(static_cast<std::size_t>(columns));
    std::vector<char> changed(looks.size());
    int first = columns, last = -1;
    for (int column = 0; column < columns; ++column) {
      looks[column] = term::CellLook(frame.cells[changedRow * columns + column]);
      changed[column] = looks[column] != before.shown[changedRow * columns + column];
      if (changed[column]) first = std::min(first, column), last = column;
    }
    if (last < 0) continue;
    const term::paint::Row row{looks.data(), changedRow, 0};
    const Painter start(nullptr, options, before);
    term::paint::Passes passes[2];
    term::paint::LeftToRight(changed, first, last, passes[0]);
    const int passSets = term::paint::ByColour(row, changed, first, last, start, passes[1]) ? 2 : 1;
    byColour += passSets - 1;
    term::paint::Planner planner;
    std::vector<bool> plans[2];
    std::size_t priced[2] = {SIZE_MAX, SIZE_MAX};
    for (int p = 0; p < passSets; ++p) priced[p] = planner.Cheapest(start, row, passes[p], SIZE_MAX, plans[p]);
    std::string encoded;
    term::EncodeFrame(frame.view(), options, state, encoded);
    ASSERT_GT(encoded.size(), 16u);
    const std::size_t written = encoded.size() - 16;  // the synchronized update around the row

    // 3. Every way through the passes: the terminal shows the frame, and
    //    none is shorter than the encoder's, which is what it priced.
    std::size_t shortest = SIZE_MAX;
    for (int p = 0; p < passSets; ++p) {
      for (const std::vector<bool>& choice : AllRewrites(passes[p])) {
        std::string bytes;
        Painter pen(&bytes, options, before);
        term::paint::PaintPasses(pen, row, passes[p], choice);
        pen.Flush();
        ASSERT_EQ(pen.bytes(), bytes.size());
        if (choice == plans[p]) {
          EXPECT_EQ(bytes.size(), priced[p]) << "the plan of pass set " << p;
        }
        shortest = std::min(shortest, bytes.size());
        term_test::ScreenModel shown = model;
        shown.Feed(kSyncStart + bytes + kSyncEnd);
        ASSERT_NO_FATAL_FAILURE(term_test::ExpectShows(shown, state.size, frame.view()));
      }
    }
    EXPECT_EQ(written, std::min(priced[0], priced[1]));
    EXPECT_EQ(written, shortest);
  }
  EXPECT_GT(byColour, 50) << "rows that may go one colour at a time";
}

// Every cursor move that the encoder may take, from a cell, from the edge
// after the last column and from an unknown place, lands where it should;
// the encoder takes the shortest. Likewise a run sent as glyphs or REP.
TEST(EncodeRow, EveryMoveAndRunFormShowsRightAndTheShortestIsTaken) {
  std::mt19937 random(50);
  for (int trial = 0; trial < 400 && !HasFatalFailure(); ++trial) {
    const int columns = 1 + static_cast<int>(random() % 120), rows = 1 + static_cast<int>(random() % 12);
    term::ScreenState state;
    state.size = {columns, rows};
    std::string setup = kSyncStart;
    if (const int kind = static_cast<int>(random() % 4); kind > 0) {
      state.cursorRow = static_cast<int>(random() % rows);
      state.cursorColumn = kind == 3 ? columns : static_cast<int>(random() % columns);
      setup += "\x1b[" + std::to_string(state.cursorRow + 1) + ";" +
               std::to_string(std::min(state.cursorColumn, columns - 1) + 1) + "H" + (kind == 3 ? "Z" : "");
    }
    const int row = static_cast<int>(random() % rows), column = static_cast<int>(random() % columns);
    SCOPED_TRACE(testing::Message() << "from " << state.cursorRow << "," << state.cursorColumn << " to " << row << ","
                                    << column << " of " << columns << "x" << rows);
    const Painter painter(nullptr, {}, state);
    const Painter::Moves moves = painter.MovesTo(row, column);
    std::size_t shortest = SIZE_MAX;
    for (int k = 0; k < moves.count; ++k) {
      std::string bytes;
      term::paint::Bytes sink(&bytes);
      painter.WriteMove(sink, moves.list[k], row, column);
      shortest = std::min(shortest, bytes.size());
      term_test::ScreenModel model(columns, rows);
      model.Feed(setup + bytes + "X" + kSyncEnd);
      ASSERT_EQ(model.at(row, column).ch, U'X') << "move " << k;
    }
    std::string chosen;
    Painter pen(&chosen, {}, state);
    pen.MoveTo(row, column);
    EXPECT_EQ(chosen.size(), shortest);

    // A run of one glyph, which REP may or may not repeat: as glyphs, or
    // the glyph and a REP.
    const term::Look look = term::CellLook({static_cast<std::uint16_t>(random() % 2 ? 'x' : 176), 0x07});
    const int length = 1 + static_cast<int>(random() % std::min(12, columns));
    const auto repeat = static_cast<term::Repeat>(random() % 3);
    std::string run;
    Painter runPen(&run, {.repeat = repeat}, state);
    runPen.MoveTo(0, 0);
    run.clear();
    for (int k = 0; k < length; ++k) runPen.Put(look);
    runPen.Flush();
    std::string glyph;
    kalt::AppendCp437(glyph, look.glyph);
    std::vector<std::string> forms = {"\x1b[37;40m"};
    for (int k = 0; k < length; ++k) forms[0] += glyph;
    if (length > 1 && (repeat == term::Repeat::kAnyGlyph || (repeat == term::Repeat::kAscii && look.glyph < 128)))
      forms.push_back("\x1b[37;40m" + glyph + "\x1b[" + (length > 2 ? std::to_string(length - 1) : "") + "b");
    std::size_t fewest = SIZE_MAX;
    for (const std::string& form : forms) {
      fewest = std::min(fewest, form.size());
      term_test::ScreenModel model(columns, rows, repeat == term::Repeat::kAnyGlyph);
      model.Feed(kSyncStart + std::string("\x1b[H") + form + kSyncEnd);
      for (int k = 0; k < length; ++k) ASSERT_EQ(model.at(0, k).ch, kalt::kCp437[look.glyph]);
    }
    EXPECT_EQ(run.size(), fewest);
  }
}

}  // namespace
