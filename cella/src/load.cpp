// The BinaryText loader: character and attribute byte pairs, ended by an
// end-of-file marker, with the picture width in a SAUCE 00 record.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "cella/cella.h"
#include "failure.h"

namespace cella {

namespace {

constexpr int kDefaultWidth = 160;  // the customary BinaryText width
constexpr int kMaxWidth = 65536;
constexpr std::size_t kSauceSize = 128;

thread_local const char* lastFailure = "";

// The reason for a file that open() refused with errno `error`.
const char* OpenFailure(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return "no such file";
    case EACCES:
    case EPERM:
      return "permission denied";
    default:
      return "cannot open";
  }
}

// Reads a whole regular file; anything else (a folder, a device, a pipe)
// fails. The file is opened without waiting, so a pipe without a writer is
// refused at once instead of blocking. The reason of a failure, or null.
const char* ReadFile(const char* path, std::vector<std::uint8_t>& bytes) {
  if (!path) return "no path";
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return OpenFailure(errno);
  struct stat info;
  const char* failure = nullptr;
  if (fstat(fd, &info) != 0) {
    failure = "read error";
  } else if (S_ISDIR(info.st_mode)) {
    failure = "is a directory";
  } else if (!S_ISREG(info.st_mode)) {
    failure = "not a regular file";
  } else {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;  // an error, or the file shrank
      done += static_cast<std::size_t>(got);
    }
    if (done < bytes.size()) failure = "read error";
  }
  close(fd);
  return failure;
}

bool IsUpper(std::uint8_t b) { return b >= 'A' && b <= 'Z'; }

// The first end-of-file marker: 0x1A followed by three upper-case letters.
bool FindMarker(const std::uint8_t* bytes, std::size_t size, std::size_t& marker) {
  for (std::size_t i = 0; i + 3 < size; ++i) {
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
int RecordWidth(const std::uint8_t* bytes, std::size_t q) {
  const std::uint8_t* p = bytes + q + 95;
  const std::int64_t fileType = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
      static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
  const std::int64_t width = 2 * fileType;
  return width >= 1 && width <= kMaxWidth ? static_cast<int>(width) : 0;
}

}  // namespace

void SetFailureReason(const char* reason) { lastFailure = reason; }

const char* FailureReason() { return lastFailure; }

Canvas* Load(const char* path) {
  SetFailureReason("");
  std::vector<std::uint8_t> bytes;
  if (const char* failure = ReadFile(path, bytes)) return Fail(failure);
  return LoadFromMemory(bytes.data(), bytes.size());
}

Canvas* LoadFromMemory(const void* data, std::size_t size) {
  SetFailureReason("");
  if (!data && size != 0) return Fail("no data");
  const auto* bytes = static_cast<const std::uint8_t*>(data);

  // 1. Where the picture ends and where the SAUCE record is.
  std::size_t end = 0;
  int width = 0;
  if (FindMarker(bytes, size, end)) {
    if (end + 100 < size) {
      for (std::size_t q = end + 1; q + 99 < size; ++q) {
        if (std::memcmp(bytes + q, "SAUCE00", 7) == 0) {
          width = RecordWidth(bytes, q);
          break;
        }
      }
    }
  } else {
    // No marker: the whole file is picture data, unless a record ends it.
    end = size;
    if (size >= kSauceSize && std::memcmp(bytes + size - kSauceSize, "SAUCE00", 7) == 0) {
      end = size - kSauceSize;
      width = RecordWidth(bytes, end);
    }
  }
  if (width == 0) width = kDefaultWidth;

  // 2. Enough rows for all cells; the cells the data do not reach stay default.
  const std::size_t cells = end / 2;
  const std::size_t height = (cells + static_cast<std::size_t>(width) - 1) / static_cast<std::size_t>(width);
  if (height > INT32_MAX) return Fail("picture too large");
  auto canvas = std::make_unique<Canvas>(width, static_cast<int>(height));
  for (std::size_t k = 0; k < cells; ++k) {
    const std::uint8_t attribute = bytes[2 * k + 1];
    canvas->data[k] = {bytes[2 * k], static_cast<std::int8_t>(attribute & 15),
                       static_cast<std::int8_t>(attribute >> 4)};
  }
  return canvas.release();
}

}  // namespace cella
