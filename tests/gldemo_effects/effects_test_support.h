// Test helpers for the effects: gradient packs whose entries name their own
// index, canvases and their hashes.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cella/cella.h"
#include "gldemo/effects.h"

namespace effects_test {

using Pack = std::unique_ptr<cella::GradientPack>;
using CanvasPtr = std::unique_ptr<cella::Canvas>;

// A pack of `gradients` ramps of `entries` cells each (entries at most 255),
// loaded through the real loader from a BinaryText file. Entry e of
// gradient g is {ch e, fg g mod 16, bg 0}, so a drawn cell's character is
// the index its value selected.
inline Pack RampPack(int gradients, int entries) {
  const int width = 2 * entries;  // the rest of each row repeats the first cell
  std::vector<std::uint8_t> bytes;
  for (int g = 0; g < gradients; ++g)
    for (int c = 0; c < width; ++c) {
      bytes.push_back(static_cast<std::uint8_t>(c < entries ? c : 0));
      bytes.push_back(static_cast<std::uint8_t>(g % 16));
    }
  bytes.push_back(0x1A);
  // SAUCE 00 record of a BinaryText file: FileType is half the width.
  std::vector<std::uint8_t> record(128, 0);
  const char id[] = "SAUCE00";
  for (int i = 0; i < 7; ++i) record[i] = static_cast<std::uint8_t>(id[i]);
  record[94] = 5;
  record[95] = static_cast<std::uint8_t>(width / 2);
  bytes.insert(bytes.end(), record.begin(), record.end());

  char path[] = "/tmp/gldemo-effects-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
  close(fd);
  Pack pack(cella::LoadGradientPack(path));
  std::remove(path);
  if (!pack || pack->count != gradients || pack->gradients[0].count != entries) std::abort();
  return pack;
}

// The gradient file of the run tree (the tests run in run/bin).
inline Pack DemoPack() { return Pack(cella::LoadGradientPack("../Data20/gradient.bin")); }

// A canvas with every cell set to `fill`.
inline CanvasPtr FilledCanvas(int width, int height, cella::Pixel fill = {250, 3, 5}) {
  CanvasPtr canvas = std::make_unique<cella::Canvas>(width, height);
  for (int i = 0; i < width * height; ++i) canvas->data[i] = fill;
  return canvas;
}

inline const cella::Pixel& At(const cella::Canvas& canvas, int column, int row) {
  return canvas.data[row * canvas.width + column];
}

// FNV-1a over all cells, for golden pictures.
inline std::uint64_t Hash(const cella::Canvas& canvas) {
  std::uint64_t hash = 14695981039346656037ull;
  for (int i = 0; i < canvas.width * canvas.height; ++i) {
    const cella::Pixel& p = canvas.data[i];
    for (const std::uint8_t byte : {p.ch, static_cast<std::uint8_t>(p.fg), static_cast<std::uint8_t>(p.bg)}) {
      hash ^= byte;
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

inline bool SameCells(const cella::Canvas& a, const cella::Canvas& b) {
  if (a.width != b.width || a.height != b.height) return false;
  for (int i = 0; i < a.width * a.height; ++i)
    if (a.data[i] != b.data[i]) return false;
  return true;
}

}  // namespace effects_test
