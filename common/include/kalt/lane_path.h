// kalt/lane_path.h - which lanes the marches of both demos run on: one ray
// at a time, or 4, 8 or 16 rays in the vector registers of SSE2, AVX2 or
// AVX-512 (kalt/lanes.h). Every path gives the same pictures, bit for bit;
// they differ only in speed.
//
// The path is chosen once, on first use, from the processor: the widest it
// runs, except AVX-512, which is taken only when asked for (on the machine
// measured it sped up some of condemo's scenes but slowed its heaviest, and
// gldemo's effects run it on 8 lanes, as fast as AVX2). The environment variable KALT_LANES
// (scalar, sse2, avx2 or avx512) forces a path; a path the processor lacks,
// or a name that is none of these, falls back to the widest path it runs up
// to the one asked for, with one line on standard error.
//
// KALT_WIDE_LANES, 1 or 0 (set by the CMake option of that name, for every
// user of the kalt::lanes target), says whether the build has the AVX2 and
// AVX-512 paths; a build without them never chooses either.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kalt {

enum class LanePath { kScalar, kSse2, kAvx2, kAvx512 };
inline constexpr int kLanePathCount = 4;

#if !defined(KALT_WIDE_LANES)
#error "KALT_WIDE_LANES is not set: link the kalt::lanes target"
#endif
// The widest path this build has.
inline constexpr LanePath kWidestBuiltLanePath = KALT_WIDE_LANES ? LanePath::kAvx512 : LanePath::kSse2;

// "scalar", "sse2", "avx2" or "avx512".
const char* LanePathName(LanePath path);
// The path of such a name; none for any other text.
std::optional<LanePath> ParseLanePath(std::string_view name);

// Whether this build has the path and this processor, and the system that
// saves its registers, runs it. Scalar and SSE2 run on every x86-64
// processor.
bool CpuRuns(LanePath path);

// The path for a request (KALT_LANES; null or empty for none) on a
// processor that runs the paths `runs` says: the request if it runs, else
// the widest path that runs and is not wider; without a request the widest
// but AVX-512. message is empty, or the line to report.
struct LaneChoice {
  LanePath path;
  std::string message;
};
LaneChoice ChooseLanePath(const char* request, bool (*runs)(LanePath));

// The path in use: chosen on the first call from KALT_LANES and this
// processor (writing the choice's message, if any, to standard error).
// Safe to call from any thread.
LanePath ActiveLanePath();

// Switches the path in use to `wanted`, or to the widest path this
// processor runs below it; returns the path now in use. For tests and
// benchmarks; call it between frames, not while one renders.
LanePath UseLanePath(LanePath wanted);

}  // namespace kalt
