// kalt/ansi.h - the 16 colours of the PC text palette as terminal colours
// (SGR parameters), for showing cells on terminals and in ANSI text files.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

#include "kalt/palette.h"

namespace kalt {

// A PC colour index (blue 1, green 2, red 4, intensity 8) as the ANSI colour
// number (red 1, green 2, blue 4, bright 8). Only the low four bits count.
constexpr int AnsiColour(int pc) { return (pc & 8) | (pc & 1) << 2 | (pc & 2) | (pc & 4) >> 2; }

// Appends a decimal number.
inline void AppendDecimal(std::string& out, int value) {
  char digits[12];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, static_cast<std::size_t>(end - digits));
}

// Appends the SGR parameters that select PC colour `pc` (low four bits) as
// ink (paper = false) or paper: 30..37 / 90..97 for ink and 40..47 /
// 100..107 for paper, or with trueColour the palette entry as
// 38;2;r;g;b / 48;2;r;g;b. Only the parameters: no CSI, no final "m".
inline void AppendSgrColour(std::string& out, int pc, bool paper, bool trueColour) {
  pc &= 15;
  if (trueColour) {
    out += paper ? "48;2;" : "38;2;";
    AppendDecimal(out, kPcPalette[pc][0]);
    out += ';';
    AppendDecimal(out, kPcPalette[pc][1]);
    out += ';';
    AppendDecimal(out, kPcPalette[pc][2]);
  } else {
    const int ansi = AnsiColour(pc);
    AppendDecimal(out, (paper ? 40 : 30) + (ansi & 8 ? 60 : 0) + (ansi & 7));
  }
}

}  // namespace kalt
