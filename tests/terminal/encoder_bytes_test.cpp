// The encoder's bytes on real frames of both shows, pinned by their hash:
// a change that makes the encoder faster must send the same bytes. Each
// sequence streams consecutive frames (the changed cells), then repaints
// them (every cell) and draws one on an unknown screen, in 16 colours and
// true colour, with each REP setting, for pictures of 80 x 50 on terminals
// that fit, frame or crop it, and for a bigger picture made of copies.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kalt_test/show_frames.h"
#include "terminal/screen.h"

namespace {

using kalt_test::ShowFrame;

// FNV-1a over the bytes, continued from `hash`.
std::uint64_t Hash(std::uint64_t hash, const std::string& bytes) {
  for (const char byte : bytes) {
    hash ^= static_cast<std::uint8_t>(byte);
    hash *= 1099511628211ull;
  }
  return hash;
}

// The hash of every byte that the frames make the encoder send on a
// terminal of the given size, in every way listed above.
std::uint64_t EncodedHash(const std::vector<ShowFrame>& frames, term::ScreenSize terminal) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const bool trueColour : {false, true}) {
    for (const term::Repeat repeat : {term::Repeat::kNone, term::Repeat::kAscii, term::Repeat::kAnyGlyph}) {
      for (const bool everyCell : {false, true}) {
        const term::EncodeOptions options{.trueColour = trueColour, .everyCell = everyCell, .repeat = repeat};
        term::ScreenState state;
        state.size = terminal;
        for (const ShowFrame& frame : frames) {
          std::string out;
          term::EncodeFrame({frame.cells, frame.columns, frame.rows}, options, state, out);
          hash = Hash(hash, out);
        }
        state.valid = false;
        std::string out;
        term::EncodeFrame({frames[0].cells, frames[0].columns, frames[0].rows}, options, state, out);
        hash = Hash(hash, out);
      }
    }
  }
  return hash;
}

std::vector<ShowFrame> Tiled(const std::vector<ShowFrame>& frames, int columns, int rows) {
  std::vector<ShowFrame> tiled;
  for (const ShowFrame& frame : frames) tiled.push_back(kalt_test::Tiled(frame, columns, rows));
  return tiled;
}

TEST(EncoderBytes, ShowFramesEncodeToTheirPinnedBytes) {
  std::vector<ShowFrame> condemo, gldemo;
  for (const auto& [order, time] : {std::pair{1, 12.0}, {8, 62.0}, {14, 105.0}, {18, 140.0}})
    for (ShowFrame& frame : kalt_test::CondemoFrames(order, time, 4)) condemo.push_back(std::move(frame));
  for (const float beat : {5.0f, 24.5f, 40.0f, 58.5f})
    for (ShowFrame& frame : kalt_test::GldemoFrames(beat, 4)) gldemo.push_back(std::move(frame));

  const struct {
    const char* what;
    const std::vector<ShowFrame>& frames;
    term::ScreenSize terminal;
    std::uint64_t hash;
  } cases[] = {
      {"condemo 80x50", condemo, {80, 50}, 11208675639406798122ull},
      {"condemo on 100x60", condemo, {100, 60}, 1909619829198612735ull},
      {"condemo on 61x23", condemo, {61, 23}, 8782219569132399594ull},
      {"gldemo 80x50", gldemo, {80, 50}, 3734855515034050133ull},
      {"gldemo on 79x49", gldemo, {79, 49}, 3371349833956996872ull},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodedHash(c.frames, c.terminal), c.hash) << c.what;
  EXPECT_EQ(EncodedHash(Tiled(condemo, 170, 64), {170, 64}), 747933873814236328ull) << "condemo 170x64";
  EXPECT_EQ(EncodedHash(Tiled(gldemo, 170, 64), {166, 60}), 13656746236128908167ull) << "gldemo 170x64 on 166x60";
}

}  // namespace
