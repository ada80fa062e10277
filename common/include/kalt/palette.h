// kalt/palette.h - the 16 colours of the PC text palette, the one table
// that the GL screen, the terminal and the still formats all draw from.
#pragma once

#include <cstdint>

namespace kalt {

// Red, green, blue (0..255) of PC colour index 0..15 (blue 1, green 2, red
// 4, intensity 8).
inline constexpr std::uint8_t kPcPalette[16][3] = {
    {0, 0, 0},     {0, 0, 128},   {0, 128, 0},   {0, 128, 128},   {128, 0, 0},   {128, 0, 128},
    {128, 128, 0}, {204, 204, 204}, {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},   {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
};

}  // namespace kalt
