// Small helpers shared by the effect units.
#pragma once

#include <cmath>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace music::dsp {

// v limited to lo..hi; a NaN gives lo.
inline float Limit(float v, float lo, float hi) { return v >= lo ? (v <= hi ? v : hi) : lo; }

inline double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

// The coefficient a of the one-pole smoother y += (1 - a) * (x - y) whose
// step response covers 1 - 1/e of a step in `ms` milliseconds.
inline double SmoothingCoefficient(double ms, double sampleRate) {
  return std::exp(-1000.0 / (ms * sampleRate));
}

// Flushes denormal numbers to zero for the scope (x86 SSE): decaying
// recursive filters and reverb tails would otherwise crawl through denormals
// for seconds of silence at many times the normal cost. Elsewhere it does
// nothing.
class DenormalsOff {
 public:
#if defined(__SSE2__)
  DenormalsOff() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | 0x8040); }  // FTZ | DAZ
  ~DenormalsOff() { _mm_setcsr(saved_); }
#else
  DenormalsOff() = default;
#endif
  DenormalsOff(const DenormalsOff&) = delete;
  DenormalsOff& operator=(const DenormalsOff&) = delete;

 private:
#if defined(__SSE2__)
  unsigned saved_;
#endif
};

}  // namespace music::dsp
