// framegrab condemo, run as a user runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "condemo/director.h"
#include "condemo/render.h"
#include "kalt_test/tools.h"

namespace condemo {
namespace {

namespace fs = std::filesystem;
using kalt_test::ReadFile;

int Framegrab(const std::string& arguments) { return kalt_test::Framegrab("condemo " + arguments); }

class FramegrabCondemo : public ::testing::Test {
 protected:
  fs::path dir = fs::temp_directory_path() / ("condemo_framegrab_" + std::to_string(::getpid()));
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }
};

TEST_F(FramegrabCondemo, TextFrameIsTheRenderedGrid) {
  const fs::path out = dir / "frame.txt";
  ASSERT_EQ(Framegrab("--order 14 --time 110 --flash 0.5,0.4,0 --beats 1 --frame 7 --threads 2 --out " + out.string()), 0);
  FrameState frame;
  frame.sceneTime = 110.0;
  frame.pulse.flashA = 0.5f, frame.pulse.flashB = 0.4f;
  frame.pulse.beatCount = 1;
  frame.frameNumber = 7;
  frame.scene = StillScene(14, 110.0, frame.pulse);
  CellGrid grid;
  RenderFrame(frame, 1, grid);
  std::string expected;
  char token[16];
  for (int i = 0; i < kCellCount; ++i) {
    std::snprintf(token, sizeof token, "%02X%02X", grid.cells[i].ch & 0xFFu, grid.cells[i].attr & 0xFFu);
    expected += token;
    expected += i % kColumns == kColumns - 1 ? '\n' : ' ';
  }
  EXPECT_EQ(ReadFile(out), expected);
}

TEST_F(FramegrabCondemo, AnsiFrameAndMaxTravel) {
  const fs::path ans = dir / "frame.ans", dark = dir / "dark.txt";
  ASSERT_EQ(Framegrab("--order 18 --time 135 --out " + ans.string()), 0);
  const std::string text = ReadFile(ans);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), kRows);
  EXPECT_NE(text.find("\x1b["), std::string::npos);
  // With maxTravel 0 the tunnel's pattern is black on black.
  ASSERT_EQ(Framegrab("--order 18 --time 135 --max-travel 0 --out " + dark.string()), 0);
  const std::string tokens = ReadFile(dark);
  for (std::size_t i = 0; i + 4 <= tokens.size(); i += 5) {
    const std::string token = tokens.substr(i, 4);
    ASSERT_TRUE(token == "0800" || token == "FE00") << token;
  }
}

TEST_F(FramegrabCondemo, BadOptionsFail) {
  const std::string out = " --out " + (dir / "x.txt").string();
  EXPECT_EQ(Framegrab("--time 3" + out), 1);                      // no order
  EXPECT_EQ(Framegrab("--order 3" + out), 1);                     // no time
  EXPECT_EQ(Framegrab("--order 3 --time -1" + out), 1);           // negative time
  EXPECT_EQ(Framegrab("--order 3 --time 2 --flash 1,2" + out), 1);
  EXPECT_EQ(Framegrab("--order 3 --time 2 --threads 0" + out), 1);
  EXPECT_EQ(Framegrab("--order 3 --time 2 --beats x" + out), 1);
  EXPECT_EQ(Framegrab("--order 3 --time 2 --max-travel -4" + out), 1);
  EXPECT_EQ(Framegrab("--order 3 --time 2 --colour 1" + out), 1);  // unknown option
  EXPECT_EQ(Framegrab("--order 3 --time 2 --out " + (dir / "x.bmp").string()), 1);
  // A grid out of range or not WxH: status 2, as for the programs.
  for (const char* grid : {"19x10", "20x9", "1001x50", "80x1001", "80", "80x", "x50", "80x50x2", "-80x50", "8e1x50"})
    EXPECT_EQ(Framegrab(std::string("--order 3 --time 2 --grid ") + grid + out), 2) << grid;
  EXPECT_FALSE(fs::exists(dir / "x.txt"));
}

// --grid: H lines of W cells, the renderer's grid of that size with the
// logos at its centre.
TEST_F(FramegrabCondemo, GridOptionRendersThatGrid) {
  const fs::path out = dir / "grid.txt";
  ASSERT_EQ(Framegrab("--order 9 --time 61 --beats 3 --frame 5 --grid 123x45 --out " + out.string()), 0);
  FrameState frame;
  frame.sceneTime = 61.0;
  frame.pulse.beatCount = 3;
  frame.frameNumber = 5;
  frame.scene = StillScene(9, 61.0, frame.pulse);
  CellGrid grid({123, 45});
  RenderFrame(frame, 1, grid);
  std::string expected;
  char token[16];
  for (std::size_t i = 0; i < grid.cells.size(); ++i) {
    std::snprintf(token, sizeof token, "%02X%02X", grid.cells[i].ch & 0xFFu, grid.cells[i].attr & 0xFFu);
    expected += token;
    expected += i % 123 == 122 ? '\n' : ' ';
  }
  EXPECT_EQ(ReadFile(out), expected);
  ASSERT_EQ(Framegrab("--order 9 --time 61 --grid 20x10 --out " + out.string()), 0);
  EXPECT_EQ(ReadFile(out).size(), 10u * 20u * 5u);
}

}  // namespace
}  // namespace condemo
