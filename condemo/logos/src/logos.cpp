#include "condemo/logos.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>

#include "kalt/fmath.h"

namespace condemo {

namespace {

template <int Width, int Height>
struct LogoBitmap {
  std::array<std::int32_t, Width * Height> values{};
};

// Turns text art, one character per cell, into logo values: '#' body,
// 'o' outline, '.' transparent. A row of another length or another
// character does not compile.
template <int Width, int Height>
consteval LogoBitmap<Width, Height> LogoFromArt(const std::array<std::string_view, Height>& rows) {
  LogoBitmap<Width, Height> bitmap;
  for (int row = 0; row < Height; ++row) {
    if (rows[row].size() != static_cast<std::size_t>(Width)) throw "logo art: a row of the wrong length";
    for (int column = 0; column < Width; ++column) {
      std::int32_t& value = bitmap.values[row * Width + column];
      switch (rows[row][column]) {
        case '#': value = kLogoBody; break;
        case 'o': value = kLogoOutline; break;
        case '.': value = kLogoTransparent; break;
        default: throw "logo art: only '#', 'o' and '.'";
      }
    }
  }
  return bitmap;
}

// Logo 1: "KALT", 39 x 24.
constexpr auto kLogo1 = LogoFromArt<39, 24>({
    "oooooooooooooooooooooooo....ooooooooooo",
    "o###oo####o########o###o....o#########o",
    "o###oo####o########o###o....o#########o",
    "o###oo####o###oo###o###o....oooo###oooo",
    "o###o####oo###oo###o###o.......o###o...",
    "o###o####oo###oo###o###o.......o###o...",
    "o###o####oo###oo###o###o.......o###o...",
    "o#######ooo###oo###o###o.......o###o...",
    "o#######o.o###oo###o###o.......o###o...",
    "o#######o.o###oo###o###o.......o###o...",
    "o######oo.o###oo###o###o.......o###o...",
    "o######o..o########o###o.......o###o...",
    "o######o..o########o###o.......o###o...",
    "o######oo.o###oo###o###o.......o###o...",
    "o#######o.o###oo###o###o.......o###o...",
    "o#######o.o###oo###o###o.......o###o...",
    "o#######ooo###oo###o###o.......o###o...",
    "o###o####oo###oo###o###o.......o###o...",
    "o###o####oo###oo###o###o.......o###o...",
    "o###o####oo###oo###o###o.......o###o...",
    "o###oo####o###oo###o###oooooo..o###o...",
    "o###oo####o###oo###o########o..o###o...",
    "o###oo####o###oo###o########o..o###o...",
    "ooooooooooooooooooooooooooooo..ooooo...",
});

// Logo 2: "20", 19 x 24.
constexpr auto kLogo2 = LogoFromArt<19, 24>({
    "...................",
    "ooooooooooooooooooo",
    "o########o########o",
    "o########o########o",
    "oooooo###o###oo###o",
    ".....o###o###oo###o",
    ".....o###o###oo###o",
    ".....o###o###oo###o",
    ".....o###o###oo###o",
    ".....o###o###oo###o",
    "oooooo###o###oo###o",
    "o########o###oo###o",
    "o########o###oo###o",
    "o###oooooo###oo###o",
    "o###o....o###oo###o",
    "o###o....o###oo###o",
    "o###o....o###oo###o",
    "o###o....o###oo###o",
    "o###o....o###oo###o",
    "o###oooooo###oo###o",
    "o########o########o",
    "o########o########o",
    "ooooooooooooooooooo",
    "...................",
});

// Logo 3: "VORL", 44 x 19.
constexpr auto kLogo3 = LogoFromArt<44, 19>({
    "ooooo..ooooooooooooooooooooooooooooooo......",
    "o###o..o###o##########o#########oo###o......",
    "o###o..o###o##########o#########oo###o......",
    "o###o..o###o###oooo###o###oooo###o###o......",
    "o###o..o###o###o..o###o###o..o###o###o......",
    "o###o..o###o###o..o###o###o..o###o###o......",
    "o###o..o###o###o..o###o###o..o###o###o......",
    "o###o..o###o###o..o###o###oooo###o###o......",
    "o###o..o###o###o..o###o#########oo###o......",
    "o###oooo###o###o..o###o#########oo###o......",
    "oo###oo###oo###o..o###o###o###oooo###o......",
    ".o###oo###oo###o..o###o###o###oo.o###o......",
    ".oo######ooo###o..o###o###oo###o.o###o......",
    "..o######o.o###o..o###o###oo###ooo###o......",
    "..oo####oo.o###o..o###o###ooo###oo###o......",
    "...o####o..o###oooo###o###o.o###oo###ooooooo",
    "...o####o..o##########o###o.oo###o#########o",
    "...o####o..o##########o###o..o###o#########o",
    "...oooooo..oooooooooooooooo..ooooooooooooooo",
});

// Logo 4: "ZEB", 32 x 19.
constexpr auto kLogo4 = LogoFromArt<32, 19>({
    "ooooooooooooooooooooooooooooooo.",
    "o#########o#########o#########o.",
    "o#########o#########o#########oo",
    "oooooo####o###ooooooo###oooo###o",
    "....oo####o###o.....o###o..o###o",
    "....o####oo###o.....o###o..o###o",
    "...oo####oo###o.....o###o..o###o",
    "...o####ooo###ooooooo###oooo###o",
    "..oo####o.o########oo#########oo",
    "..o####oo.o########oo#########oo",
    ".oo####o..o###ooooooo###oooo###o",
    ".o####oo..o###o.....o###o..o###o",
    "oo####o...o###o.....o###o..o###o",
    "o####oo...o###o.....o###o..o###o",
    "o####o....o###o.....o###o..o###o",
    "o####oooooo###ooooooo###oooo###o",
    "o#########o#########o#########oo",
    "o#########o#########o#########o.",
    "ooooooooooooooooooooooooooooooo.",
});

const Logo kLogos[] = {
    {39, 24, kLogo1.values},
    {19, 24, kLogo2.values},
    {44, 19, kLogo3.values},
    {32, 19, kLogo4.values},
};

// Stamps a logo with its top-left cell at (row, column) of the 80 x 50
// window: cells are placed by linear index in the window, and those outside
// it are skipped; the window's cells then land on the grid at `origin`,
// and those outside the grid are skipped.
void Stamp(CellGrid& grid, LogoWindow origin, const Logo& logo, std::int64_t row, std::int64_t column) {
  for (int r = 0; r < logo.height; ++r) {
    for (int k = 0; k < logo.width; ++k) {
      const std::int32_t value = logo.At(k, r);
      const std::int64_t index = (row + r) * kColumns + column + k;
      if (value == kLogoTransparent || index < 0 || index >= kCellCount) continue;
      const std::int64_t x = index % kColumns + origin.column, y = index / kColumns + origin.row;
      if (x < 0 || y < 0 || x >= grid.columns || y >= grid.rows) continue;
      grid.At(static_cast<int>(x), static_cast<int>(y)) = value == kLogoBody ? Cell{219, 0x00} : Cell{254, 0x0F};
    }
  }
}

}  // namespace

LogoWindow LogoWindowOf(GridSize grid) {
  // Halves rounded down, also below 0 (a shift of a negative int is a floor
  // division by 2 since C++20).
  return {(grid.columns - kColumns) >> 1, (grid.rows - kRows) >> 1};
}

const Logo& LogoNumber(int number) {
  if (number < 1 || number > 4) throw std::out_of_range("logo number");
  return kLogos[number - 1];
}

void DrawLogos(CellGrid& grid, LogoJitter& jitter, Rand15& random, int orderPosition, const MusicPulse& pulse) {
  // 1. A new place on every beat (two beats in one frame: one re-roll).
  if (pulse.beatCount != jitter.lastBeat) {
    jitter.jx = random.Next() % 38;
    jitter.jy = random.Next() % 20;
    jitter.lastBeat = pulse.beatCount;
  }
  if (orderPosition < 1 || orderPosition > 3) return;

  // 2. The flash offsets; 64-bit positions keep any offset exact.
  const std::int64_t a = kalt::TruncInt(5.0f * pulse.flashA);
  const std::int64_t b = kalt::TruncInt(5.0f * pulse.flashB);
  const int jx = jitter.jx, jy = jitter.jy;

  // 3. The position's logos, in the 80 x 50 window at the grid's centre.
  const LogoWindow origin = LogoWindowOf(grid.size());
  switch (orderPosition) {
    case 1:
      Stamp(grid, origin, kLogos[0], 1 + jy + b, 6 + jx - a);
      Stamp(grid, origin, kLogos[1], 26 - jy - a, 39 - jx + b);
      break;
    case 2:
      Stamp(grid, origin, kLogos[2], 7 + jy - a, 1 + std::min(jx, 24) + b);
      break;
    case 3:
      Stamp(grid, origin, kLogos[3], 7 + jy - a, 1 + jx + b);
      break;
  }
}

}  // namespace condemo
