#include "condemo/pulse.h"

#include <algorithm>
#include <iterator>

namespace condemo {

namespace {

constexpr float kFlashAStrike = 1.0f;
constexpr float kFlashBStrike = 0.75f;
constexpr float kFlashCStrike = 1.0f;
constexpr double kFlashARate = 4.0;  // per second
constexpr double kFlashBRate = 3.0;
constexpr double kFlashCRate = 4.0;

template <std::size_t N>
bool OneOf(const int (&instruments)[N], int instrument) {
  return std::find(std::begin(instruments), std::end(instruments), instrument) != std::end(instruments);
}

// One fade step of one flash, in a single compare-and-exchange: when a note
// has stored its value since the load, the exchange fails and that value
// stays as struck.
void Fade(std::atomic<float>& flash, double rate, double frameDelta) {
  float v = flash.load(std::memory_order_relaxed);
  const float faded = v > 0.0f ? static_cast<float>(v - rate * frameDelta) : 0.0f;
  flash.compare_exchange_strong(v, faded, std::memory_order_relaxed, std::memory_order_relaxed);
}

}  // namespace

void ApplyInstrument(PulseState& state, int instrument) {
  if (OneOf(kFlashAInstruments, instrument)) state.flashA.store(kFlashAStrike, std::memory_order_relaxed);
  if (OneOf(kFlashBInstruments, instrument)) state.flashB.store(kFlashBStrike, std::memory_order_relaxed);
  if (instrument == kBeatInstrument) {
    state.beatCount.fetch_add(1, std::memory_order_relaxed);  // atomic arithmetic wraps
    state.flashC.store(kFlashCStrike, std::memory_order_relaxed);
  }
}

MusicPulse TakePulse(const PulseState& state) {
  return {.flashA = state.flashA.load(std::memory_order_relaxed),
          .flashB = state.flashB.load(std::memory_order_relaxed),
          .flashC = state.flashC.load(std::memory_order_relaxed),
          .beatCount = state.beatCount.load(std::memory_order_relaxed)};
}

void DecayFlashes(PulseState& state, double frameDelta) {
  Fade(state.flashA, kFlashARate, frameDelta);
  Fade(state.flashB, kFlashBRate, frameDelta);
  Fade(state.flashC, kFlashCRate, frameDelta);
}

}  // namespace condemo
