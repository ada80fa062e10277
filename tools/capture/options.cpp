#include "options.h"

#include "kalt/options.h"

namespace capture {

const char* const kUsage =
    "usage: capture condemo|gldemo OUT.mp4|OUT.mkv [--fps N] [--scale N] [--from S] [--to S] [--lossless] [--state]\n"
    "       capture condemo OUT.cast [--fps N] [--from S] [--to S] [--state]\n"
    "       (condemo also [--grid WxH])\n"
    "\n"
    "Records a show offline, frame by frame at a fixed frame rate, with its sound.\n"
    "It reads the show's data from the working directory as the shows do, or else\n"
    "from the run tree it belongs to.\n"
    "\n"
    "  OUT.mp4     H.264 and AAC, ready to upload\n"
    "  OUT.mkv     the same in Matroska; with --lossless FFV1 (RGB) and FLAC\n"
    "  OUT.cast    an asciicast v2 terminal recording of condemo\n"
    "  --fps N     frames per second, 1..240 (default 60; 30 for .cast)\n"
    "  --scale N   8N x 8N pixels a cell, 1..4 (default 2: 1280 x 800; with\n"
    "              --lossless 1: 640 x 400)\n"
    "  --from S    start at S seconds of the show (default 0)\n"
    "  --to S      end before S seconds of the show (default: the show's end;\n"
    "              for gldemo the end of the loop of 176 bars, 293.3 s)\n"
    "  --grid WxH  condemo on W x H cells instead of 80 x 50, 20x10 to 1000x1000:\n"
    "              the same view, finer or wider (240x150 at --scale 1 is\n"
    "              1920 x 1200)\n"
    "  --lossless  frames that decode to exactly the drawn pixels (.mkv only)\n"
    "  --state     print each frame's state as the framegrab options that draw it\n"
    "  --help      print this and exit\n"
    "  --version   print the version and exit\n";

namespace {

Container ContainerOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  const std::string extension =
      dot == std::string::npos || (slash != std::string::npos && dot < slash) ? "" : path.substr(dot);
  if (extension == ".mp4") return Container::kMp4;
  if (extension == ".mkv") return Container::kMatroska;
  if (extension == ".cast") return Container::kCast;
  throw UsageError("unknown output type \"" + extension + "\" in " + path + " (use .mp4, .mkv or .cast)");
}

double Seconds(const std::string& name, const std::string& value) {
  const std::optional<double> seconds = kalt::ReadSeconds(value);
  if (!seconds)
    throw UsageError(name + " needs seconds of the show (a number from 0 to 1000000), not \"" + value + "\"");
  return *seconds;
}

int WholeNumber(const std::string& name, const std::string& value, int low, int high) {
  const std::optional<long> number = kalt::ReadWholeNumber(value, low, high);
  if (!number)
    throw UsageError(name + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                     ", not \"" + value + "\"");
  return static_cast<int>(*number);
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args) {
  for (const std::string& arg : args)
    if (arg == "--help" || arg == "-h") return std::nullopt;

  // 1. The words: "--name value" (or "--name=value") pairs, the flags, and
  //    the demo and the output as positional words.
  Options options;
  std::vector<std::string> positional;
  std::optional<std::string> fps, scale, from, to, grid;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      positional.push_back(arg);
      continue;
    }
    std::optional<std::string> inlineValue;
    if (const std::size_t equals = arg.find('='); equals != std::string::npos && arg.starts_with("--")) {
      inlineValue = arg.substr(equals + 1);
      arg.resize(equals);
    }
    if (arg == "--lossless" || arg == "--state") {
      if (inlineValue) throw UsageError(arg + " takes no value");
      (arg == "--lossless" ? options.lossless : options.state) = true;
      continue;
    }
    std::optional<std::string>* slot = arg == "--fps"     ? &fps
                                       : arg == "--scale" ? &scale
                                       : arg == "--from"  ? &from
                                       : arg == "--to"    ? &to
                                       : arg == "--grid"  ? &grid
                                                          : nullptr;
    if (!slot) throw UsageError("unknown option '" + arg + "'");
    if (!inlineValue) {
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      inlineValue = args[++i];
    }
    *slot = *inlineValue;
  }

  // 2. The demo and the output.
  if (positional.size() < 2) throw UsageError("name a demo (condemo or gldemo) and an output file");
  if (positional.size() > 2) throw UsageError("unexpected argument \"" + positional[2] + "\"");
  if (positional[0] == "condemo") options.demo = Demo::kCondemo;
  else if (positional[0] == "gldemo") options.demo = Demo::kGldemo;
  else throw UsageError("unknown demo \"" + positional[0] + "\" (condemo or gldemo)");
  options.out = positional[1];
  options.container = ContainerOf(options.out);

  // 3. The values.
  const bool cast = options.container == Container::kCast;
  options.fps = fps ? WholeNumber("--fps", *fps, 1, 240) : cast ? 30 : 60;
  options.scale = scale ? WholeNumber("--scale", *scale, 1, 4) : options.lossless ? 1 : 2;
  if (from) options.from = Seconds("--from", *from);
  if (to) options.to = Seconds("--to", *to);
  if (options.to && !(options.from < *options.to)) throw UsageError("--from must be before --to");
  if (grid) {
    const std::optional<kalt::GridSize> size = kalt::ParseGridSize(*grid);
    if (!size) throw UsageError(std::string("--grid takes ") + kalt::kGridSizeWanted + ", not \"" + *grid + "\"");
    if (options.demo != Demo::kCondemo) throw UsageError("--grid is for condemo (gldemo draws 80 x 50)");
    options.grid = *size;
  }

  // 4. What the output can hold.
  if (cast) {
    if (options.demo != Demo::kCondemo) throw UsageError(".cast recordings are of condemo only (it plays in a terminal)");
    if (scale) throw UsageError("--scale is for video files, not .cast");
    if (options.lossless) throw UsageError("--lossless is for video files; a .cast holds the exact bytes anyway");
  }
  if (options.lossless && options.container == Container::kMp4)
    throw UsageError("--lossless writes FFV1 and FLAC in Matroska: name the output .mkv");
  return options;
}

}  // namespace capture
