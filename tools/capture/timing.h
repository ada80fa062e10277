// The capture's clock: frame k of a capture is the show at from + k / fps
// seconds, and its sound starts at that time's sample position (both shows
// play at audio::SampleRate).
#pragma once

#include <cstdint>

#include "audio/output.h"

namespace capture {

// The show's time of frame k (k may be negative: frames before the first).
inline double FrameTime(double from, int fps, std::int64_t k) {
  return from + static_cast<double>(k) / static_cast<double>(fps);
}

// The sample position of a show time: round(seconds x 44100).
using audio::SamplePosition;

// How many frames a capture from `from` to `to` holds: the frames k >= 0
// whose time is before `to` (0 when to <= from).
std::int64_t FramesBetween(double from, double to, int fps);

}  // namespace capture
