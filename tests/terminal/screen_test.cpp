// The frame encoder: what reaches the terminal for a grid, measured with a
// terminal model and by the exact bytes where the bytes matter.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "screen_model.h"
#include "terminal/screen.h"

namespace {

using term::Cell;
using term::EncodeFrame;
using term::EncodeOptions;
using term::ScreenSize;
using term::ScreenState;

std::vector<Cell> PatternGrid() {
  std::vector<Cell> grid(term::kGridCells);
  for (int i = 0; i < term::kGridCells; ++i) {
    const int row = i / 80, column = i % 80;
    grid[i] = {static_cast<std::uint16_t>(row * 7 + column * 3), static_cast<std::uint16_t>((row * 5 + column) & 0xFF)};
  }
  return grid;
}

term::GridView View(const std::vector<Cell>& grid) { return term::GridView(grid.data(), term::kGridCells); }

std::string Encode(const std::vector<Cell>& grid, ScreenState& state, EncodeOptions options = {}) {
  std::string out;
  EncodeFrame(View(grid), options, state, out);
  return out;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(CellLook, CellsThatLookAlikeCompareEqual) {
  // Blank glyphs and ink equal to paper show only the paper.
  EXPECT_EQ(term::CellLook({0, 0x1E}), (term::Look{32, -1, 1}));
  EXPECT_EQ(term::CellLook({0, 0x1E}), term::CellLook({32, 0x17}));
  EXPECT_EQ(term::CellLook({255, 0x1E}), term::CellLook({32, 0x11}));
  EXPECT_EQ(term::CellLook({254, 0x44}), term::CellLook({32, 0x40}));
  // A full block shows only the ink.
  EXPECT_EQ(term::CellLook({219, 0x0C}), (term::Look{219, 12, -1}));
  EXPECT_EQ(term::CellLook({219, 0x0C}), term::CellLook({219, 0x7C}));
  // Anything else keeps glyph, ink and paper; the high bytes do not count.
  EXPECT_NE(term::CellLook({176, 0x1E}), term::CellLook({176, 0x2E}));
  EXPECT_NE(term::CellLook({176, 0x1E}), term::CellLook({177, 0x1E}));
  EXPECT_EQ(term::CellLook({0x01B0, 0xFF1E}), (term::Look{0xB0, 14, 1}));
}

TEST(EncodeFrame, FirstFrameClearsAndDrawsEverything) {
  const auto grid = PatternGrid();
  ScreenState state;
  const std::string out = Encode(grid, state);
  EXPECT_EQ(out.rfind("\x1b[?2026h\x1b[0m\x1b[2J", 0), 0u);
  EXPECT_EQ(out.substr(out.size() - 8), "\x1b[?2026l");
  term_test::ScreenModel model(80, 50);
  model.Feed(out);
  EXPECT_FALSE(model.syncOpen());
  term_test::ExpectShows(model, state.size, View(grid));
  EXPECT_TRUE(state.valid);
}

TEST(EncodeFrame, SendsOnlyTheChangedCells) {
  auto grid = PatternGrid();
  ScreenState state;
  term_test::ScreenModel model(80, 50);
  model.Feed(Encode(grid, state));

  EXPECT_EQ(Encode(grid, state), "") << "an unchanged frame writes nothing";

  grid[10 * 80 + 20] = {'A', 0x1F};
  grid[10 * 80 + 21] = {'B', 0x1F};
  grid[10 * 80 + 30] = {'C', 0x1F};
  grid[49 * 80 + 79] = {'D', 0x1F};
  grid[1 * 80 + 0] = {32, 0x00};  // a blank on black
  const std::string out = Encode(grid, state);
  // Row 11, column 21 absolutely; B follows without a move; C after a
  // forward move of 8; D absolutely.
  EXPECT_NE(out.find("\x1b[11;21H"), std::string::npos);
  EXPECT_NE(out.find("AB\x1b[8CC"), std::string::npos);
  EXPECT_NE(out.find("\x1b[50;80HD"), std::string::npos);
  EXPECT_EQ(Count(out, "\x1b[2J"), 0);
  model.Feed(out);
  term_test::ExpectShows(model, state.size, View(grid));

  // A change that does not show (ink under a blank) sends nothing.
  grid[10 * 80 + 20] = {'A', 0x1F};
  grid[1 * 80 + 0] = {32, 0x0A};
  EXPECT_EQ(Encode(grid, state), "");
}

TEST(EncodeFrame, EveryCellModeResendsAllCellsWithoutClearing) {
  const auto grid = PatternGrid();
  ScreenState state;
  Encode(grid, state);
  const std::string again = Encode(grid, state, {.everyCell = true});
  EXPECT_EQ(Count(again, "\x1b[2J"), 0);
  term_test::ScreenModel model(80, 50);
  model.Feed(again);
  term_test::ExpectShows(model, state.size, View(grid));
}

TEST(EncodeFrame, MapsTheConsoleColourBitsToAnsi) {
  std::vector<Cell> grid(term::kGridCells, Cell{'x', 0x00});
  // Ink bright red (4 + 8), paper blue (1): ANSI bright red 91, blue 44.
  grid[0] = {'x', 0x1C};
  // Ink cyan (blue + green = 3): ANSI 36; paper yellow-brown (red + green = 6): ANSI 43.
  grid[1] = {'x', 0x63};
  // Ink bright white, paper bright black (8): 97 and 100.
  grid[2] = {'x', 0x8F};
  ScreenState state;
  const std::string out = Encode(grid, state);
  EXPECT_NE(out.find("\x1b[H\x1b[91;44mx"), std::string::npos);
  EXPECT_NE(out.find("x\x1b[36;43mx"), std::string::npos);
  EXPECT_NE(out.find("x\x1b[97;100mx"), std::string::npos);
  // Then ink 0 on paper 0: only blanks, so only the paper changes.
  EXPECT_NE(out.find("x\x1b[40m "), std::string::npos);
}

TEST(EncodeFrame, TrueColourUsesThePalette) {
  std::vector<Cell> grid(term::kGridCells, Cell{32, 0x00});
  grid[0] = {'x', 0x1C};
  grid[1] = {'x', 0x17};
  ScreenState state;
  const std::string out = Encode(grid, state, {.trueColour = true});
  EXPECT_NE(out.find("\x1b[38;2;255;0;0;48;2;0;0;128mx\x1b[38;2;204;204;204mx"), std::string::npos);
  term_test::ScreenModel model(80, 50);
  model.Feed(out);
  term_test::ExpectShows(model, state.size, View(grid));
}

TEST(EncodeFrame, SendsOnlyTheColourThatTheGlyphShows) {
  std::vector<Cell> grid(term::kGridCells, Cell{219, 0x0C});  // full blocks: ink only
  ScreenState state;
  const std::string out = Encode(grid, state);
  EXPECT_EQ(Count(out, "m"), 2) << "a reset and one colour";
  EXPECT_NE(out.find("\x1b[91m"), std::string::npos);
}

TEST(EncodeFrame, CentresThePictureOnALargerTerminal) {
  const auto grid = PatternGrid();
  ScreenState state;
  state.size = {101, 61};
  const std::string out = Encode(grid, state);
  EXPECT_NE(out.find("\x1b[6;11H"), std::string::npos) << "top-left cell at row 5, column 10";
  term_test::ScreenModel model(101, 61);
  model.Feed(out);
  term_test::ExpectShows(model, state.size, View(grid));
  for (int column = 0; column < 101; ++column) EXPECT_EQ(model.at(0, column).ch, U' ');
}

TEST(EncodeFrame, ShowsTheCentreOfThePictureOnASmallerTerminal) {
  for (const ScreenSize size : {ScreenSize{60, 20}, ScreenSize{79, 49}, ScreenSize{1, 1}, ScreenSize{80, 1}}) {
    auto grid = PatternGrid();
    ScreenState state;
    state.size = size;
    term_test::ScreenModel model(size.columns, size.rows);
    model.Feed(Encode(grid, state));
    // Change every cell, so that the terminal's last column and row are
    // written again without a full redraw.
    for (Cell& cell : grid) cell.ch = static_cast<std::uint16_t>(cell.ch + 1);
    model.Feed(Encode(grid, state));
    SCOPED_TRACE(testing::Message() << size.columns << "x" << size.rows);
    term_test::ExpectShows(model, size, View(grid));
  }
  EXPECT_EQ(term::PlacePicture({60, 20}).columnOffset, -10);
  EXPECT_EQ(term::PlacePicture({60, 20}).rowOffset, -15);
}

TEST(EncodeFrame, AnEmptyTerminalGetsOnlyTheClear) {
  const auto grid = PatternGrid();
  ScreenState state;
  state.size = {0, 0};
  EXPECT_EQ(Encode(grid, state), "\x1b[?2026h\x1b[0m\x1b[2J\x1b[?2026l");
  EXPECT_EQ(Encode(grid, state), "");
}

TEST(EncodeFrame, RedrawsEverythingAfterAResize) {
  const auto grid = PatternGrid();
  ScreenState state;
  Encode(grid, state);
  state.size = {90, 52};
  state.valid = false;
  const std::string out = Encode(grid, state);
  EXPECT_EQ(Count(out, "\x1b[2J"), 1);
  term_test::ScreenModel model(90, 52);
  model.Feed(out);
  term_test::ExpectShows(model, state.size, View(grid));
}

TEST(EncodeFrame, RepeatsRunsAsTheOptionsAllow) {
  std::vector<Cell> grid(term::kGridCells, Cell{32, 0x00});
  for (int column = 10; column < 50; ++column) grid[3 * 80 + column] = {176, 0x07};  // 40 light shades
  for (int column = 0; column < 30; ++column) grid[5 * 80 + column] = {'x', 0x07};
  grid[7 * 80 + 0] = grid[7 * 80 + 1] = {'y', 0x07};  // two: REP would not be shorter
  const std::string shade = "\u2591";
  const auto encode = [&](term::Repeat repeat) {
    ScreenState state;
    const std::string out = Encode(grid, state, {.repeat = repeat});
    term_test::ScreenModel model(80, 50, repeat == term::Repeat::kAnyGlyph);
    model.Feed(out);
    term_test::ExpectShows(model, state.size, View(grid));
    return out;
  };
  const std::string none = encode(term::Repeat::kNone);
  EXPECT_EQ(none.find("b"), std::string::npos);
  const std::string ascii = encode(term::Repeat::kAscii);
  EXPECT_NE(ascii.find("x\x1b[29b"), std::string::npos);
  EXPECT_NE(ascii.find(" \x1b[79b"), std::string::npos) << "blank rows";
  EXPECT_NE(ascii.find("yy"), std::string::npos);
  EXPECT_EQ(ascii.find(shade + "\x1b["), std::string::npos);
  const std::string any = encode(term::Repeat::kAnyGlyph);
  EXPECT_NE(any.find(shade + "\x1b[39b"), std::string::npos);
  EXPECT_LT(any.size(), ascii.size());
  EXPECT_LT(ascii.size(), none.size());
}

TEST(EncodeFrame, RewritesAGapWhereThatIsShorterThanAMove) {
  std::vector<Cell> grid(term::kGridCells, Cell{'.', 0x07});
  grid[10 * 80 + 31] = {'.', 0x02};
  ScreenState state;
  Encode(grid, state);
  // Column 21 is unchanged and in the colours of its neighbours: the dot
  // (1 byte) is cheaper than a move (3). Column 31 needs another ink and the
  // ink back: a move is cheaper.
  grid[10 * 80 + 20] = grid[10 * 80 + 22] = {'A', 0x07};
  grid[10 * 80 + 30] = grid[10 * 80 + 32] = {'B', 0x07};
  const std::string out = Encode(grid, state);
  EXPECT_NE(out.find("A.A"), std::string::npos);
  EXPECT_NE(out.find("B\x1b[CB"), std::string::npos);
}

TEST(EncodeFrame, WritesAlternatingColoursOneColourAtATime) {
  std::vector<Cell> grid(term::kGridCells, Cell{32, 0x00});
  ScreenState state;
  term_test::ScreenModel model(80, 50);
  model.Feed(Encode(grid, state));
  for (int column = 0; column < 80; ++column) grid[20 * 80 + column] = column % 2 == 0 ? Cell{'a', 0x01} : Cell{'b', 0x02};
  const std::string out = Encode(grid, state);
  // Each colour once, its cells a step apart, instead of 80 colour changes.
  EXPECT_EQ(Count(out, "m"), 2);
  EXPECT_NE(out.find("a\x1b[Ca\x1b[Ca"), std::string::npos);
  model.Feed(out);
  term_test::ExpectShows(model, state.size, View(grid));
}

TEST(EncodeFrame, TakesTheShortestCursorMoveAndStartsWhereTheLastFrameEnded) {
  std::vector<Cell> grid(term::kGridCells, Cell{'.', 0x07});
  ScreenState state;
  Encode(grid, state);
  for (const int i : {10 * 80 + 5, 11 * 80 + 0, 11 * 80 + 60, 13 * 80 + 61}) grid[i] = {'A', 0x07};
  const std::string out = Encode(grid, state);
  // Absolute to row 11; the next row's start; a column in the row; two
  // rows down in the same column.
  EXPECT_EQ(out, "\x1b[?2026h\x1b[11;6HA\x1b[EA\x1b[61GA\x1b[2BA\x1b[?2026l");
  grid[13 * 80 + 62] = {'B', 0x07};
  EXPECT_EQ(Encode(grid, state), "\x1b[?2026hB\x1b[?2026l") << "the cursor is there already";
  // Back along the row: two backspaces; a carriage return to the first
  // column, even from the edge where relative moves are unsure.
  grid[13 * 80 + 61] = {'C', 0x07};
  EXPECT_EQ(Encode(grid, state), "\x1b[?2026h\b\bC\x1b[?2026l");
  grid[13 * 80 + 0] = grid[13 * 80 + 79] = {'D', 0x07};
  EXPECT_EQ(Encode(grid, state), "\x1b[?2026h\rD\x1b[80GD\x1b[?2026l");
  grid[13 * 80 + 0] = {'E', 0x07};
  EXPECT_EQ(Encode(grid, state), "\x1b[?2026h\rE\x1b[?2026l");
}

// Random frames, changed in places and in runs, through the terminal model:
// whatever the terminal's size, colours and REP, it shows every frame.
TEST(EncodeFrame, RandomFrameSequencesKeepTheTerminalInStep) {
  std::mt19937 random(20);
  const ScreenSize sizes[] = {{80, 50}, {83, 50}, {57, 33}, {79, 51}};
  for (const ScreenSize size : sizes) {
    for (const bool trueColour : {false, true}) {
      for (const term::Repeat repeat : {term::Repeat::kNone, term::Repeat::kAscii, term::Repeat::kAnyGlyph}) {
        std::vector<Cell> grid(term::kGridCells);
        ScreenState state;
        state.size = size;
        term_test::ScreenModel model(size.columns, size.rows, repeat == term::Repeat::kAnyGlyph);
        for (int frame = 0; frame < 20 && !HasFatalFailure(); ++frame) {
          // Change a random number of random cells and runs, mostly to a few
          // glyphs and colours, as the shaded scenes do; the visible last
          // column changes in every frame.
          constexpr std::uint16_t kGlyphs[] = {0, 8, 32, 176, 177, 178, 219, 254, 'K', 127};
          const int changes = static_cast<int>(random() % 300);
          for (int k = 0; k < changes; ++k) {
            const int start = static_cast<int>(random() % term::kGridCells);
            const int length = random() % 4 == 0 ? static_cast<int>(random() % 30) : 1;
            const Cell cell{kGlyphs[random() % 10], static_cast<std::uint16_t>(random() % 256)};
            for (int i = start; i < std::min(start + length, term::kGridCells); ++i) grid[i] = cell;
          }
          const int lastColumn = std::min(79, size.columns - 1 - term::PlacePicture(size).columnOffset);
          grid[(frame % 50) * 80 + lastColumn].ch = static_cast<std::uint16_t>('a' + frame);
          model.Feed(Encode(grid, state, {.trueColour = trueColour, .repeat = repeat}));
          SCOPED_TRACE(testing::Message() << size.columns << "x" << size.rows << " true colour " << trueColour
                                          << " repeat " << static_cast<int>(repeat) << " frame " << frame);
          term_test::ExpectShows(model, size, View(grid));
        }
      }
    }
  }
}

// Pictures of any size, centred on terminals of any size: each frame
// shows cell for cell; a picture of another size redraws everything.
TEST(EncodeFrame, AnyPictureSizeOnAnyTerminal) {
  std::mt19937 random(1000);
  const ScreenSize pictures[] = {{20, 10}, {1, 1}, {37, 13}, {133, 41}};
  const ScreenSize terminals[] = {{20, 10}, {41, 17}, {15, 6}, {200, 60}};
  for (const ScreenSize picture : pictures) {
    for (const ScreenSize terminal : terminals) {
      SCOPED_TRACE(testing::Message() << picture.columns << "x" << picture.rows << " on " << terminal.columns << "x"
                                      << terminal.rows);
      std::vector<Cell> cells(static_cast<std::size_t>(picture.columns * picture.rows));
      const term::FrameView frame{cells, picture.columns, picture.rows};
      ScreenState state;
      state.size = terminal;
      term_test::ScreenModel model(terminal.columns, terminal.rows, true);
      for (int k = 0; k < 4 && !HasFatalFailure(); ++k) {
        for (int n = static_cast<int>(random() % cells.size()); n >= 0; --n)
          cells[random() % cells.size()] = {static_cast<std::uint16_t>(random() % 256), static_cast<std::uint16_t>(random() % 256)};
        std::string out;
        EncodeFrame(frame, {.repeat = term::Repeat::kAnyGlyph}, state, out);
        model.Feed(out);
        term_test::ExpectShows(model, terminal, frame);
      }
    }
  }
  // The same state with a picture of another size: a clear and a redraw.
  const std::vector<Cell> cells(80 * 40, Cell{'a', 0x07});
  ScreenState state;
  std::string out;
  EncodeFrame(term::FrameView{cells, 80, 40}, {}, state, out);
  out.clear();
  EncodeFrame(term::FrameView{cells, 40, 80}, {}, state, out);
  EXPECT_EQ(Count(out, "\x1b[2J"), 1);
  EXPECT_EQ(state.shown.size(), cells.size());
}

TEST(EncodeFrame, AThousandByAThousandCells) {
  std::vector<Cell> cells(1000 * 1000, Cell{176, 0x1E});
  const term::FrameView frame{cells, 1000, 1000};
  ScreenState state;
  state.size = {1000, 1000};
  term_test::ScreenModel model(1000, 1000, true);
  std::string out;
  EncodeFrame(frame, {.repeat = term::Repeat::kAnyGlyph}, state, out);
  EXPECT_LT(out.size(), 1000 * 20u) << "a glyph and a REP a row";
  for (int i = 0; i < 1000 * 1000; i += 997) cells[i] = {'x', 0x07};
  EncodeFrame(frame, {.repeat = term::Repeat::kAnyGlyph}, state, out);
  model.Feed(out);
  term_test::ExpectShows(model, state.size, frame);
}

TEST(EncodeFrame, RejectsAFrameWithFewerCellsThanItsSize) {
  const std::vector<Cell> cells(99);
  ScreenState state;
  std::string out;
  EXPECT_THROW(EncodeFrame(term::FrameView{cells, 10, 10}, {}, state, out), std::invalid_argument);
  EXPECT_THROW(EncodeFrame(term::FrameView{cells, -1, 10}, {}, state, out), std::invalid_argument);
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(state.shown.empty());
}

}  // namespace
