// A cella canvas in the stable .txt form of framegrab, for comparing a
// canvas with what the tool wrote.
#pragma once

#include <cstdio>
#include <string>

#include "cella/cella.h"

namespace kalt_test {

// A canvas in framegrab's .txt form: one line per row of space-separated
// tokens, character byte then attribute byte in hex.
inline std::string CanvasTxt(const cella::Canvas& canvas) {
  std::string text;
  char token[8];
  for (int i = 0; i < canvas.width * canvas.height; ++i) {
    const cella::Pixel& p = canvas.data[i];
    std::snprintf(token, sizeof token, "%02X%02X", p.ch, (p.fg & 15) | ((p.bg & 15) << 4));
    text += token;
    text += i % canvas.width == canvas.width - 1 ? "\n" : " ";
  }
  return text;
}

}  // namespace kalt_test
