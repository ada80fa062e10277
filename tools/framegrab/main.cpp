// framegrab: renders single frames of the demos headless, for tests, stills
// and previews while editing.
//
//   framegrab COMMAND [options] --out FILE
//
// The file's extension picks the format: .txt (hex tokens, the stable format
// for tests), .ans (ANSI text for a terminal), and the formats registered by
// the linked modules.
#include <exception>
#include <iostream>
#include <string>

#include "commands.h"

namespace framegrab {

// The commands, one per kind of frame.
const Command kCommands[] = {
    {"condemo",
     "--order N --time SECONDS [--flash A,B,C] [--beats N] [--max-travel X] [--frame N] [--threads N] "
     "[--jitter JX,JY]",
     RenderCondemo},
    {"effect", "NAME --time T [parameters] [--gradients FILE]", RenderEffect},
    {"gldemo", "--beat T [--gradients FILE] (the whole frame, on a fresh canvas)", RenderGldemo},
};

}  // namespace framegrab

int main(int argc, char** argv) {
  using namespace framegrab;
  const auto usage = [] {
    std::cerr << "usage: framegrab COMMAND [options] --out FILE\n";
    for (const Command& command : kCommands)
      std::cerr << "  framegrab " << command.name << " " << command.usage << " --out FILE\n";
    return 2;
  };
  if (argc < 2) return usage();
  const std::string name = argv[1];
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    try {
      const Options options(argc, argv, 2);
      const std::string out = options.text("out");
      if (out.empty()) throw std::runtime_error("--out FILE is required");
      const Frame frame = command.render(options);
      std::string error;
      if (!WriteFrame(frame, out, error)) throw std::runtime_error(error);
      return 0;
    } catch (const std::exception& e) {
      std::cerr << "framegrab " << name << ": " << e.what() << "\n";
      return 1;
    }
  }
  return usage();
}
