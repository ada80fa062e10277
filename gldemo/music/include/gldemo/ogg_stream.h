// gldemo/ogg_stream.h - an Ogg Vorbis file decoded to 44,100 Hz stereo.
//
//   std::string error;
//   auto stream = gldemo::OggStream::OpenFile("song.ogg", &error);
//   if (!stream) { /* error says why */ }
//   float block[2 * 1024];
//   std::size_t got = stream->Decode(block, 1024);   // fewer only at the end
//   stream->Rewind();                                // back to the first frame
//   stream->Seek(44100);                             // to the frame one second in
//
// The whole compressed file is held in memory, so decoding never waits for
// the disk and may run on an audio thread: a call costs about as much CPU as
// the frames it returns.
//
// Accepted: Ogg Vorbis at 44,100 Hz with one or two channels, in every
// logical stream of the file (a mono stream plays on both sides). Files at
// other sample rates are refused rather than resampled: the music clock
// counts frames at 44,100 Hz, and the soundtrack is made at that rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gldemo {

// Larger files are refused before they are read: no soundtrack comes near it.
constexpr std::uint64_t kMaxOggBytes = std::uint64_t{256} << 20;

class OggStream {
 public:
  // Opens the file at `path`. Returns null, with a one-line reason in
  // *error (when error is not null), when the file is missing, unreadable,
  // not a regular file, larger than kMaxOggBytes, not Ogg Vorbis, or in a
  // format not accepted above.
  static std::unique_ptr<OggStream> OpenFile(const std::string& path, std::string* error);
  // The same for a file's bytes held in memory (taken over by the stream).
  static std::unique_ptr<OggStream> OpenBytes(std::vector<std::uint8_t> bytes, std::string* error);

  ~OggStream();
  OggStream(const OggStream&) = delete;
  OggStream& operator=(const OggStream&) = delete;

  // Decodes the next frames into out[0 .. 2 * frames) as interleaved left,
  // right samples (nominally -1..1). Returns how many frames it wrote: all
  // asked for, or fewer once the stream has ended (0 from then on). Damaged
  // data is skipped; data that cannot be decoded at all ends the stream.
  std::size_t Decode(float* out, std::size_t frames);

  // Back to the first frame: Seek(0).
  bool Rewind();
  // To frame `frame` of the stream: the next Decode starts there. False
  // (and the stream is ended: Decode returns 0) when the file cannot be
  // sought or the frame lies beyond its end.
  bool Seek(std::uint64_t frame);

  // The length of the stream in frames, as the file declares it.
  std::uint64_t Frames() const;

  struct State;

 private:
  explicit OggStream(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace gldemo
