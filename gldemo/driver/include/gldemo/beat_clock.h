// gldemo/beat_clock.h - the music time of gldemo: the beat, 0.6 units per
// second of music, read from the stream's play position and carried on by
// the system clock while the position does not move.
#pragma once

#include <cstdint>
#include <limits>

namespace gldemo {

// The song restarts once the beat passes this value (176 bars, about 293 s).
constexpr float kLoopBeats = 176.0f;

// One loop of the show (kLoopSeconds, gldemo/timeline.h) in frames of the
// soundtrack: 12,936,000.
inline constexpr std::int64_t kLoopFrames = 12'936'000;

struct BeatClock {
  // The beat last taken from the stream position (none yet: minus
  // infinity), and the system clock's reading in beats at that moment.
  float streamBeat = -std::numeric_limits<float>::infinity();
  float clockAtStreamBeat = 0.0f;
};

// The beat of a frame:
// 1. beat = ((latencyMs * 0.001) + positionBytes / 44100.0) * 0.15 in double,
//    rounded to float: 0.6 per second of 16-bit stereo at 44,100 Hz, the
//    output's latency added before the scaling.
// 2. now = clockMs * 0.001 * 0.6 in double, rounded to float, where clockMs
//    is the wall time since the start in whole milliseconds.
// 3. When beat equals the last stream-derived value exactly (the position
//    has not moved), the result is now - (the clock stored with it) + (that
//    value), in float: the system clock carries the music time on at the
//    same rate. Otherwise beat becomes the stream-derived value, stored with
//    now, and is the result.
float NextBeat(BeatClock& clock, int latencyMs, std::uint64_t positionBytes, std::int64_t clockMs);

}  // namespace gldemo
