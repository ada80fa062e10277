// condemo/rand15.h - the show's 15-bit pseudo-random generator.
#pragma once

#include <cstdint>

namespace condemo {

// The classic linear congruential generator: state = state * 214013 +
// 2531011 (mod 2^32), each draw is bits 16..30 of the new state, 0..32767.
struct Rand15 {
  std::uint32_t state = 0;

  int Next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
  }
};

// The seed of the one draw a cell makes in a frame. It depends only on the
// frame number and the cell index, so a frame comes out the same whatever
// the number of threads and the order in which cells are rendered. The
// mixing spreads neighbouring cells and frames over unrelated seeds.
constexpr std::uint32_t CellSeed(std::uint32_t frameNumber, int cellIndex) {
  std::uint32_t x = frameNumber * 0x9E3779B9u ^ static_cast<std::uint32_t>(cellIndex);
  x ^= x >> 16;
  x *= 0x85EBCA6Bu;
  x ^= x >> 13;
  x *= 0xC2B2AE35u;
  x ^= x >> 16;
  return x;
}

}  // namespace condemo
