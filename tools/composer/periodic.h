// Looped tones. A tone all of whose partials complete whole cycles within a
// loop repeats seamlessly; these helpers find such a loop for a pitch and
// read partials exactly from a table.
#pragma once

#include <cstdint>
#include <vector>

namespace kalt::composer {

struct PeriodicLoop {
  std::uint32_t frames = 0;  // loop length at SynthRate()
  std::uint32_t cycles = 0;  // whole cycles of the fundamental in it
};

// The shortest loop of at least `minSeconds` in which a whole number of
// cycles, a multiple of `multiple`, comes within 0.01 cent of frequency
// `hz` (cycles / frames × SynthRate() ≈ hz); if none does up to four times
// that length, the closest found. Requires minSeconds > 0 and hz well below
// the rate.
PeriodicLoop FitLoop(double hz, double minSeconds, std::uint32_t multiple);

// sin(2π i / frames) for i = 0 .. frames - 1: partial h of a tone of c
// cycles per loop is read at index (h · c · n) mod frames for frame n.
std::vector<float> SineTable(std::uint32_t frames);

// A weight that starts at 1 and reaches exactly 0 at frame `length`
// (exponential-like, steep first): the envelope of everything a loop must
// not carry, such as filter and modulation sweeps.
double SettleWeight(std::uint32_t frame, std::uint32_t length);

}  // namespace kalt::composer
