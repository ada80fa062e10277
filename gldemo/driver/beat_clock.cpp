#include "gldemo/beat_clock.h"

namespace gldemo {

float NextBeat(BeatClock& clock, int latencyMs, std::uint64_t positionBytes, std::int64_t clockMs) {
  float beat = static_cast<float>((latencyMs * 0.001 + static_cast<double>(positionBytes) / 44100.0) * 0.15);
  const float now = static_cast<float>(static_cast<double>(clockMs) * 0.001 * 0.6);
  if (beat == clock.streamBeat) {
    beat = now - clock.clockAtStreamBeat + clock.streamBeat;
  } else {
    clock.streamBeat = beat;
    clock.clockAtStreamBeat = now;
  }
  return beat;
}

}  // namespace gldemo
