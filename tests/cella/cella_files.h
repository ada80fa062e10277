// Test helpers: temporary files and SAUCE records.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace cella_test {

using Bytes = std::vector<std::uint8_t>;

// A file with the given bytes that is removed when the object goes.
class TempFile {
 public:
  explicit TempFile(const Bytes& bytes) {
    char name[] = "/tmp/cella-test-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    if (!bytes.empty() && write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
    close(fd);
    path_ = name;
  }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A 128-byte SAUCE 00 record of a BinaryText file; fileType is written as
// the 32-bit number at offset 95 (FileType, TInfo1, low byte of TInfo2).
inline Bytes Sauce(std::int32_t fileType) {
  Bytes record(128, ' ');
  const char id[] = "SAUCE00";
  for (int i = 0; i < 7; ++i) record[i] = static_cast<std::uint8_t>(id[i]);
  for (int i = 90; i < 128; ++i) record[i] = 0;
  record[94] = 5;
  for (int i = 0; i < 4; ++i) record[95 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(fileType) >> (8 * i));
  return record;
}

}  // namespace cella_test
