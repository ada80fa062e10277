// Writing BinaryText files: picture, end-of-file marker and SAUCE 00 record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gradgen {

struct SauceInfo {
  std::string title;   // up to 35 characters
  std::string author;  // up to 20
  std::string group;   // up to 20
  std::string date;    // CCYYMMDD
  std::string font = "IBM VGA50";
  int width = 160;     // columns; even, 2..510
  bool iceColors = true;  // bright backgrounds instead of blinking
};

// The 128-byte SAUCE 00 record of a BinaryText picture of pictureBytes bytes.
std::vector<std::uint8_t> SauceRecord(const SauceInfo& info, std::uint32_t pictureBytes);

// The whole file: picture bytes, 0x1A, record.
std::vector<std::uint8_t> BinaryTextFile(const std::vector<std::uint8_t>& picture, const SauceInfo& info);

}  // namespace gradgen
