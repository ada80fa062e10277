#include "audio_files.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kalt::composer::testing {
namespace {

struct Memory {
  const std::vector<std::uint8_t>* bytes;
  std::size_t pos = 0;
};

std::size_t Read(void* out, std::size_t size, std::size_t count, void* source) {
  auto* m = static_cast<Memory*>(source);
  const std::size_t n = std::min(size * count, m->bytes->size() - m->pos);
  std::memcpy(out, m->bytes->data() + m->pos, n);
  m->pos += n;
  return size ? n / size : 0;
}

int Seek(void* source, ogg_int64_t offset, int whence) {
  auto* m = static_cast<Memory*>(source);
  const auto size = static_cast<ogg_int64_t>(m->bytes->size());
  const ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(m->pos) : size;
  if (base + offset < 0 || base + offset > size) return -1;
  m->pos = static_cast<std::size_t>(base + offset);
  return 0;
}

long Tell(void* source) { return static_cast<long>(static_cast<Memory*>(source)->pos); }

}  // namespace

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

DecodedOgg DecodeOgg(const std::vector<std::uint8_t>& bytes) {
  DecodedOgg out;
  Memory memory{&bytes};
  OggVorbis_File file;
  const ov_callbacks callbacks{Read, Seek, nullptr, Tell};
  if (ov_open_callbacks(&memory, &file, nullptr, 0, callbacks) != 0) return out;
  const vorbis_info* info = ov_info(&file, -1);
  out.rate = static_cast<int>(info->rate);
  out.channels = info->channels;
  while (true) {
    float** pcm = nullptr;
    int section = 0;
    const long n = ov_read_float(&file, &pcm, 4096, &section);
    if (n < 0) break;
    if (n == 0) {
      out.ok = out.channels == 2;
      break;
    }
    out.left.insert(out.left.end(), pcm[0], pcm[0] + n);
    out.right.insert(out.right.end(), pcm[out.channels > 1 ? 1 : 0], pcm[out.channels > 1 ? 1 : 0] + n);
  }
  ov_clear(&file);
  return out;
}

}  // namespace kalt::composer::testing
