// Ogg Vorbis files made in the tests with libvorbisenc.
#pragma once

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace gldemo_test {

// The sample of channel c at frame i.
using Signal = std::function<float(long i, int c)>;

// Writes `frames` frames of `signal` at `rate` Hz with `channels` channels
// to path as Ogg Vorbis (quality 0.4). False when the encoder refuses the
// format or the file cannot be written.
inline bool WriteOgg(const std::string& path, long rate, int channels, long frames, const Signal& signal) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, 0.4f) != 0) {
    vorbis_info_clear(&info);
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    vorbis_info_clear(&info);
    return false;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 20);
  ogg_page page;
  ogg_packet packet;
  bool written = true;
  const auto writePage = [&] {
    written &= std::fwrite(page.header, 1, page.header_len, file) == static_cast<std::size_t>(page.header_len);
    written &= std::fwrite(page.body, 1, page.body_len, file) == static_cast<std::size_t>(page.body_len);
  };

  // 1. The three header packets, flushed onto pages of their own.
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  while (ogg_stream_flush(&stream, &page)) writePage();

  // 2. The audio in blocks, then the end of the stream (a block of 0).
  constexpr long kBlock = 1024;
  for (long done = 0;;) {
    const long count = frames - done < kBlock ? frames - done : kBlock;
    if (count > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (long i = 0; i < count; ++i)
        for (int c = 0; c < channels; ++c) buffer[c][i] = signal(done + i, c);
    }
    vorbis_analysis_wrote(&dsp, static_cast<int>(count));
    done += count;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page)) writePage();
      }
    }
    if (count == 0) break;
  }
  while (ogg_stream_flush(&stream, &page)) writePage();

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  written &= std::fclose(file) == 0;
  return written;
}

// A quiet 440 Hz tone, opposite on the right.
inline float Tone(long i, int c) {
  const float s = 0.5f * static_cast<float>(std::sin(2.0 * 3.141592653589793 * 440.0 * static_cast<double>(i) / 44100.0));
  return c == 0 ? s : -s;
}

// Quiet noise, which fills many pages.
inline float Noise(long i, int c) {
  const auto x = static_cast<unsigned long>(i) * 2654435761ul + static_cast<unsigned long>(c) * 40503ul;
  return static_cast<float>((x >> 7) % 2001) / 4000.0f - 0.25f;
}

}  // namespace gldemo_test
