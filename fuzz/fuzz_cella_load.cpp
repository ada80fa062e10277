// Feeds arbitrary bytes to the BinaryText loader and the gradient pack
// loader (through a file, as they read one).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "cella/cella.h"

namespace {

std::string ScratchPath() {
  char path[] = "/tmp/fuzz-cella-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) std::abort();
  close(fd);
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = ScratchPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (size) std::fwrite(data, 1, size, file);
  std::fclose(file);

  if (const std::unique_ptr<cella::Canvas> canvas{cella::Load(path.c_str())}) {
    // Every cell the loader reports must be addressable.
    const std::size_t cells = static_cast<std::size_t>(canvas->width) * canvas->height;
    unsigned sum = 0;
    for (std::size_t i = 0; i < cells; ++i) sum += canvas->data[i].ch;
    if (cells == 0 && sum != 0) std::abort();
  }
  if (const std::unique_ptr<cella::GradientPack> pack{cella::LoadGradientPack(path.c_str())}) {
    for (int g = 0; g < pack->count; ++g) {
      const cella::Gradient& gradient = pack->gradients[g];
      if (gradient.count < 1) std::abort();
      (void)gradient.pixels[cella::GradientIndex(gradient, 0.5f)];
    }
  }
  return 0;
}
