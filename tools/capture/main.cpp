// capture: records either show offline as a video file with its sound, or
// condemo as a terminal recording, at a fixed frame rate: every frame is
// the picture the show draws at that moment, the sound is what it plays.
// The show's data is found beside the program (kalt::ShowFile); see kUsage
// (options.cpp) for the command line.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kalt/options.h"
#include "options.h"
#include "run.h"
#include "terminal/terminal.h"

int main(int argc, char** argv) {
  using namespace capture;
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--version") {
      kalt::PrintVersion("capture");
      return 0;
    }
  std::optional<Options> options;
  try {
    options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& e) {
    std::fprintf(stderr, "capture: %s (try capture --help)\n", e.what());
    return 2;
  }
  if (!options) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  CatchStopSignals();
  const int status = RunCapture(*options);
  // Stopped by a signal: everything is cleaned up; end by it, so that the
  // calling shell sees the interruption.
  if (const int sig = StopSignal()) term::DieOf(sig);
  return status;
}
