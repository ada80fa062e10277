// condemo/logos.h - the logos of the opening: the show's name and its
// makers in block letters, stamped over the rendered grid during order
// positions 1 to 3, jumping to a new place on every beat and shaken by the
// flashes.
#pragma once

#include <cstdint>
#include <span>

#include "condemo/frame_state.h"
#include "condemo/rand15.h"

namespace condemo {

// What a logo cell draws.
inline constexpr std::int32_t kLogoOutline = 0;      // character 254 in bright white on black
inline constexpr std::int32_t kLogoBody = 1;         // character 219 in black: blacks the cell out
inline constexpr std::int32_t kLogoTransparent = 2;  // nothing

// A logo bitmap: width x height values, row-major.
struct Logo {
  int width;
  int height;
  std::span<const std::int32_t> values;

  std::int32_t At(int column, int row) const { return values[row * width + column]; }
};

// The four logos: 1 "KALT" (39 x 24) and 2 "20" (19 x 24) at order
// position 1, 3 "VORL" (44 x 19) at 2, 4 "ZEB" (32 x 19) at 3. Every body
// is ringed by outline exactly one cell wide (its eight neighbours), and
// logo 2's first and last rows are transparent. number is 1..4; any other
// number throws std::out_of_range.
const Logo& LogoNumber(int number);

// The jitter, kept from frame to frame; start with a default record.
struct LogoJitter {
  int jx = 0;                  // 0..37
  int jy = 0;                  // 0..19
  std::int32_t lastBeat = 0;   // beatCount at the last re-roll
};

// Where the 80 x 50 window that the logos are placed in lies on a grid:
// window cell (c, r) is grid cell (c + column, r + row), with column =
// floor((columns - 80) / 2) and row = floor((rows - 50) / 2), negative on a
// smaller grid. On 80 x 50 it is (0, 0).
struct LogoWindow {
  int column;
  int row;
};
LogoWindow LogoWindowOf(GridSize grid);

// The logo step of a frame, on the loop thread after rendering, with the
// frame's pulse (the snapshot the frame was rendered with):
// 1. when beatCount differs from the last re-roll's, draws jx = next mod 38
//    and then jy = next mod 20 from `random` (whatever the order position);
// 2. at order positions 1, 2 and 3 only, stamps that position's logos with
//    offsets a = trunc(5 flashA), b = trunc(5 flashB) (single-precision
//    products) at the linear cell index row * 80 + column, so a column
//    beyond 79 goes on in the next row:
//      logo 1 at row 1 + jy + b, column 6 + jx - a, then
//      logo 2 at row 26 - jy - a, column 39 - jx + b (position 1);
//      logo 3 at row 7 + jy - a, column 1 + min(jx, 24) + b (position 2);
//      logo 4 at row 7 + jy - a, column 1 + jx + b (position 3).
// Cells whose index falls outside 0..3999 are skipped, whatever the flash
// values (also infinite or not a number).
// On a grid of another size the logos are placed so in an 80 x 50 window
// centred on the grid (LogoWindowOf), and the cells of the window that lie
// outside the grid are skipped: a logo is cut only between whole cells.
void DrawLogos(CellGrid& grid, LogoJitter& jitter, Rand15& random, int orderPosition, const MusicPulse& pulse);

}  // namespace condemo
