// Feeds arbitrary bytes to gldemo's Ogg Vorbis stream opener, and decodes,
// rewinds and decodes again whatever it accepts.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gldemo/ogg_stream.h"

// libvorbisfile 1.3.7 loses the 8-byte list of stream serial numbers it
// allocates while reading the headers when certain malformed header pages
// follow; the leak is the library's, not the stream's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libvorbisfile.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  auto stream = gldemo::OggStream::OpenBytes(std::vector<std::uint8_t>(data, data + size), &error);
  if (!stream) {
    if (error.empty()) std::abort();
    return 0;
  }
  // Up to ten seconds, in blocks of an odd size; a short block only at the
  // end, and nothing after it.
  constexpr std::size_t kBlock = 1531;
  std::vector<float> block(2 * kBlock);
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t done = 0; done < 10 * 44100; done += kBlock) {
      const std::size_t got = stream->Decode(block.data(), kBlock);
      if (got > kBlock) std::abort();
      if (got < kBlock) {
        if (stream->Decode(block.data(), kBlock) != 0) std::abort();
        break;
      }
    }
    if (!stream->Rewind()) break;
  }
  return 0;
}
