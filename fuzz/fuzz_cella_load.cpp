// Feeds arbitrary bytes to the BinaryText loader and the gradient pack
// loader, straight from memory.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "cella/cella.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::unique_ptr<cella::Canvas> canvas{cella::LoadFromMemory(data, size)};
  if (!canvas && !*cella::FailureReason()) std::abort();  // a failure always says why
  int rows = 0;
  if (canvas) {
    // Every cell the loader reports must be addressable.
    const std::size_t cells = static_cast<std::size_t>(canvas->width) * canvas->height;
    unsigned sum = 0;
    for (std::size_t i = 0; i < cells; ++i) sum += canvas->data[i].ch;
    if (cells == 0 && sum != 0) std::abort();
    rows = canvas->height;
  }

  const std::unique_ptr<cella::GradientPack> pack{cella::LoadGradientPackFromMemory(data, size)};
  // One gradient per row of the same art; a picture without rows gives none.
  if ((pack ? pack->count : 0) != rows) std::abort();
  if (pack) {
    for (int g = 0; g < pack->count; ++g) {
      const cella::Gradient& gradient = pack->gradients[g];
      if (gradient.count < 1 || gradient.count > canvas->width) std::abort();
      if (gradient.pixels[0] != canvas->data[static_cast<std::size_t>(g) * canvas->width]) std::abort();
      (void)gradient.pixels[cella::GradientIndex(gradient, 0.5f)];
    }
  }
  return 0;
}
