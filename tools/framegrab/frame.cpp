#include "frame.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

#include "kalt/ansi.h"
#include "kalt/cp437.h"

namespace framegrab {

Frame MakeFrame(int width, int height) {
  Frame frame;
  frame.width = width;
  frame.height = height;
  frame.ch.assign(static_cast<std::size_t>(width) * height, 0);
  frame.attr.assign(static_cast<std::size_t>(width) * height, 0);
  return frame;
}

Frame CropFrame(const Frame& frame, int x, int y, int width, int height) {
  if (x < 0 || y < 0 || width < 1 || height < 1 || width > frame.width - x || height > frame.height - y)
    throw std::runtime_error("--crop must name a rectangle inside the " + std::to_string(frame.width) + " by " +
                             std::to_string(frame.height) + " frame");
  Frame part = MakeFrame(width, height);
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) {
      const std::size_t from = static_cast<std::size_t>(y + row) * frame.width + (x + column);
      const std::size_t to = static_cast<std::size_t>(row) * width + column;
      part.ch[to] = frame.ch[from];
      part.attr[to] = frame.attr[from];
    }
  return part;
}

std::string FormatTxt(const Frame& frame) {
  std::string out;
  char token[8];
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * frame.width + x;
      std::snprintf(token, sizeof token, "%02X%02X", frame.ch[i], frame.attr[i]);
      if (x) out += ' ';
      out += token;
    }
    out += '\n';
  }
  return out;
}

namespace {

void AppendSgr(std::string& out, std::uint8_t attr) {
  out += "\x1b[";
  kalt::AppendSgrColour(out, attr & 15, false, false);
  out += ';';
  kalt::AppendSgrColour(out, attr >> 4, true, false);
  out += 'm';
}

std::map<std::string, FrameWriter>& Writers() {
  static std::map<std::string, FrameWriter> writers;
  return writers;
}

bool WriteText(const std::string& text, const std::string& path, std::string& error) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) error = "cannot write " + path;
  return static_cast<bool>(out);
}

}  // namespace

std::string FormatAns(const Frame& frame) {
  std::string out;
  for (int y = 0; y < frame.height; ++y) {
    int last = -1;
    for (int x = 0; x < frame.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * frame.width + x;
      if (frame.attr[i] != last) AppendSgr(out, frame.attr[i]);
      last = frame.attr[i];
      kalt::AppendCp437(out, frame.ch[i]);
    }
    out += "\x1b[0m\n";
  }
  return out;
}

void RegisterWriter(const std::string& extension, FrameWriter writer) { Writers()[extension] = writer; }

bool WriteFrame(const Frame& frame, const std::string& path, std::string& error) {
  const std::size_t dot = path.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : path.substr(dot);
  if (extension == ".txt") return WriteText(FormatTxt(frame), path, error);
  if (extension == ".ans") return WriteText(FormatAns(frame), path, error);
  if (const auto it = Writers().find(extension); it != Writers().end()) return it->second(frame, path, error);
  error = "unknown output format \"" + extension + "\" (use .txt or .ans";
  for (const auto& [name, writer] : Writers()) error += " or " + name;
  error += ")";
  return false;
}

}  // namespace framegrab
