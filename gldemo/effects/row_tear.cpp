// RowTear: runs of randomly picked rows shifted sideways, black shifted in.
#include <cstdint>

#include "cella/cella.h"
#include "gldemo/effects.h"
#include "row_generators.h"

namespace gldemo {

namespace {

constexpr cella::Pixel kBlank = {0, 0, 0};

// A new shift: ((s mod 256) - 128) * amplitude, divided by 256 rounding
// towards minus infinity, as the 32-bit product (which wraps for huge
// amplitudes) shifted right arithmetically.
std::int32_t DrawShift(std::uint32_t s, std::int32_t amplitude) {
  const std::uint32_t product = (static_cast<std::uint32_t>(s & 255u) - 128u) * static_cast<std::uint32_t>(amplitude);
  return static_cast<std::int32_t>(product) >> 8;
}

// Moves a row `shift` cells to the left (right when negative). Each copy
// runs in the direction that reads every source cell before it is
// overwritten.
void ShiftRow(cella::Pixel* line, int width, std::int32_t shift) {
  if (shift > 0) {
    for (int column = 0; column < width; ++column)
      line[column] = column < width - shift ? line[column + shift] : kBlank;
  } else {
    for (int column = width - 1; column >= 0; --column)
      line[column] = column >= -shift ? line[column + shift] : kBlank;
  }
}

}  // namespace

void RowTear(cella::Canvas* canvas, std::uint32_t seed, int threshold, int amplitude) {
  if (!canvas || !canvas->data) return;
  detail::RowPicker picker{seed};
  detail::CellGenerator generator{seed};
  const std::int64_t limit = amplitude;
  std::int32_t shift = 0;
  for (int row = 0; row < canvas->height; ++row) {
    if (!picker.Next(threshold)) {
      shift = 0;
      continue;
    }
    // Consecutive picked rows keep their shift while it stays within the
    // amplitude; a shift of 0 draws anew.
    if (shift == 0 || shift > limit || shift < -limit) shift = DrawShift(generator.Next(), amplitude);
    if (shift != 0) ShiftRow(canvas->data + static_cast<long>(row) * canvas->width, canvas->width, shift);
  }
}

}  // namespace gldemo
