#include "gldemo_pack.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace framegrab {

namespace {

std::string DefaultPackPath() {
  std::error_code error;
  const std::filesystem::path tool = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "../Data20/gradient.bin";
  return (tool.parent_path().parent_path() / "run" / "Data20" / "gradient.bin").string();
}

}  // namespace

std::unique_ptr<cella::GradientPack> LoadPack(const Options& options) {
  const std::string path = options.text("gradients", DefaultPackPath());
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
