// capture's command line.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "kalt/grid_size.h"

namespace capture {

enum class Demo { kCondemo, kGldemo };

// What the output file's extension asks for.
enum class Container {
  kMp4,       // .mp4: H.264 and AAC (no --lossless)
  kMatroska,  // .mkv: H.264 and AAC, or FFV1 and FLAC with --lossless
  kCast,      // .cast: an asciicast v2 terminal recording (condemo only)
};

struct Options {
  Demo demo = Demo::kCondemo;
  Container container = Container::kMp4;
  std::string out;  // as given, relative to the working directory
  int fps = 60;     // 1..240; 30 for .cast unless given
  // 1..4: a cell is 8 * scale pixels a side. Default 2 (1280 x 800, where
  // H.264's 4:2:0 chroma loses nothing), 1 with --lossless.
  int scale = 2;
  // condemo's grid of cells (--grid WxH): a video of grid.columns x 8 x
  // scale by grid.rows x 8 x scale pixels, a recording of that terminal
  // size. 80 x 50 unless given.
  kalt::GridSize grid;
  double from = 0.0;         // seconds of the show, >= 0
  // Seconds of the show, > from. None: to the show's end (condemo), or to the
  // end of the loop `from` lies in (gldemo).
  std::optional<double> to;
  bool lossless = false;
  // Print each frame's state on stdout as the framegrab options that draw
  // the same frame.
  bool state = false;
};

// A command line that makes no sense: the message names what is wrong.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The usage text printed by --help.
extern const char* const kUsage;

// Parses the arguments after the program name. Returns nothing when --help
// was asked for (anywhere on the line). Throws UsageError for an unknown
// demo, extension or option, an option without its value or with a value
// out of range (--fps 1..240 whole frames a second, --scale 1..4, --from
// and --to 0..1000000 seconds, --from before --to, --grid WxH from 20x10
// to 1000x1000), and options that do not fit the output (--scale or
// --lossless for .cast, a .cast of gldemo, --grid for gldemo, --lossless
// for .mp4).
std::optional<Options> ParseOptions(const std::vector<std::string>& args);

}  // namespace capture
