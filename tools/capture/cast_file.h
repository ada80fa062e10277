// asciicast v2 recordings: what a terminal player replays. One JSON header
// line, then one line per frame: [seconds, "o", "the bytes written"].
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "shows.h"
#include "terminal/screen.h"

namespace capture {

// The frame encoder's settings for recordings: the show's encoder as on a
// terminal of the picture's size that takes 24-bit colour, so that a player shows the
// PC palette itself rather than its own theme's 16 colours; only the cells
// that changed are sent.
inline constexpr term::EncodeOptions kCastEncoding{.trueColour = true, .everyCell = false};

// s as a JSON string, quotes included: bytes of UTF-8 pass as they are,
// quote and backslash are escaped, control characters become \uXXXX.
std::string JsonString(std::string_view s);

class CastFile {
 public:
  // Writes to `file` (not owned), starting with the header: version 2,
  // the grid's width and height (80 and 50 by default) and `title`.
  CastFile(std::FILE* file, std::string_view title, kalt::GridSize grid = {});

  // The bytes that bring the terminal to `cells` (a frame of the grid's
  // size), at `seconds` from the start of the recording (the first frame
  // draws every cell). A frame that changes nothing on the terminal adds no
  // event.
  void AddFrame(double seconds, kalt::CellView cells);

 private:
  std::FILE* file_;
  term::ScreenState screen_;
  std::string bytes_;
};

}  // namespace capture
