// A still frame of character cells, and its file formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace framegrab {

// Cells in row-major order, each a code page 437 character and a PC
// attribute byte (low nibble ink, high nibble paper).
struct Frame {
  int width = 80;
  int height = 50;
  std::vector<std::uint8_t> ch;
  std::vector<std::uint8_t> attr;
};

Frame MakeFrame(int width, int height);

// The width by height cells of frame from column x, row y; throws
// std::runtime_error when that rectangle is empty or leaves the frame.
Frame CropFrame(const Frame& frame, int x, int y, int width, int height);

// One line per row of space-separated tokens of four hex digits (50 lines
// of 80 for the console), character byte then attribute byte ("DB0C"): the
// stable format for tests.
std::string FormatTxt(const Frame& frame);
// ANSI text: UTF-8 characters with 16-colour SGR colours, one line per row,
// for viewing with cat in a terminal.
std::string FormatAns(const Frame& frame);

// A writer for one file extension (".png" and the like).
using FrameWriter = bool (*)(const Frame& frame, const std::string& path, std::string& error);
void RegisterWriter(const std::string& extension, FrameWriter writer);

// Writes the frame in the format that the path's extension names.
bool WriteFrame(const Frame& frame, const std::string& path, std::string& error);

}  // namespace framegrab
