#include "cast_file.h"

namespace capture {

std::string JsonString(std::string_view s) {
  std::string out = "\"";
  for (const char c : s) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + '"';
}

CastFile::CastFile(std::FILE* file, std::string_view title, kalt::GridSize grid) : file_(file) {
  screen_.size = {grid.columns, grid.rows};
  std::fprintf(file_, "{\"version\": 2, \"width\": %d, \"height\": %d, \"title\": %s}\n", grid.columns,
               grid.rows, JsonString(title).c_str());
}

void CastFile::AddFrame(double seconds, kalt::CellView cells) {
  bytes_.clear();
  term::EncodeFrame(term::FrameView{cells.cells, cells.columns, cells.rows}, kCastEncoding, screen_, bytes_);
  if (bytes_.empty()) return;
  std::fprintf(file_, "[%.6f, \"o\", %s]\n", seconds, JsonString(bytes_).c_str());
}

}  // namespace capture
