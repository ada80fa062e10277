// The logos: their art follows the outline rule, and DrawLogos places them
// where the beat jitter and the flashes say, by linear cell index.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "condemo/logos.h"
#include "tmux_harness.h"

namespace {

using condemo::Cell;
using condemo::CellGrid;
using condemo::Logo;
using condemo::LogoJitter;
using condemo::Rand15;

constexpr Cell kBackground{'x', 0x12};

CellGrid Background() {
  CellGrid grid;
  std::fill(grid.cells.begin(), grid.cells.end(), kBackground);
  return grid;
}

// The grid that logo `number` stamped with its top-left cell at (row,
// column) over the background gives.
CellGrid Stamped(CellGrid grid, int number, long row, long column) {
  const Logo& logo = condemo::LogoNumber(number);
  for (int r = 0; r < logo.height; ++r) {
    for (int k = 0; k < logo.width; ++k) {
      const long index = (row + r) * 80 + column + k;
      if (index < 0 || index >= 4000) continue;
      if (logo.At(k, r) == condemo::kLogoOutline) grid.cells[index] = {254, 0x0F};
      if (logo.At(k, r) == condemo::kLogoBody) grid.cells[index] = {219, 0x00};
    }
  }
  return grid;
}

void ExpectSameGrid(const CellGrid& actual, const CellGrid& expected) {
  int differences = 0;
  for (int i = 0; i < 4000; ++i) {
    if (actual.cells[i].ch != expected.cells[i].ch || actual.cells[i].attr != expected.cells[i].attr) {
      if (++differences <= 5) ADD_FAILURE() << "cell row " << i / 80 << " column " << i % 80;
    }
  }
  EXPECT_EQ(differences, 0);
}

CellGrid Draw(LogoJitter jitter, int orderPosition, float flashA = 0, float flashB = 0) {
  CellGrid grid = Background();
  Rand15 random;
  condemo::DrawLogos(grid, jitter, random, orderPosition,
                    {.flashA = flashA, .flashB = flashB, .beatCount = jitter.lastBeat});
  return grid;
}

TEST(LogoArt, HasTheSizesOfTheOpening) {
  const int sizes[4][2] = {{39, 24}, {19, 24}, {44, 19}, {32, 19}};
  for (int number = 1; number <= 4; ++number) {
    const Logo& logo = condemo::LogoNumber(number);
    EXPECT_EQ(logo.width, sizes[number - 1][0]);
    EXPECT_EQ(logo.height, sizes[number - 1][1]);
    EXPECT_EQ(logo.values.size(), static_cast<std::size_t>(logo.width * logo.height));
  }
  EXPECT_THROW(condemo::LogoNumber(0), std::out_of_range);
  EXPECT_THROW(condemo::LogoNumber(5), std::out_of_range);
}

TEST(LogoArt, EveryBodyHasAnOutlineExactlyOneCellWide) {
  for (int number = 1; number <= 4; ++number) {
    SCOPED_TRACE(testing::Message() << "logo " << number);
    const Logo& logo = condemo::LogoNumber(number);
    int bodies = 0;
    for (int r = 0; r < logo.height; ++r) {
      for (int k = 0; k < logo.width; ++k) {
        bool nextToBody = false;
        for (int dr = -1; dr <= 1; ++dr)
          for (int dk = -1; dk <= 1; ++dk) {
            const int nr = r + dr, nk = k + dk;
            if (nr >= 0 && nr < logo.height && nk >= 0 && nk < logo.width)
              nextToBody |= logo.At(nk, nr) == condemo::kLogoBody;
          }
        const std::int32_t value = logo.At(k, r);
        ASSERT_TRUE(value >= 0 && value <= 2);
        if (value == condemo::kLogoBody) {
          ++bodies;
          EXPECT_TRUE(r > 0 && k > 0 && r < logo.height - 1 && k < logo.width - 1)
              << "body on the edge at " << r << "," << k;
        } else {
          EXPECT_EQ(value, nextToBody ? condemo::kLogoOutline : condemo::kLogoTransparent) << "at " << r << "," << k;
        }
      }
    }
    EXPECT_GT(bodies, logo.width * logo.height / 3) << "bold letters";
  }
  const Logo& two = condemo::LogoNumber(2);
  for (int k = 0; k < two.width; ++k) {
    EXPECT_EQ(two.At(k, 0), condemo::kLogoTransparent);
    EXPECT_EQ(two.At(k, two.height - 1), condemo::kLogoTransparent);
  }
}

TEST(DrawLogos, BeforeAnyBeatTheLogosSitAtTheirAnchors) {
  ExpectSameGrid(Draw({}, 1), Stamped(Stamped(Background(), 1, 1, 6), 2, 26, 39));
  ExpectSameGrid(Draw({}, 2), Stamped(Background(), 3, 7, 1));
  ExpectSameGrid(Draw({}, 3), Stamped(Background(), 4, 7, 1));
  // Logo 1's top-left cell is outline; logo 2's top row is transparent.
  EXPECT_EQ(Draw({}, 1).cells[1 * 80 + 6].ch, 254);
  EXPECT_EQ(Draw({}, 1).cells[27 * 80 + 39].ch, 254);
}

TEST(DrawLogos, FlashesShakeTheLogos) {
  // a = 5, b = 3: logo 1 three rows down and five columns left, logo 2
  // five rows up and three columns right.
  ExpectSameGrid(Draw({}, 1, 1.0f, 0.75f), Stamped(Stamped(Background(), 1, 4, 1), 2, 21, 42));
  ExpectSameGrid(Draw({}, 2, 1.0f, 0.75f), Stamped(Background(), 3, 2, 4));
  ExpectSameGrid(Draw({}, 3, 1.0f, 0.75f), Stamped(Background(), 4, 2, 4));
  // Truncation toward zero of the single-precision products: 5 * 0.19 is
  // 0.95 -> 0, 5 * -0.3 is -1.5 -> -1.
  ExpectSameGrid(Draw({}, 2, 0.19f, -0.3f), Stamped(Background(), 3, 7, 0));
}

TEST(DrawLogos, JitterMovesTheLogosAndLogoThreeStopsAt24) {
  const LogoJitter jitter{30, 7, 0};
  ExpectSameGrid(Draw(jitter, 1), Stamped(Stamped(Background(), 1, 8, 36), 2, 19, 9));
  ExpectSameGrid(Draw(jitter, 2), Stamped(Background(), 3, 14, 25));
  ExpectSameGrid(Draw(jitter, 3), Stamped(Background(), 4, 14, 31));
}

TEST(DrawLogos, ColumnsBeyondTheEdgeContinueInTheNextRow) {
  // jx = 37: logo 1 spans columns 43 to 81; its last two columns land in
  // columns 0 and 1 of the row below.
  const CellGrid grid = Draw({37, 0, 0}, 1);
  ExpectSameGrid(grid, Stamped(Stamped(Background(), 1, 1, 43), 2, 26, 2));
  const Logo& one = condemo::LogoNumber(1);
  EXPECT_EQ(grid.cells[2 * 80 + 1].ch, one.At(38, 0) == condemo::kLogoOutline ? 254 : 'x');
}

TEST(DrawLogos, CellsOutsideTheGridAreSkipped) {
  // Far below zero after a long frame: the logos move off the grid.
  ExpectSameGrid(Draw({}, 1, -10.0f, -10.0f), Stamped(Stamped(Background(), 1, -49, 56), 2, 76, -11));
  ExpectSameGrid(Draw({}, 3, 100.0f, 0), Background());
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  for (const float flash : {inf, -inf}) ExpectSameGrid(Draw({}, 1, flash, 0), Background());
  ExpectSameGrid(Draw({}, 2, nan, nan), Stamped(Background(), 3, 7, 1));
}

TEST(DrawLogos, ReRollsOncePerBeatChangeAtAnyPosition) {
  for (const int position : {0, 1, 4, 21}) {
    Rand15 random, reference;
    LogoJitter jitter;
    CellGrid grid = Background();
    condemo::DrawLogos(grid, jitter, random, position, {.beatCount = 2});  // two beats since the last frame
    const int jx = reference.Next() % 38, jy = reference.Next() % 20;
    EXPECT_EQ(jitter.jx, jx);
    EXPECT_EQ(jitter.jy, jy);
    EXPECT_EQ(jitter.lastBeat, 2);
    EXPECT_EQ(random.state, reference.state) << "exactly two draws";
    condemo::DrawLogos(grid, jitter, random, position, {.beatCount = 2});
    EXPECT_EQ(random.state, reference.state) << "no beat, no draw";
    if (position == 0 || position >= 4) ExpectSameGrid(grid, Background());
  }
}

// framegrab condemo stamps the logos of order positions 1 to 3 over its
// stills, at the jitter it is given.
std::vector<std::string> Still(const std::vector<std::string>& arguments) {
  const std::string path = testing::TempDir() + "condemo-logo-still.txt";
  std::vector<std::string> command = {std::string(KALT_TOOLS_DIR) + "/framegrab", "condemo", "--time", "10",
                                      "--out", path};
  command.insert(command.end(), arguments.begin(), arguments.end());
  term_test::RunProgram(command);
  std::vector<std::string> tokens;
  std::ifstream file(path);
  for (std::string token; file >> token;) tokens.push_back(token);
  std::remove(path.c_str());
  return tokens;
}

TEST(FramegrabCondemo, ShowsTheLogosOfTheOpening) {
  const Logo& one = condemo::LogoNumber(1);
  const std::vector<std::string> opening = Still({"--order", "1"});
  ASSERT_EQ(opening.size(), 4000u);
  EXPECT_EQ(opening[1 * 80 + 6], "FE0F") << "logo 1's top-left outline at row 1, column 6";
  EXPECT_EQ(opening[2 * 80 + 7], one.At(1, 1) == condemo::kLogoBody ? "DB00" : "FE0F");
  const std::vector<std::string> jittered = Still({"--order", "3", "--jitter", "30,7", "--flash", "1,0.75,0"});
  ASSERT_EQ(jittered.size(), 4000u);
  EXPECT_EQ(jittered[(7 + 7 - 5) * 80 + 1 + 30 + 3], "FE0F") << "logo 4 moved by jitter and flashes";
  EXPECT_EQ(Still({"--order", "1", "--jitter", "38,0"}).size(), 0u) << "jitter out of range";
  EXPECT_NE(Still({"--order", "4"})[1 * 80 + 6], "FE0F");
}

// On another grid the logos are the 80 x 50 picture in a window centred on
// the grid, cut between whole cells where the grid is smaller; the cells
// around the window are left alone.
TEST(DrawLogos, OtherGridsShowTheConsolesLogosInACentredWindow) {
  const LogoJitter jitter{.jx = 30, .jy = 12, .lastBeat = 4};
  const kalt::GridSize sizes[] = {{20, 10}, {81, 51}, {79, 49}, {200, 120}};
  for (const int order : {1, 2, 3}) {
    const CellGrid console = Draw(jitter, order, 1.0f, -0.75f);
    for (const kalt::GridSize size : sizes) {
      SCOPED_TRACE(testing::Message() << "order " << order << ", " << size.columns << " x " << size.rows);
      CellGrid grid(size);
      std::fill(grid.cells.begin(), grid.cells.end(), kBackground);
      LogoJitter same = jitter;
      Rand15 random;
      condemo::DrawLogos(grid, same, random, order, {.flashA = 1.0f, .flashB = -0.75f, .beatCount = 4});
      const condemo::LogoWindow window = condemo::LogoWindowOf(size);
      EXPECT_EQ(window.column, (size.columns - 80) / 2 - (size.columns < 80 && size.columns % 2 != 0));
      EXPECT_EQ(window.row, (size.rows - 50) / 2 - (size.rows < 50 && size.rows % 2 != 0));
      int mismatches = 0;
      for (int row = 0; row < size.rows; ++row)
        for (int column = 0; column < size.columns; ++column) {
          const int c = column - window.column, r = row - window.row;
          const bool inside = c >= 0 && c < 80 && r >= 0 && r < 50;
          const Cell expected = inside ? console.At(c, r) : kBackground;
          mismatches += !(grid.At(column, row) == expected);
        }
      EXPECT_EQ(mismatches, 0);
    }
  }
}

}  // namespace
