// libm-cases: the single-precision maths of kalt/fmath.h (sine, cosine,
// power with the exponents the shows use, arctangent) on a fixed stream of
// arguments, printed as one digest line per block of cases. Built natively
// (glibc) and for WebAssembly, so that the two libms' float results can be
// compared line by line.
//
//   libm-cases [BLOCKS]   (default 64 blocks of 65,536 cases each)
//
// Each block draws its arguments from a xorshift generator seeded by the
// block number: any float bit pattern for sine and cosine, bases in 0..2
// for the powers, and for the arctangent pairs of any floats, of floats in
// -4..4, and of nearly equal or tiny ones (where its rounding is hardest).
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "kalt/fmath.h"

namespace {

constexpr int kBlockCases = 65536;

struct XorShift {
  std::uint64_t state;
  std::uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<std::uint32_t>(state >> 32);
  }
  float AnyFloat() {
    const std::uint32_t bits = Next();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  float Within(float low, float high) { return low + (high - low) * static_cast<float>(Next() >> 8) / 16777216.0f; }
};

struct Digest {
  std::uint64_t h = 14695981039346656037ull;
  void Add(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    if (f != f) bits = 0x7FC00000u;  // one NaN
    h = (h ^ bits) * 1099511628211ull;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int blocks = argc > 1 ? std::atoi(argv[1]) : 64;
  for (int block = 0; block < blocks; ++block) {
    XorShift random{0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(block + 1)};
    Digest sines, powers, angles;
    for (int i = 0; i < kBlockCases; ++i) {
      const float x = random.AnyFloat();
      sines.Add(kalt::Sin(x));
      sines.Add(kalt::Cos(x));
      const float base = random.Within(0.0f, 2.0f);
      for (const float exponent : {2.0f, 4.0f, 16.0f, 40.0f}) powers.Add(kalt::Pow(base, exponent));
      // (Each draw a statement of its own: the order of a call's arguments
      // is the compiler's.)
      const float y = random.AnyFloat();
      const float x2 = random.AnyFloat();
      angles.Add(kalt::Atan2(y, x2));
      const float a = random.Within(-4.0f, 4.0f);
      const float b = random.Within(-4.0f, 4.0f);
      angles.Add(kalt::Atan2(a, b));
      const float near = a + random.Within(-1e-3f, 1e-3f);
      angles.Add(kalt::Atan2(a, near));
      angles.Add(kalt::Atan2(a * 1e-30f, b));
    }
    std::printf("block %d sin/cos %016" PRIx64 " pow %016" PRIx64 " atan2 %016" PRIx64 "\n", block, sines.h,
                powers.h, angles.h);
  }
  return 0;
}
