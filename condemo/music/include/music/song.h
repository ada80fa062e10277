// song.h - condemo's music: the song "DiRURODU.XM" from the working
// directory, played with the show's effects chain, and the values its
// instruments drive.
//
// The frame loop calls StartSong once at start-up, PlayMusic when the show
// begins, MusicOrder every frame (the order position picks the scene),
// DecayFlashes every frame, and StopMusic at the end. Everything here but the
// flash values belongs to the main thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "music/effects.h"
#include "music/player.h"

namespace condemo {

// Values set by the instrument handlers on the audio side and read by the
// renderer threads without locks: each is one 32-bit atomic, accessed with
// relaxed ordering. All start at 0.
extern std::atomic<float> flashA;            // 1.0 on instrument 5, 6 or 15; decays at 4/s
extern std::atomic<float> flashB;            // 0.75 on instrument 7, 8 or 17; decays at 3/s
extern std::atomic<float> flashC;            // 1.0 on instrument 12; decays at 4/s
extern std::atomic<std::int32_t> beatCount;  // +1 on instrument 12; never reset
static_assert(std::atomic<float>::is_always_lock_free && std::atomic<std::int32_t>::is_always_lock_free);

inline constexpr const char* kSongFile = "DiRURODU.XM";
inline constexpr int kFlashAInstruments[] = {5, 6, 15};
inline constexpr int kFlashBInstruments[] = {7, 8, 17};
inline constexpr int kBeatInstrument = 12;

// Hooks the song's instruments to the values above, in this order: 5, 6, 15
// set flashA to 1.0; 7, 8, 17 set flashB to 0.75; 12 adds 1 to beatCount and
// then sets flashC to 1.0. Instrument numbers are those of the module's
// patterns (1-based, as a tracker shows them).
void HookInstruments(music::Player& song);

// The show's effects chain: peaking equalisers at 14,000 Hz (32 semitones
// wide, +4 dB) and 50 Hz (32 semitones, +7 dB); a reverb with input gain
// 0 dB, mix -50 dB, 1,000 ms decay and high-frequency ratio 0.3; a compressor
// with +1 dB make-up gain, 1 ms attack, 50 ms release, threshold -5 dB,
// ratio 1.5 and no pre-delay.
music::EffectsSettings SongEffects();

// Starts the music: opens the audio output (the sound device, or the silent
// sink where there is none - that is never a failure), loads kSongFile from
// the working directory, hooks the instruments and puts the effects chain on
// the song. Returns true when the song is ready to play. A missing or
// unreadable song shows "Failed loading Protracker-Module" with the caption
// "Error! Brom suxx!" (a message box where a desktop can show one, and on
// stderr always) and returns false; nothing further is set up. Calling it
// again starts over.
bool StartSong();

// Starts playing the song; does nothing without one or when it plays.
void PlayMusic();

// The order position being heard: 0 until the song is heard, -1 without a
// song.
int MusicOrder();

// Stops the output, then frees the effects chain, the song and the output.
// Safe without a song, and more than once.
void StopMusic();

// Lets the flashes fade over a frame of frameDelta seconds: each value v
// above 0 becomes v - rate x frameDelta, computed in double precision and
// rounded to float (it may dip just below 0 for a frame); any other value
// becomes exactly 0. The rates: flashA and flashC 4 per second, flashB 3.
void DecayFlashes(double frameDelta);

}  // namespace condemo
