// The Ogg Vorbis decoder: libvorbisfile reading from the file's bytes in
// memory.
#include "gldemo/ogg_stream.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

namespace gldemo {

namespace {

constexpr long kRate = 44100;
// A stream that reports this many holes (lost or damaged pages) in a row
// without a frame in between is taken to have ended.
constexpr int kMaxHolesInARow = 64;
// The most frames asked of the decoder at once.
constexpr int kChunkFrames = 4096;

bool Fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

}  // namespace

struct OggStream::State {
  std::vector<std::uint8_t> bytes;
  std::size_t cursor = 0;  // the read position of the decoder in bytes
  OggVorbis_File file{};
  bool open = false;
  bool ended = false;

  ~State() {
    if (open) ov_clear(&file);
  }

  // The decoder's file access, over `bytes`.
  static std::size_t Read(void* to, std::size_t size, std::size_t count, void* source) {
    State& s = *static_cast<State*>(source);
    if (size == 0) return 0;
    const std::size_t items = std::min(count, (s.bytes.size() - s.cursor) / size);
    if (items) std::memcpy(to, s.bytes.data() + s.cursor, items * size);
    s.cursor += items * size;
    return items;
  }
  static int Seek(void* source, ogg_int64_t offset, int whence) {
    State& s = *static_cast<State*>(source);
    const ogg_int64_t base = whence == SEEK_SET   ? 0
                             : whence == SEEK_CUR ? static_cast<ogg_int64_t>(s.cursor)
                                                  : static_cast<ogg_int64_t>(s.bytes.size());
    if (offset < -base || offset > static_cast<ogg_int64_t>(s.bytes.size()) - base) return -1;
    s.cursor = static_cast<std::size_t>(base + offset);
    return 0;
  }
  static long Tell(void* source) { return static_cast<long>(static_cast<State*>(source)->cursor); }

  // Opens the decoder and checks every logical stream's format.
  bool Open(std::string* error) {
    const ov_callbacks callbacks = {Read, Seek, nullptr, Tell};
    if (ov_open_callbacks(this, &file, nullptr, 0, callbacks) < 0) return Fail(error, "not an Ogg Vorbis file");
    open = true;
    const long streams = ov_streams(&file);
    for (long link = 0; link < streams; ++link) {
      const vorbis_info* info = ov_info(&file, static_cast<int>(link));
      if (!info) return Fail(error, "damaged Ogg Vorbis headers");
      if (info->rate != kRate)
        return Fail(error, "sampled at " + std::to_string(info->rate) + " Hz; only 44100 Hz is played");
      if (info->channels != 1 && info->channels != 2)
        return Fail(error, std::to_string(info->channels) + " channels; only mono and stereo are played");
    }
    return true;
  }
};

OggStream::OggStream(std::unique_ptr<State> state) : state_(std::move(state)) {}
OggStream::~OggStream() = default;

std::unique_ptr<OggStream> OggStream::OpenFile(const std::string& path, std::string* error) {
  const auto refuse = [&](const std::string& reason) {
    Fail(error, path + ": " + reason);
    return std::unique_ptr<OggStream>();
  };
  // 1. A regular file of a sensible size: reading a pipe or a device could
  //    wait for ever or never end.
  std::error_code code;
  const auto status = std::filesystem::status(path, code);
  if (code) return refuse(code.message());
  if (!std::filesystem::is_regular_file(status)) return refuse("not a regular file");
  const std::uintmax_t size = std::filesystem::file_size(path, code);
  if (code) return refuse(code.message());
  if (size > kMaxOggBytes) return refuse("too large for a soundtrack");

  // 2. All of it into memory.
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return refuse(std::strerror(errno));
  const bool read = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fgetc(file) == EOF;
  std::fclose(file);
  if (!read) return refuse("cannot be read in full");

  // 3. The decoder.
  std::string reason;
  auto stream = OpenBytes(std::move(bytes), &reason);
  if (!stream) return refuse(reason);
  return stream;
}

std::unique_ptr<OggStream> OggStream::OpenBytes(std::vector<std::uint8_t> bytes, std::string* error) {
  auto state = std::make_unique<State>();
  state->bytes = std::move(bytes);
  if (!state->Open(error)) return nullptr;
  return std::unique_ptr<OggStream>(new OggStream(std::move(state)));
}

std::size_t OggStream::Decode(float* out, std::size_t frames) {
  State& s = *state_;
  std::size_t done = 0;
  int holes = 0;
  while (done < frames && !s.ended) {
    float** pcm = nullptr;
    int link = 0;
    const int ask = static_cast<int>(std::min<std::size_t>(frames - done, kChunkFrames));
    const long got = ov_read_float(&s.file, &pcm, ask, &link);
    if (got == OV_HOLE) {
      s.ended = ++holes > kMaxHolesInARow;
      continue;
    }
    const vorbis_info* info = got > 0 ? ov_info(&s.file, link) : nullptr;
    if (!info || info->channels < 1) {  // the end, or data past repair
      s.ended = true;
      break;
    }
    holes = 0;
    const float* left = pcm[0];
    const float* right = pcm[info->channels > 1 ? 1 : 0];
    for (long i = 0; i < got; ++i) {
      out[2 * (done + i)] = left[i];
      out[2 * (done + i) + 1] = right[i];
    }
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool OggStream::Rewind() { return Seek(0); }

bool OggStream::Seek(std::uint64_t frame) {
  State& s = *state_;
  s.ended = frame > static_cast<std::uint64_t>(std::numeric_limits<ogg_int64_t>::max()) || ov_pcm_seek(&s.file, static_cast<ogg_int64_t>(frame)) != 0;
  return !s.ended;
}

std::uint64_t OggStream::Frames() const {
  const ogg_int64_t total = ov_pcm_total(&state_->file, -1);
  return total > 0 ? static_cast<std::uint64_t>(total) : 0;
}

}  // namespace gldemo
