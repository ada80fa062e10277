// capture's parts: the command line, the frame clock, the YUV pictures, the
// recording's strings.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "cast_file.h"
#include "media_file.h"
#include "options.h"
#include "shows.h"
#include "timing.h"

namespace capture {
namespace {

std::optional<Options> Parse(std::initializer_list<std::string> args) { return ParseOptions(args); }

TEST(CaptureOptions, DefaultsFollowTheOutput) {
  const Options video = *Parse({"gldemo", "out.mp4"});
  EXPECT_EQ(video.demo, Demo::kGldemo);
  EXPECT_EQ(video.container, Container::kMp4);
  EXPECT_EQ(video.fps, 60);
  EXPECT_EQ(video.scale, 2);
  EXPECT_FALSE(video.to);
  const Options cast = *Parse({"--from=2.5", "condemo", "dir.v1/out.cast", "--to", "7", "--state"});
  EXPECT_EQ(cast.container, Container::kCast);
  EXPECT_EQ(cast.fps, 30);
  EXPECT_EQ(cast.from, 2.5);
  EXPECT_EQ(*cast.to, 7.0);
  EXPECT_TRUE(cast.state);
  const Options lossless = *Parse({"condemo", "x.mkv", "--lossless"});
  EXPECT_TRUE(lossless.lossless);
  EXPECT_EQ(lossless.scale, 1);
  EXPECT_EQ(Parse({"condemo", "x.mkv", "--lossless", "--scale", "3"})->scale, 3);
  EXPECT_FALSE(Parse({"condemo", "--bogus", "--help"}));  // help wins over everything
}

TEST(CaptureOptions, BadCommandLinesSayWhy) {
  const auto error = [](std::initializer_list<std::string> args) -> std::string {
    try {
      ParseOptions(args);
    } catch (const UsageError& e) {
      return e.what();
    }
    return "accepted";
  };
  EXPECT_EQ(error({"condemo", "x.mp4", "--speed", "2"}), "unknown option '--speed'");
  EXPECT_EQ(error({"vgademo", "x.mp4"}), "unknown demo \"vgademo\" (condemo or gldemo)");
  EXPECT_EQ(error({"condemo", "x.avi"}), "unknown output type \".avi\" in x.avi (use .mp4, .mkv or .cast)");
  EXPECT_EQ(error({"condemo", "dir.mp4/x"}), "unknown output type \"\" in dir.mp4/x (use .mp4, .mkv or .cast)");
  EXPECT_EQ(error({"condemo", "x.mp4", "--fps", "0"}), "--fps must be a whole number from 1 to 240, not \"0\"");
  EXPECT_EQ(error({"condemo", "x.mp4", "--fps", "241"}), "--fps must be a whole number from 1 to 240, not \"241\"");
  EXPECT_EQ(error({"condemo", "x.mp4", "--fps", "29.97"}), "--fps must be a whole number from 1 to 240, not \"29.97\"");
  EXPECT_EQ(error({"condemo", "x.mp4", "--scale", "5"}), "--scale must be a whole number from 1 to 4, not \"5\"");
  EXPECT_EQ(error({"condemo", "x.mp4", "--from", "3", "--to", "3"}), "--from must be before --to");
  EXPECT_EQ(error({"condemo", "x.mp4", "--from", "-1"}),
            "--from needs seconds of the show (a number from 0 to 1000000), not \"-1\"");
  EXPECT_EQ(error({"condemo", "x.mp4", "--to", "nan"}),
            "--to needs seconds of the show (a number from 0 to 1000000), not \"nan\"");
  EXPECT_EQ(error({"condemo", "x.mp4", "--to"}), "--to needs a value");
  EXPECT_EQ(error({"condemo"}), "name a demo (condemo or gldemo) and an output file");
  EXPECT_EQ(error({"gldemo", "x.cast"}), ".cast recordings are of condemo only (it plays in a terminal)");
  EXPECT_EQ(error({"condemo", "x.cast", "--scale", "2"}), "--scale is for video files, not .cast");
  EXPECT_EQ(error({"condemo", "x.mp4", "--lossless"}), "--lossless writes FFV1 and FLAC in Matroska: name the output .mkv");
  EXPECT_EQ(error({"condemo", "x.mp4", "--grid", "19x10"}),
            "--grid takes a size WxH from 20x10 to 1000x1000, not \"19x10\"");
  EXPECT_EQ(error({"gldemo", "x.mp4", "--grid", "160x100"}), "--grid is for condemo (gldemo draws 80 x 50)");
  const std::optional<Options> grid = ParseOptions({"condemo", "x.cast", "--grid=240x150"});
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->grid, (kalt::GridSize{240, 150}));
}

TEST(CaptureClock, FramesAreThoseBeforeTheEnd) {
  EXPECT_EQ(FramesBetween(1.0, 3.0, 10), 20);
  EXPECT_EQ(FramesBetween(0.0, 0.3, 10), 3);  // frame 3 is at 0.3 itself
  EXPECT_EQ(FramesBetween(0.0, 0.30000000000000004, 10), 4);
  EXPECT_EQ(FramesBetween(0.1, 0.7, 10), 6);  // frame 6 is at 0.7 itself
  EXPECT_EQ(FramesBetween(0.0, kGldemoLoop, 60), 17600);
  EXPECT_EQ(FramesBetween(5.0, 4.0, 60), 0);
  EXPECT_EQ(SamplePosition(kGldemoLoop), kGldemoLoopSamples);
  EXPECT_EQ(SamplePosition(1.0 / 60.0), 735);
}

TEST(CaptureClock, GldemoBeatsLoopWithTheSong) {
  EXPECT_EQ(gldemo::BeatAtSeconds(10.0), static_cast<float>(10.0 * 0.6));
  EXPECT_EQ(gldemo::BeatAtSeconds(293.0), static_cast<float>(293.0 * 0.6));
  EXPECT_EQ(gldemo::BeatAtSeconds(kGldemoLoop), 0.0f);
  EXPECT_NEAR(gldemo::BeatAtSeconds(kGldemoLoop + 10.0), 6.0f, 1e-5f);
}

// The planes of a converted picture, packed.
struct Yuv {
  std::vector<std::uint8_t> planes[3];
};

Yuv Convert(const std::vector<std::uint32_t>& rgb0, int width, int height, int scale) {
  YuvConverter converter(width, height, scale);
  converter.Convert(rgb0.data());
  Yuv out;
  for (int p = 0; p < 3; ++p) {
    const int columns = p == 0 || scale % 2 ? width : width / 2, rows = p == 0 || scale % 2 ? height : height / 2;
    for (int y = 0; y < rows; ++y) {
      const std::uint8_t* row = converter.plane(p) + static_cast<std::ptrdiff_t>(y) * converter.stride(p);
      out.planes[p].insert(out.planes[p].end(), row, row + columns);
    }
  }
  return out;
}

// At every scale each pixel keeps the luma, and each chroma sample the
// chroma, of its own colour: 4:2:0 blocks at even scales lie inside one
// enlarged pixel, and odd scales keep the chroma whole.
TEST(CaptureYuv, EveryChromaSampleIsItsOwnPixelsColour) {
  std::mt19937 random(7);
  for (const int scale : {1, 2, 3}) {
    constexpr int kSource = 8;  // drawn pixels a side
    const int side = kSource * scale;
    std::vector<std::uint32_t> colours(kSource * kSource), picture(static_cast<std::size_t>(side * side));
    for (std::uint32_t& c : colours) c = random() & 0xFFFFFFu;
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) picture[y * side + x] = colours[(y / scale) * kSource + x / scale];
    const Yuv yuv = Convert(picture, side, side, scale);
    const int chromaStep = scale % 2 ? 1 : 2;
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        const std::uint32_t colour = picture[y * side + x];
        const Yuv plain = Convert(std::vector<std::uint32_t>(16, colour), 4, 4, scale);
        ASSERT_EQ(yuv.planes[0][y * side + x], plain.planes[0][0]) << "scale " << scale;
        if (y % chromaStep || x % chromaStep) continue;
        const std::size_t c = static_cast<std::size_t>((y / chromaStep) * (side / chromaStep) + x / chromaStep);
        ASSERT_EQ(yuv.planes[1][c], plain.planes[1][0]) << "scale " << scale << " at " << x << "," << y;
        ASSERT_EQ(yuv.planes[2][c], plain.planes[2][0]) << "scale " << scale << " at " << x << "," << y;
      }
    }
  }
}

TEST(CaptureMedia, SamplesAndEncodersOfTheLibraries) {
  EXPECT_EQ(SampleS16(0.5f), 16384);
  EXPECT_EQ(SampleS16(1.0f), 32767);
  EXPECT_EQ(SampleS16(-1.0f), -32768);
  EXPECT_EQ(SampleS16(-1.5f / 32768.0f), -2);  // halves round to even
  EXPECT_NO_THROW(RequireEncoder("libx264", "H.264"));
  try {
    RequireEncoder("no-such-encoder", "Nothing");
    FAIL();
  } catch (const CaptureError& e) {
    EXPECT_STREQ(e.what(), "the installed FFmpeg libraries have no Nothing encoder (\"no-such-encoder\")");
  }
}

TEST(CaptureCast, JsonStringsEscapeControlsAndQuotes) {
  EXPECT_EQ(JsonString("\x1b[0m\"a\\b\"\n\x7f\xe2\x96\x88"), "\"\\u001b[0m\\\"a\\\\b\\\"\\u000a\\u007f\xe2\x96\x88\"");
}

}  // namespace
}  // namespace capture
