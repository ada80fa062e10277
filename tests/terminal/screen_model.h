// A small terminal model for tests: applies the control sequences that the
// frame encoder emits to a grid of cells, and reports anything else, and
// every character that would land outside the screen or wrap, as a test
// failure. Cursor moves: CUP (H), CHA (G), CUF (C), CUB (D), CUD (B), CNL
// (E), carriage return and backspace; REP
// (b) only straight after a character, and only after an ASCII one unless
// the model stands for a terminal that repeats any character.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "kalt/ansi.h"
#include "kalt/cp437.h"
#include "terminal/screen.h"

namespace term_test {

struct ModelCell {
  char32_t ch = U' ';
  int ink = -1;  // PC colour index; -1 the terminal's default
  int paper = -1;
};

class ScreenModel {
 public:
  ScreenModel(int columns, int rows, bool repeatsAnyCharacter = false)
      : columns_(columns), rows_(rows), cells_(columns * rows), repeatsAny_(repeatsAnyCharacter) {}

  const ModelCell& at(int row, int column) const { return cells_[row * columns_ + column]; }
  bool syncOpen() const { return syncOpen_; }

  void Feed(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size() && !::testing::Test::HasFatalFailure()) {
      const auto c = static_cast<unsigned char>(bytes[i]);
      if (c == 0x1B) {
        ASSERT_LT(i + 1, bytes.size());
        ASSERT_EQ(bytes[i + 1], '[') << "only CSI sequences expected";
        std::size_t end = i + 2;
        while (end < bytes.size() && (bytes[end] < 0x40 || bytes[end] > 0x7E)) ++end;
        ASSERT_LT(end, bytes.size()) << "unfinished CSI";
        Csi(bytes.substr(i + 2, end - i - 2), bytes[end]);
        i = end + 1;
      } else if (c == '\r' || c == '\b') {
        ASSERT_TRUE(syncOpen_) << "control byte outside a synchronized update";
        ASSERT_GE(row_, 0) << "control byte at an unknown cursor position";
        if (c == '\b') {
          ASSERT_TRUE(column_ > 0 && column_ < columns_) << "backspace from column " << column_;
        }
        column_ = c == '\r' ? 0 : column_ - 1;
        last_ = 0;
        ++i;
      } else {
        char32_t ch = 0;
        int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        ASSERT_LE(i + length, bytes.size());
        ch = length == 1 ? c : c & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k) ch = ch << 6 | (bytes[i + k] & 0x3F);
        ASSERT_GE(ch, 0x20u) << "control byte " << int(c);
        Print(ch);
        i += length;
      }
    }
  }

 private:
  static int PcFromAnsi(int ansi) { return kalt::AnsiColour(ansi); }  // the mapping is its own inverse

  static int PcFromRgb(int r, int g, int b) {
    for (int pc = 0; pc < 16; ++pc)
      if (kalt::kPcPalette[pc][0] == r && kalt::kPcPalette[pc][1] == g && kalt::kPcPalette[pc][2] == b) return pc;
    ADD_FAILURE() << "colour not in the palette";
    return -1;
  }

  void Print(char32_t ch) {
    ASSERT_TRUE(syncOpen_) << "character outside a synchronized update";
    ASSERT_GE(row_, 0) << "character at an unknown cursor position";
    ASSERT_LT(column_, columns_) << "character would wrap at row " << row_;
    ASSERT_LT(row_, rows_);
    cells_[row_ * columns_ + column_] = {ch, ink_, paper_};
    ++column_;
    last_ = ch;
  }

  void Csi(std::string_view params, char final) {
    const char32_t last = last_;
    last_ = 0;
    std::vector<int> numbers;
    bool privateMode = !params.empty() && params[0] == '?';
    if (privateMode) params.remove_prefix(1);
    int value = -1;
    for (const char p : params) {
      if (p == ';') {
        numbers.push_back(value);
        value = -1;
      } else {
        ASSERT_TRUE(p >= '0' && p <= '9') << "parameter byte " << p;
        value = (value < 0 ? 0 : value * 10) + (p - '0');
      }
    }
    numbers.push_back(value);
    const auto number = [&](std::size_t k, int fallback) {
      return k < numbers.size() && numbers[k] >= 0 ? numbers[k] : fallback;
    };
    if (privateMode) {
      ASSERT_EQ(numbers[0], 2026);
      ASSERT_TRUE(final == 'h' || final == 'l');
      ASSERT_NE(syncOpen_, final == 'h') << "unbalanced synchronized update";
      syncOpen_ = final == 'h';
      return;
    }
    ASSERT_TRUE(syncOpen_) << "sequence outside a synchronized update";
    switch (final) {
      case 'H':
        row_ = number(0, 1) - 1;
        column_ = number(1, 1) - 1;
        ASSERT_TRUE(row_ >= 0 && row_ < rows_ && column_ >= 0 && column_ < columns_) << "cursor off the screen";
        break;
      case 'C':
        ASSERT_GE(row_, 0);
        ASSERT_LT(column_, columns_) << "relative move from the edge";
        column_ += number(0, 1);
        ASSERT_LT(column_, columns_) << "cursor moved off the screen";
        break;
      case 'D':
        ASSERT_GE(row_, 0);
        ASSERT_LT(column_, columns_) << "relative move from the edge";
        column_ -= number(0, 1);
        ASSERT_GE(column_, 0) << "cursor moved off the screen";
        break;
      case 'G':
        ASSERT_GE(row_, 0);
        column_ = number(0, 1) - 1;
        ASSERT_TRUE(column_ >= 0 && column_ < columns_) << "cursor off the screen";
        break;
      case 'B':
        ASSERT_GE(row_, 0);
        ASSERT_LT(column_, columns_) << "the column at the edge is not known";
        row_ += number(0, 1);
        ASSERT_LT(row_, rows_) << "cursor moved off the screen";
        break;
      case 'E':
        ASSERT_GE(row_, 0);
        row_ += number(0, 1);
        column_ = 0;
        ASSERT_LT(row_, rows_) << "cursor moved off the screen";
        break;
      case 'b':
        ASSERT_NE(last, 0u) << "REP not straight after a character";
        ASSERT_TRUE(repeatsAny_ || last < 0x7F) << "REP of a character that tmux does not repeat";
        for (int n = number(0, 1); n > 0 && !::testing::Test::HasFatalFailure(); --n) Print(last);
        break;
      case 'J':
        ASSERT_EQ(number(0, 0), 2);
        for (ModelCell& cell : cells_) cell = {U' ', ink_, paper_};
        break;
      case 'm':
        for (std::size_t k = 0; k < numbers.size(); ++k) {
          const int n = number(k, 0);
          if (n == 0) {
            ink_ = paper_ = -1;
          } else if ((n >= 30 && n <= 37) || (n >= 90 && n <= 97)) {
            ink_ = PcFromAnsi(n % 10 + (n >= 90 ? 8 : 0));
          } else if ((n >= 40 && n <= 47) || (n >= 100 && n <= 107)) {
            paper_ = PcFromAnsi(n % 10 + (n >= 100 ? 8 : 0));
          } else if ((n == 38 || n == 48) && number(k + 1, 0) == 2) {
            (n == 38 ? ink_ : paper_) = PcFromRgb(number(k + 2, 0), number(k + 3, 0), number(k + 4, 0));
            k += 4;
          } else {
            ADD_FAILURE() << "SGR " << n;
          }
        }
        break;
      default:
        ADD_FAILURE() << "CSI final " << final;
    }
  }

  int columns_, rows_;
  std::vector<ModelCell> cells_;
  bool repeatsAny_;
  int row_ = -1, column_ = -1;
  int ink_ = -1, paper_ = -1;
  bool syncOpen_ = false;
  char32_t last_ = 0;  // the character just printed, 0 after any sequence
};

