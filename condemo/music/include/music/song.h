// song.h - condemo's music: the song "DiRURODU.XM" from the working
// directory, played with the show's effects chain, and the values its
// instruments drive.
//
//   auto song = condemo::Song::Start();  // null after the failure message
//   song->Play();                         // or first song->Offline().HearUpTo(p), then Play(from)
//   each frame:  song->HeardOrder() ... song->Pulse() ... song->DecayFlashes(frameDelta)
//   song.reset();                         // stops the output, frees the song
//
// The frame loop owns the Song on its own thread; the instrument handlers
// strike the Song's pulse on the output's cue thread (see condemo/pulse.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "audio/output.h"
#include "condemo/pulse.h"
#include "condemo/show_facts.h"  // kSongFile, kShowTitle, kEndOrder
#include "music/effects.h"
#include "music/offline_song.h"
#include "music/player.h"

namespace condemo {

// Hooks the pulse instruments of `song` (5, 6, 15, 7, 8, 17 and 12, in this
// order) to `state`: a heard note applies the instrument rules of
// ApplyInstrument to it on the handler's thread. `state` must outlive the
// handlers (until the player is destroyed or stops being played). For the
// show and for rendering the song offline (Render and Played alternately).
void HookInstruments(music::Player& song, PulseState& state);

// The show's effects chain: peaking equalisers at 14,000 Hz (32 semitones
// wide, +4 dB) and 50 Hz (32 semitones, +7 dB); a reverb with input gain
// 0 dB, mix -50 dB, 1,000 ms decay and high-frequency ratio 0.3; a compressor
// with +1 dB make-up gain, 1 ms attack, 50 ms release, threshold -5 dB,
// ratio 1.5 and no pre-delay.
music::EffectsSettings SongEffects();

// The song with its audio output, its effects chain and the values its
// instruments drive. Not copyable.
class Song {
 public:
  // Starts the music: opens the audio output (the sound device, or the silent
  // sink where there is none - that is never a failure), loads kSongFile from
  // the working directory, hooks the instruments to the pulse and puts the
  // effects chain on the song. A missing or unreadable song shows "Failed
  // loading Protracker-Module" with the caption "Error! Brom suxx!" (a
  // message box where a desktop can show one, and on stderr always) and
  // returns null.
  static std::unique_ptr<Song> Start();
  // Stops the output first, then frees the song and the output.
  ~Song();
  Song(const Song&) = delete;
  Song& operator=(const Song&) = delete;

  // Before Play: the song rendered here, to be heard offline up to a later
  // moment (OfflineSong::HearUpTo), as a run from the start would have
  // heard it, its instruments striking the pulse.
  OfflineSong& Offline() { return *song_; }
  // Starts playing the song from its frame `from` (at or after what has
  // been heard offline), on through the frames already rendered, so the
  // sound is that of a run from the start. Later calls, and calls after
  // Stop, do nothing.
  void Play(std::int64_t from = 0);
  // The order position being heard: 0 until the song is heard; after Stop,
  // the last one heard.
  int HeardOrder() const;
  // The instrument-driven values as they are now: one snapshot for a frame.
  MusicPulse Pulse() const;
  // Lets the flashes fade over a frame of frameDelta seconds (DecayFlashes
  // of condemo/pulse.h: a note struck meanwhile wins).
  void DecayFlashes(double frameDelta);
  // Stops the output: when it returns no handler runs and none will, and the
  // pulse and the heard order stay as they are. Calling it again does nothing.
  void Stop();

 private:
  Song(std::unique_ptr<audio::Output> output, std::unique_ptr<OfflineSong> song);

  std::unique_ptr<OfflineSong> song_;  // the player and the pulse its handlers strike: outlives the output
  std::optional<GoingOn> source_;  // the player as the output's source, from Play on
  std::unique_ptr<audio::Output> output_;
  bool stopped_ = false;
};

}  // namespace condemo
