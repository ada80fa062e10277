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
inline float Atan2(float y, float x) {
  return static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
}
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
