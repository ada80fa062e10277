// gldemo/music.h - the soundtrack: an Ogg Vorbis stream played on the shared
// audio output, with the play position the music clock is read from.
//
//   std::string error;
//   auto music = gldemo::Music::Start("../Data20/wierd-thing-one.ogg", {}, &error);
//   if (!music) { /* error says why */ }
//   int latency = music->LatencyMs();
//   music->Play();                 // or Play(frame): from that frame of the stream on
//   ... music->PositionBytes() ... music->Rewind() ...
//
// Positions are counted in bytes of 16-bit stereo audio at 44,100 Hz, 4 per
// frame (176,400 a second), of the stream's own material as the listener
// hears it: the output's device buffering is already taken off. Without a
// sound device the silent sink plays the stream in real time, so the
// position advances just as if it were heard.
//
// Decoding happens on the output's device thread, one device buffer at a
// time, from the file held in memory (see ogg_stream.h): a few hundred
// microseconds of CPU per buffer and never a wait for the disk.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/output.h"
#include "gldemo/ogg_stream.h"

namespace gldemo {

class Music final : public audio::Source {
 public:
  // Opens the stream at `path` (see OggStream::OpenFile for what is
  // refused) and the default output (a device, or the silent sink; the
  // options are for tests). Returns null, with the reason in *error (when
  // error is not null), when the stream cannot be opened.
  static std::unique_ptr<Music> Start(const std::string& path, const audio::OutputOptions& options,
                                      std::string* error);
  // Stops the output first.
  ~Music() override;
  Music(const Music&) = delete;
  Music& operator=(const Music&) = delete;

  // How long the output holds audio before it is heard, in milliseconds.
  int LatencyMs() const;
  // Starts playing from frame `from` of the stream (beyond its end: silence
  // from there). Later calls do nothing.
  void Play(std::uint64_t from = 0);
  // The position heard: bytes of the stream from its first frame to the
  // frame being heard now. 0 before Play, then from Play's frame on; it
  // stops moving at the end of the stream (silence follows). Main thread.
  std::uint64_t PositionBytes() const;
  // Back to the start: the position reads 0 at once and moves on once the
  // rewound stream reaches the listener (the audio already buffered plays
  // out first). Main thread.
  void Rewind();

  // audio::Source: decodes on the output's device thread.
  void Render(float* out, std::size_t frames, std::uint64_t firstFrame) override;

 private:
  Music(std::unique_ptr<OggStream> stream, std::unique_ptr<audio::Output> output);

  // The stream's frames start on the output's timeline at segmentStart_ (or
  // a rewind waits for the next Render: kRewinding) and end at segmentEnd_
  // (kOpenEnd while frames keep coming).
  static constexpr std::uint64_t kRewinding = ~std::uint64_t{0};
  static constexpr std::uint64_t kOpenEnd = ~std::uint64_t{0};

  std::unique_ptr<OggStream> stream_;  // device thread only, once playing
  std::unique_ptr<audio::Output> output_;
  std::atomic<std::uint64_t> segmentStart_{0};
  std::atomic<std::uint64_t> segmentEnd_{kOpenEnd};
  std::uint64_t segmentFirst_ = 0;  // the stream's frame at segmentStart_ (main thread)
};

}  // namespace gldemo