// Checks that the model shows the frame as the terminal should: the
// centred picture, cropped to the screen, each cell's glyph with the
// colours that the glyph shows.
inline void ExpectShows(const ScreenModel& model, term::ScreenSize size, term::FrameView frame) {
  const term::Placement place = term::PlacePicture(size, {frame.columns, frame.rows});
  for (int row = 0; row < size.rows; ++row) {
    for (int column = 0; column < size.columns; ++column) {
      const int pictureRow = row - place.rowOffset, pictureColumn = column - place.columnOffset;
      if (pictureRow < 0 || pictureRow >= frame.rows || pictureColumn < 0 || pictureColumn >= frame.columns) continue;
      const term::Look look = term::CellLook(frame.cells[pictureRow * frame.columns + pictureColumn]);
      const ModelCell& cell = model.at(row, column);
      ASSERT_EQ(cell.ch, kalt::kCp437[look.glyph]) << "row " << row << " column " << column;
      if (look.ink >= 0) {
        ASSERT_EQ(cell.ink, look.ink) << "row " << row << " column " << column;
      }
      if (look.paper >= 0) {
        ASSERT_EQ(cell.paper, look.paper) << "row " << row << " column " << column;
      }
    }
  }
}
inline void ExpectShows(const ScreenModel& model, term::ScreenSize size, term::GridView grid) {
  ExpectShows(model, size, term::FrameView{grid, term::kGridColumns, term::kGridRows});
}

}  // namespace term_test
