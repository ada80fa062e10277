// framegrab gldemo: the tool draws exactly the composed frame, with the
// demo's gradient file, and refuses bad requests.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "effects_test_support.h"
#include "kalt_test/canvas_txt.h"
#include "kalt_test/tools.h"
#include "gldemo/timeline.h"

namespace {

using kalt_test::CanvasTxt;
using kalt_test::Framegrab;
using kalt_test::ReadFile;

class FramegrabGldemo : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* extension : {".txt", ".ans", ".png"}) std::remove((out_ + extension).c_str());
  }
  const std::string out_ = ::testing::TempDir() + "framegrab-gldemo-" + std::to_string(getpid());
};

TEST_F(FramegrabGldemo, DrawsTheComposedFrame) {
  const auto pack = effects_test::DemoPack();
  ASSERT_TRUE(pack);
  for (const char* beat : {"0.3", "17.25", "41.6", "56.4", "123.456"}) {
    ASSERT_EQ(Framegrab(std::string("gldemo --beat ") + beat + " --out " + out_ + ".txt"), 0) << beat;
    cella::Canvas expected(80, 50);
    gldemo::ComposeScene(&expected, std::strtof(beat, nullptr), *pack);
    EXPECT_EQ(ReadFile(out_ + ".txt"), CanvasTxt(expected)) << beat;
  }
  EXPECT_EQ(Framegrab("gldemo --beat 30 --out " + out_ + ".ans"), 0);
  EXPECT_EQ(Framegrab("gldemo --beat 30 --gradients ../Data20/gradient.bin --out " + out_ + ".png"), 0);
  EXPECT_GT(ReadFile(out_ + ".png").size(), 1000u);
}

TEST_F(FramegrabGldemo, FullFlashesAtTheStartOfTheirRows) {
  // The whole screen in full blocks (DB) of the flash colour (the low digit
  // of the attribute byte): black at 0 and in the break, light red at 16.
  const struct {
    const char* beat;
    char colour;
  } flashes[] = {{"0", '0'}, {"16.0", 'C'}, {"58.5", '0'}};
  for (const auto& flash : flashes) {
    ASSERT_EQ(Framegrab(std::string("gldemo --beat ") + flash.beat + " --out " + out_ + ".txt"), 0);
    const std::string text = ReadFile(out_ + ".txt");
    ASSERT_EQ(text.size(), 50u * 80 * 5);
    for (std::size_t i = 0; i < text.size(); i += 5) {
      ASSERT_EQ(text.substr(i, 2), "DB") << flash.beat << " at cell " << i / 5;
      ASSERT_EQ(text[i + 3], flash.colour) << flash.beat << " at cell " << i / 5;
    }
  }
}

TEST_F(FramegrabGldemo, RefusesBadRequests) {
  const std::string out = " --out " + out_ + ".txt";
  EXPECT_EQ(Framegrab("gldemo" + out), 1);                               // no beat
  EXPECT_EQ(Framegrab("gldemo --beat x" + out), 1);
  EXPECT_EQ(Framegrab("gldemo --beat 1e300" + out), 1);                  // not a float
  EXPECT_EQ(Framegrab("gldemo --beat 1 --time 2" + out), 1);             // not its option
  EXPECT_EQ(Framegrab("gldemo extra --beat 1" + out), 1);
  EXPECT_EQ(Framegrab("gldemo --beat 1 --gradients /nonexistent" + out), 1);
  const std::string tiny = ::testing::TempDir() + "gldemo-tiny-" + std::to_string(getpid()) + ".bin";
  std::ofstream(tiny) << "one row of art, far fewer gradients than the timeline reads";
  EXPECT_EQ(Framegrab("gldemo --beat 1 --gradients " + tiny + out), 1);
  std::remove(tiny.c_str());
  EXPECT_EQ(Framegrab("gldemo --beat 1"), 1);                            // no --out
}

}  // namespace
