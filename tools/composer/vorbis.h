// Ogg Vorbis encoding with libvorbisenc.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kalt::composer {

struct VorbisTags {
  std::string title;
  std::string artist;
};

// Encodes stereo audio at `rate` Hz as an Ogg Vorbis stream of variable bit
// rate at `quality` (-0.1 .. 1, 0.5 about 160 kbit/s). The stream's serial
// number is fixed, so the same audio and settings always give the same
// bytes. Throws std::invalid_argument when the channels differ in length,
// the quality lies outside -0.1 .. 1 or the encoder refuses the rate.
std::vector<std::uint8_t> EncodeVorbis(const std::vector<float>& left, const std::vector<float>& right, int rate,
                                       float quality, const VorbisTags& tags);

}  // namespace kalt::composer
