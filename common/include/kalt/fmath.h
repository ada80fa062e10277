// kalt/fmath.h - single-precision maths with double-precision transcendentals.
//
// The pictures of both demos are defined by one numeric rule: values are
// 32-bit floats, and sine, cosine, square root, power, floating remainder,
// two-argument arctangent and floor are evaluated in double precision on the
// float arguments and rounded back to float. Each helper below is one such
// step, so a formula written with them reads like its definition and keeps
// its exact rounding. Build with -ffp-contract=off and never -ffast-math.
//
// Square root, remainder and floor round to the same float whether they are
// evaluated in double or in float (the double result of each rounds exactly),
// so those helpers call the float functions, which are faster. Sine, cosine,
// power and arctangent do not, and go through double.
#pragma once

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace kalt {

inline float Sin(float x) { return static_cast<float>(std::sin(static_cast<double>(x))); }
inline float Cos(float x) { return static_cast<float>(std::cos(static_cast<double>(x))); }
inline float Sqrt(float x) { return std::sqrt(x); }
inline float Pow(float x, float y) {
  return static_cast<float>(std::pow(static_cast<double>(x), static_cast<double>(y)));
}
// Remainder of the truncated division a / b; the result has the sign of a.
inline float Fmod(float a, float b) { return std::fmod(a, b); }
// Angle of (x, y) in (-pi, pi]; note the argument order y, x.
#if defined(__EMSCRIPTEN__)
// WebAssembly's libm (musl's) may miss the correctly rounded double of the
// arctangent by an ulp, where glibc's does not; that changes the float only
// when the double lies next to a float's rounding boundary. There the angle
// is taken again in quad precision and rounded to double, then to float, as
// glibc's correctly rounded double is.
inline float Atan2(float y, float x) {
  const double angle = std::atan2(static_cast<double>(y), static_cast<double>(x));
  std::uint64_t bits;
  std::memcpy(&bits, &angle, sizeof bits);
  constexpr std::uint64_t kUlps = 8;
  if ((bits & 0x7FFFFFFFFFFFFFFFu) > kUlps && (bits & 0x7FF0000000000000u) != 0x7FF0000000000000u) {
    std::uint64_t below = bits - kUlps, above = bits + kUlps;
    double low, high;
    std::memcpy(&low, &below, sizeof low);
    std::memcpy(&high, &above, sizeof high);
    if (static_cast<float>(low) == static_cast<float>(high)) return static_cast<float>(angle);
  }
  const long double exact = atan2l(static_cast<long double>(y), static_cast<long double>(x));
  return static_cast<float>(static_cast<double>(exact));
}
#else
inline float Atan2(float y, float x) {
  return static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
}
#endif
inline float Floor(float x) { return std::floor(x); }

// Sine and cosine of a float argument, kept in double for formulas that go
// on in double precision.
inline double SinD(float x) { return std::sin(static_cast<double>(x)); }
inline double CosD(float x) { return std::cos(static_cast<double>(x)); }

// Conversion to int with truncation toward zero, defined for every input:
// NaN gives 0, values beyond the int range give INT_MIN or INT_MAX.
inline int TruncInt(double x) {
  if (x != x) return 0;
  if (x >= 2147483647.0) return INT_MAX;
  if (x <= -2147483648.0) return INT_MIN;
  return static_cast<int>(x);
}
inline int TruncInt(float x) { return TruncInt(static_cast<double>(x)); }

}  // namespace kalt
