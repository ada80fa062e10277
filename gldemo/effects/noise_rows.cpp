// NoiseRows: randomly picked rows replaced by signal noise, random
// characters in grey-scale colours.
#include "cella/cella.h"
#include "gldemo/effects.h"
#include "row_generators.h"

namespace gldemo {

namespace {

// Colours by three bits of the generator: mostly black, some greys, white.
constexpr std::int8_t kNoiseColours[8] = {0, 0, 0, 0, 8, 7, 8, 15};

}  // namespace

void NoiseRows(cella::Canvas* canvas, std::uint32_t seed, int threshold) {
  if (!canvas || !canvas->data) return;
  detail::RowPicker picker{seed};
  detail::CellGenerator generator{seed};
  for (int row = 0; row < canvas->height; ++row) {
    if (!picker.Next(threshold)) continue;
    cella::Pixel* line = canvas->data + static_cast<long>(row) * canvas->width;
    for (int column = 0; column < canvas->width; ++column) {
      const std::uint32_t s = generator.Next();
      line[column] = {static_cast<std::uint8_t>(s & 255u), kNoiseColours[(s >> 8) & 7u],
                      kNoiseColours[(s >> 10) & 7u]};
    }
  }
}

}  // namespace gldemo
