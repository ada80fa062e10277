#include "gldemo_pack.h"

#include <stdexcept>
#include <string>

#include "kalt/run_tree.h"

namespace framegrab {

std::unique_ptr<cella::GradientPack> LoadPack(const Options& options) {
  const std::string path = options.text("gradients", kalt::RunTreeFile("Data20/gradient.bin"));
  std::unique_ptr<cella::GradientPack> pack(cella::LoadGradientPack(path.c_str()));
  if (!pack)
    throw std::runtime_error("cannot load the gradient pack " + path + ": " + cella::FailureReason() +
                             " (give one with --gradients FILE)");
  return pack;
}

Frame ToFrame(const cella::Canvas& canvas) {
  Frame frame = MakeFrame(canvas.width, canvas.height);
  for (int i = 0; i < canvas.width * canvas.height; ++i) {
    const cella::Pixel& cell = canvas.data[i];
    frame.ch[i] = cell.ch;
    frame.attr[i] = static_cast<std::uint8_t>((cell.fg & 15) | (cell.bg & 15) << 4);
  }
  return frame;
}

}  // namespace framegrab
