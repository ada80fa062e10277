// A test card for the text screen: every character in changing colours,
// a line of text and bars of solid blocks in the 16 colours.
#pragma once

#include <cstdint>
#include <cstring>

#include "cella/cella.h"

namespace gldisplay_test {

inline void DrawTestCard(cella::Canvas& card) {
  for (int y = 0; y < card.height; ++y) {
    for (int x = 0; x < card.width; ++x) {
      cella::Pixel& cell = card.data[y * card.width + x];
      if (y >= 40) {
        // Rows 40 to 49: a bar of full blocks per colour, five columns each.
        cell = {219, static_cast<std::int8_t>(x / 5), 0};
      } else {
        cell = {static_cast<std::uint8_t>(x + y * 80), static_cast<std::int8_t>(1 + (x + y) % 15),
                static_cast<std::int8_t>(y / 3 % 8)};
      }
    }
  }
  // Transparent shows black; the Add mode's 17..31 show their low bits.
  card.data[0] = {'T', cella::Transparent, cella::Transparent};
  card.data[1] = {'A', 20, 17};
  const char text[] = " Kalt #20 - cella console ";
  for (std::size_t i = 0; i < std::strlen(text) && 27 + static_cast<int>(i) < card.width; ++i)
    card.data[20 * card.width + 27 + static_cast<int>(i)] = {static_cast<std::uint8_t>(text[i]), 15, 1};
}

}  // namespace gldisplay_test
