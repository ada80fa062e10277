// framegrab: renders single frames of the demos headless, for tests, stills
// and previews while editing.
//
//   framegrab COMMAND [options] [--crop X,Y,W,H] --out FILE
//
// The file's extension picks the format: .txt (hex tokens, the stable format
// for tests), .ans (ANSI text for a terminal), and the formats registered by
// the linked modules.
#include <algorithm>
#include <cmath>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "kalt/options.h"

namespace framegrab {

// The commands, one per kind of frame.
const Command kCommands[] = {
    {"condemo",
     "--order N --time SECONDS [--flash A,B,C] [--beats N] [--max-travel X] [--frame N] [--threads N] "
     "[--jitter JX,JY] [--grid WxH]",
     RenderCondemo},
    {"effect", "NAME --time T [parameters] [--gradients FILE]", RenderEffect},
    {"gldemo", "--beat T [--gradients FILE] (the whole frame, on a fresh canvas)", RenderGldemo},
};

}  // namespace framegrab

int main(int argc, char** argv) {
  using namespace framegrab;
  const std::string usage = [] {
    std::string text = "usage: framegrab COMMAND [options] [--crop X,Y,W,H] --out FILE\n";
    for (const Command& command : kCommands)
      text += std::string("  framegrab ") + command.name + " " + command.usage + " --out FILE\n";
    text +=
        "The extension of FILE picks the format: .txt (hex tokens), .ans (ANSI text) or .png (the window's\n"
        "pixels). --crop keeps the W by H cells from column X, row Y.\n";
    return text;
  }();
  if (argc < 2) {
    std::cerr << usage;
    return 2;
  }
  const std::string name = argv[1];
  kalt::StandardOption(name, "framegrab", usage.c_str());
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    try {
      const Options options(argc, argv, 2);
      const std::string out = options.text("out");
      if (out.empty()) throw std::runtime_error("--out FILE is required");
      Frame frame = command.render(options);
      if (options.has("crop")) {
        const std::vector<double> crop = options.numbers("crop");
        const auto whole = [](double v) { return v >= 0 && v <= 9999 && v == std::floor(v); };
        if (crop.size() != 4 || !std::all_of(crop.begin(), crop.end(), whole))
          throw std::runtime_error("--crop takes four whole numbers X,Y,W,H");
        frame = CropFrame(frame, static_cast<int>(crop[0]), static_cast<int>(crop[1]), static_cast<int>(crop[2]),
                          static_cast<int>(crop[3]));
      }
      std::string error;
      if (!WriteFrame(frame, out, error)) throw std::runtime_error(error);
      return 0;
    } catch (const std::exception& e) {
      std::cerr << "framegrab " << name << ": " << e.what() << "\n";
      return 1;
    }
  }
  kalt::UnknownOption("framegrab", name);
}
