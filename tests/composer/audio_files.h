// Reading back what the composer writes: whole files, and Ogg Vorbis streams
// decoded with libvorbisfile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kalt::composer::testing {

std::vector<std::uint8_t> ReadBytes(const std::string& path);

struct DecodedOgg {
  bool ok = false;  // a Vorbis stream that decoded to the end
  int rate = 0;
  int channels = 0;
  std::vector<float> left, right;
};

DecodedOgg DecodeOgg(const std::vector<std::uint8_t>& bytes);

}  // namespace kalt::composer::testing
