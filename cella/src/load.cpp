// The BinaryText loader: character and attribute byte pairs, ended by an
// end-of-file marker, with the picture width in a SAUCE 00 record.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "cella/cella.h"

namespace cella {

namespace {

constexpr int kDefaultWidth = 160;  // the customary BinaryText width
constexpr int kMaxWidth = 65536;
constexpr std::size_t kSauceSize = 128;

// Reads a whole regular file; anything else (a folder, a device) fails.
bool ReadFile(const char* path, std::vector<std::uint8_t>& bytes) {
  if (!path) return false;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  struct stat info;
  bool ok = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
  if (ok) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }
  std::fclose(file);
  return ok;
}

bool IsUpper(std::uint8_t b) { return b >= 'A' && b <= 'Z'; }

// The first end-of-file marker: 0x1A followed by three upper-case letters.
bool FindMarker(const std::vector<std::uint8_t>& bytes, std::size_t& marker) {
  for (std::size_t i = 0; i + 3 < bytes.size(); ++i) {
    if (bytes[i] == 0x1A && IsUpper(bytes[i + 1]) && IsUpper(bytes[i + 2]) && IsUpper(bytes[i + 3])) {
      marker = i;
      return true;
    }
  }
  return false;
}

// The picture width of the SAUCE record at q: twice the 32-bit number at its
// offset 95 (FileType followed by TInfo1 and the low byte of TInfo2), or 0
// when that is not a usable width.
int RecordWidth(const std::vector<std::uint8_t>& bytes, std::size_t q) {
  const std::uint8_t* p = bytes.data() + q + 95;
  const std::int64_t fileType = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
      static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
  const std::int64_t width = 2 * fileType;
  return width >= 1 && width <= kMaxWidth ? static_cast<int>(width) : 0;
}

}  // namespace

Canvas* Load(const char* path) {
  std::vector<std::uint8_t> bytes;
  if (!ReadFile(path, bytes)) return nullptr;
  const std::size_t size = bytes.size();

  // 1. Where the picture ends and where the SAUCE record is.
  std::size_t end = 0;
  int width = 0;
  if (FindMarker(bytes, end)) {
    if (end + 100 < size) {
      for (std::size_t q = end + 1; q + 99 < size; ++q) {
        if (std::memcmp(bytes.data() + q, "SAUCE00", 7) == 0) {
          width = RecordWidth(bytes, q);
          break;
        }
      }
    }
  } else {
    // No marker: the whole file is picture data, unless a record ends it.
    end = size;
    if (size >= kSauceSize && std::memcmp(bytes.data() + size - kSauceSize, "SAUCE00", 7) == 0) {
      end = size - kSauceSize;
      width = RecordWidth(bytes, end);
    }
  }
  if (width == 0) width = kDefaultWidth;

  // 2. Enough rows for all cells; the cells the data do not reach stay default.
  const std::size_t cells = end / 2;
  const std::size_t height = (cells + static_cast<std::size_t>(width) - 1) / static_cast<std::size_t>(width);
  if (height > INT32_MAX) return nullptr;
  auto canvas = std::make_unique<Canvas>(width, static_cast<int>(height));
  for (std::size_t k = 0; k < cells; ++k) {
    const std::uint8_t attribute = bytes[2 * k + 1];
    canvas->data[k] = {bytes[2 * k], static_cast<std::int8_t>(attribute & 15),
                       static_cast<std::int8_t>(attribute >> 4)};
  }
  return canvas.release();
}

}  // namespace cella
