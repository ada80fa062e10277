// player.h - a tracker module player with instrument sync, as an audio
// source for audio::Output.
//
//   std::string error;
//   auto song = music::Player::Open("song.xm", {}, &error);
//   if (!song) { /* error says why */ }
//   song->OnInstrument(12, [](const music::Trigger& t) { /* a beat is heard */ });
//   song->SetEffects(settings);
//   auto output = audio::OpenOutput();
//   output->Play(*song);
//   ... song->HeardOrder() ...
//   output->Stop();
//
// The module is rendered by libopenmpt at 44,100 Hz stereo, one tracker tick
// at a time, and every note struck is timed to the frame it starts on (see
// src/tracker.h for what counts as struck). The events wait in the player
// until the output reports their frame heard; then, on the output's cue
// thread, the instrument's handler runs and the heard position moves on. So
// handlers fire, and the order position changes, when the listener hears it
// - not when the audio is mixed, a device buffer or two earlier.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "audio/output.h"
#include "music/effects.h"

namespace openmpt {
class module;
}

namespace music {

namespace detail {
class Tracker;
struct SongEvent;
template <typename T, std::size_t Capacity>
class EventQueue;
}  // namespace detail

// A note heard.
struct Trigger {
  std::uint64_t frame = 0;  // timeline position (audio::Output) of its first frame
  int instrument = 0;       // 1..255, as the module's patterns number it
  int channel = 0;          // 0-based
  int order = 0;            // order position of its row
  int row = 0;
};

using TriggerHandler = std::function<void(const Trigger&)>;

struct PlayerOptions {
  // At its end the song starts again from its restart position; otherwise
  // it stops and the player renders silence.
  bool loop = true;
};

class Player final : public audio::Source {
 public:
  // Loads a module from a file in any format libopenmpt reads (the show uses
  // XM). Returns null and puts a one-line reason into *error (when error is
  // not null) if the file is missing, unreadable, not a regular file (a
  // directory, a device, a pipe), larger than 128 MiB, or not a module.
  static std::unique_ptr<Player> Open(const std::string& path, const PlayerOptions& options,
                                      std::string* error);
  ~Player() override;
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  int Orders() const;
  int Channels() const;
  int Instruments() const;  // the module's instruments, or its samples where it has none

  // Calls `handler` on the audio side (the output's cue thread) whenever a
  // note of `instrument` is heard, replacing an earlier handler; an empty
  // handler removes it. An instrument outside 1..255 is refused (false). Not
  // while the player is playing.
  bool OnInstrument(int instrument, TriggerHandler handler);

  // Puts the effects chain on the song's sound, replacing any, and its
  // removal; not while the player is playing. Notes are timed after the
  // chain's own delay.
  void SetEffects(const EffectsSettings& settings);
  void RemoveEffects();

  // The song position the listener is hearing: the order position and row of
  // the last row heard; 0 and 0 before the first. Any thread.
  int HeardOrder() const;
  int HeardRow() const;
  // True once the end of a song that does not loop has been heard.
  bool EndHeard() const;

  // audio::Source. Render mixes, applies the chain and queues the events it
  // has rendered (up to 4096 waiting; more are dropped, which only happens if
  // Played is not called). Played runs the handlers of every event up to
  // framesPlayed. Offline use (tests, listings): alternate Render and Played.
  void Render(float* out, std::size_t frames, std::uint64_t firstFrame) override;
  std::uint64_t NextCue() override;
  void Played(std::uint64_t framesPlayed) override;

 private:
  Player();
  struct Sink;

  std::ostream log_;  // libopenmpt's messages go nowhere
  std::unique_ptr<openmpt::module> module_;
  std::unique_ptr<detail::Tracker> tracker_;
  std::unique_ptr<Sink> sink_;
  std::optional<EffectsChain> effects_;
  std::unique_ptr<TriggerHandler[]> handlers_;  // indexed by instrument, 256
  std::atomic<int> heardOrder_{0};
  std::atomic<int> heardRow_{0};
  std::atomic<bool> endHeard_{false};
};

}  // namespace music
