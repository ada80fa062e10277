#include "vorbis.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>

namespace kalt::composer {
namespace {

constexpr int kSerialNumber = 0x4B414C54;  // "KALT"
constexpr long kBlock = 4096;             // frames handed to the encoder at a time

// The libvorbis and libogg state of one stream, released in reverse order.
struct Encoder {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  bool analysing = false;

  Encoder() {
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
  }
  ~Encoder() {
    if (analysing) {
      ogg_stream_clear(&stream);
      vorbis_block_clear(&block);
      vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;
};

void Append(std::vector<std::uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<std::uint8_t> EncodeVorbis(const std::vector<float>& left, const std::vector<float>& right, int rate,
                                       float quality, const VorbisTags& tags) {
  if (left.size() != right.size()) throw std::invalid_argument("Vorbis encoder: the channels differ in length");
  if (!(quality >= -0.1f && quality <= 1.0f))
    throw std::invalid_argument("Vorbis encoder: quality " + std::to_string(quality) + " is not -0.1 .. 1");
  Encoder e;
  if (vorbis_encode_init_vbr(&e.info, 2, rate, quality) != 0)
    throw std::invalid_argument("Vorbis encoder: rate " + std::to_string(rate) + " or quality " +
                                std::to_string(quality) + " refused");
  if (!tags.title.empty()) vorbis_comment_add_tag(&e.comment, "TITLE", tags.title.c_str());
  if (!tags.artist.empty()) vorbis_comment_add_tag(&e.comment, "ARTIST", tags.artist.c_str());
  vorbis_analysis_init(&e.dsp, &e.info);
  vorbis_block_init(&e.dsp, &e.block);
  ogg_stream_init(&e.stream, kSerialNumber);
  e.analysing = true;

  // 1. The three header packets, flushed onto pages of their own.
  std::vector<std::uint8_t> out;
  ogg_packet identification, comments, codebooks;
  vorbis_analysis_headerout(&e.dsp, &e.comment, &identification, &comments, &codebooks);
  ogg_stream_packetin(&e.stream, &identification);
  ogg_stream_packetin(&e.stream, &comments);
  ogg_stream_packetin(&e.stream, &codebooks);
  ogg_page page;
  while (ogg_stream_flush(&e.stream, &page) != 0) Append(out, page);

  // 2. The audio in blocks, then the end of stream (a block of 0 frames);
  //    every finished packet goes onto pages.
  const auto frames = static_cast<long>(left.size());
  for (long done = 0;;) {
    const long n = std::min(kBlock, frames - done);
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&e.dsp, static_cast<int>(n));
      std::copy_n(left.begin() + done, n, buffer[0]);
      std::copy_n(right.begin() + done, n, buffer[1]);
    }
    vorbis_analysis_wrote(&e.dsp, static_cast<int>(n));
    done += n;
    while (vorbis_analysis_blockout(&e.dsp, &e.block) == 1) {
      vorbis_analysis(&e.block, nullptr);
      vorbis_bitrate_addblock(&e.block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&e.dsp, &packet) == 1) {
        ogg_stream_packetin(&e.stream, &packet);
        while (ogg_stream_pageout(&e.stream, &page) != 0) Append(out, page);
      }
    }
    if (n == 0) break;
  }
  while (ogg_stream_flush(&e.stream, &page) != 0) Append(out, page);
  return out;
}

}  // namespace kalt::composer
