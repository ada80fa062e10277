// offline_song.h - condemo's song rendered here rather than pulled by an
// audio output: for captures, and for a show that starts later than the
// song's beginning (the music up to there is rendered and heard at once).
//
//   std::string error;
//   auto song = condemo::OfflineSong::Open(path, {.loop = false}, firstKept, &error);
//   song->HearUpTo(position);   // notes up to position strike song->Pulse()
//   ... song->Order() ...
//   song->TakeSound(out, frames);
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "audio/output.h"
#include "condemo/pulse.h"
#include "music/player.h"

namespace condemo {

// The song is rendered in blocks of this many frames from its start, as the
// audio output pulls it with its default device buffer: libopenmpt's sound
// depends on the sizes of the pieces it is asked for, so these are the
// pieces the show plays.
inline constexpr std::size_t kSongBlockFrames = audio::OutputOptions{}.bufferFrames;

// The song with the show's effects chain and its instruments hooked to a
// pulse, as the show plays it. Notes and rows count as heard once the
// position reaches their frame, exactly as the output's cue thread lets
// them be heard live (the chain's own delay is in their frames already).
// Positions are frames of the song from its start. One thread at a time.
class OfflineSong {
 public:
  // Loads the module at `path`; the sound from frame firstKept on is kept
  // for TakeSound (the largest value keeps none). Null, with the reason in
  // *error (when error is not null), when the player cannot load it.
  static std::unique_ptr<OfflineSong> Open(const std::string& path, const music::PlayerOptions& options,
                                           std::int64_t firstKept, std::string* error);
  OfflineSong(const OfflineSong&) = delete;
  OfflineSong& operator=(const OfflineSong&) = delete;

  // Renders the song up to and including `position` and hears everything up
  // to it.
  void HearUpTo(std::int64_t position);

  int Order() const { return player_->HeardOrder(); }
  bool Ended() const { return player_->EndHeard(); }
  PulseState& Pulse() { return pulse_; }
  music::Player& Player() { return *player_; }

  // The next frames of the kept sound, rendering more as needed.
  void TakeSound(float* out, std::size_t frames);

  // Keeps the sound from frame `position` on instead, dropping what was
  // kept: no earlier than the first frame of the last block rendered (so
  // any position at or after the last one heard will do).
  void KeepFrom(std::int64_t position);

 private:
  explicit OfflineSong(std::int64_t firstKept) : firstKept_(firstKept) {}
  // Renders whole blocks until `end` is rendered.
  void RenderTo(std::int64_t end);

  PulseState pulse_;  // struck by the player's handlers: declared before it, so it outlives it
  std::unique_ptr<music::Player> player_;
  std::int64_t firstKept_;
  std::int64_t rendered_ = 0;
  std::vector<float> block_ = std::vector<float>(2 * kSongBlockFrames);  // the last block rendered
  std::vector<float> kept_;  // interleaved, from the first not yet taken at read_
  std::size_t read_ = 0;
};

// The player of an OfflineSong as an audio output's source, going on from
// frame `from` of the song: the output's frame 0 is the song's frame `from`
// (at or after every position heard offline), and positions the output
// reports are moved on by `from` before the player gets them. From frame 0
// the player renders the pieces the output asks for, as a plain audio
// source; from a later frame the song goes on in the blocks it was rendered
// in offline (TakeSound), so every sample is that of a run from the start.
// The song must outlive it, and is not used otherwise while it plays.
class GoingOn final : public audio::Source {
 public:
  GoingOn(OfflineSong& song, std::int64_t from);
  void Render(float* out, std::size_t frames, std::uint64_t firstFrame) override;
  std::uint64_t NextCue() override;
  void Played(std::uint64_t framesPlayed) override;

 private:
  OfflineSong& song_;
  std::uint64_t from_;
};

}  // namespace condemo
