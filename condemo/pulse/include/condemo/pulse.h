// condemo/pulse.h - the values the song's instruments drive: three flashes
// and a beat count. A note heard on the player's thread strikes them at any
// moment; the frame loop takes one snapshot of them at the start of each
// frame, hands that to the scene director, the renderer and the logos, and
// lets the flashes fade at the end of the frame. An offline renderer of the
// song does the same with the notes at their sample positions.
//
//   PulseState state;                           // shared with the player's thread
//   ApplyInstrument(state, 12);                 // a note of instrument 12: a beat
//   const MusicPulse pulse = TakePulse(state);  // once a frame
//   DecayFlashes(state, frameDelta);            // at the end of the frame
#pragma once

#include <atomic>
#include <cstdint>

namespace condemo {

// The music-driven values of one frame.
struct MusicPulse {
  float flashA = 0.0f;         // 1.0 on instrument 5, 6 or 15; fades at 4 per second
  float flashB = 0.0f;         // 0.75 on instrument 7, 8 or 17; fades at 3 per second
  float flashC = 0.0f;         // 1.0 on instrument 12; fades at 4 per second
  std::int32_t beatCount = 0;  // notes of instrument 12 so far; never reset or faded
};

// The instruments that drive the values, numbered as the module's patterns
// number them (1-based, as a tracker shows them).
inline constexpr int kFlashAInstruments[] = {5, 6, 15};
inline constexpr int kFlashBInstruments[] = {7, 8, 17};
inline constexpr int kBeatInstrument = 12;

// The live values, written by ApplyInstrument on the player's thread and by
// DecayFlashes on the frame loop's, read by TakePulse on any thread without
// a lock: each is one 32-bit atomic, accessed with relaxed ordering. All
// start at 0.
struct PulseState {
  std::atomic<float> flashA{0.0f};
  std::atomic<float> flashB{0.0f};
  std::atomic<float> flashC{0.0f};
  std::atomic<std::int32_t> beatCount{0};
};
static_assert(std::atomic<float>::is_always_lock_free && std::atomic<std::int32_t>::is_always_lock_free);

// The instrument rules, for a note of `instrument`: 5, 6 and 15 set flashA to
// 1.0; 7, 8 and 17 set flashB to 0.75; 12 adds 1 to beatCount (wrapping
// from the largest value to the smallest) and then sets flashC to 1.0. Any
// other number changes nothing. Any thread.
void ApplyInstrument(PulseState& state, int instrument);

// The values as they are now, each read once.
MusicPulse TakePulse(const PulseState& state);

// Lets the flashes fade over a frame of frameDelta seconds: each value v
// above 0 becomes v - rate x frameDelta, computed in double precision and
// rounded to float (it may dip just below 0 for a frame); any other value
// (also not a number) becomes exactly 0. The rates: flashA and flashC 4 per
// second, flashB 3. beatCount is left alone. A note that strikes a flash
// while it fades wins: the faded value replaces a flash only if the flash
// still holds the value it was computed from, so a struck 1.0 (or 0.75) is
// never overwritten and the next snapshot shows it at full strength.
void DecayFlashes(PulseState& state, double frameDelta);

}  // namespace condemo
