// kalt/grid_size.h - the size of a picture in cells, and the one way every
// program reads it from its command line: "WxH", W columns by H rows, from
// 20 x 10 up to 1000 x 1000.
//
//   const kalt::GridSize grid = kalt::GridSizeOrExit("framegrab", "--grid", text);
#pragma once

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "kalt/cell.h"

namespace kalt {

// A picture of `columns` x `rows` cells; the console's 80 x 50 by default.
struct GridSize {
  int columns = kConsoleColumns;
  int rows = kConsoleRows;

  friend bool operator==(const GridSize&, const GridSize&) = default;
};

// The sizes a user may ask for, and how a message names them.
inline constexpr GridSize kSmallestGrid{20, 10};
inline constexpr GridSize kLargestGrid{1000, 1000};
inline constexpr char kGridSizeWanted[] = "a size WxH from 20x10 to 1000x1000";

// "WxH" (or "WXH"): two whole numbers in decimal digits, nothing else, the
// size from kSmallestGrid to kLargestGrid in each direction. Nothing for
// any other text.
inline std::optional<GridSize> ParseGridSize(std::string_view text) {
  const auto number = [](std::string_view digits, int& value) {
    if (digits.empty() || digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string_view::npos)
      return false;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return true;
  };
  const std::size_t x = text.find_first_of("xX");
  GridSize size;
  if (x == std::string_view::npos || !number(text.substr(0, x), size.columns) ||
      !number(text.substr(x + 1), size.rows))
    return std::nullopt;
  if (size.columns < kSmallestGrid.columns || size.rows < kSmallestGrid.rows ||
      size.columns > kLargestGrid.columns || size.rows > kLargestGrid.rows)
    return std::nullopt;
  return size;
}

// The size that `text`, the value of `option`, names; for any other text
// one line on standard error, "framegrab: --grid takes a size WxH from
// 20x10 to 1000x1000, not "9x9"", and exit status 2.
inline GridSize GridSizeOrExit(const char* program, const char* option, std::string_view text) {
  if (const std::optional<GridSize> size = ParseGridSize(text)) return *size;
  std::fprintf(stderr, "%s: %s takes %s, not \"%.*s\"\n", program, option, kGridSizeWanted,
               static_cast<int>(text.size()), text.data());
  std::exit(2);
}

}  // namespace kalt
