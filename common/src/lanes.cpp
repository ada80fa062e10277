#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "kalt/lane_math.h"
#include "kalt/lane_path.h"

namespace kalt {

namespace {

constexpr const char* kNames[kLanePathCount] = {"scalar", "sse2", "avx2", "avx512"};

// The widest path at most as wide as `top` that runs.
LanePath WidestUpTo(LanePath top, bool (*runs)(LanePath)) {
  for (int path = static_cast<int>(top); path > 0; --path)
    if (runs(static_cast<LanePath>(path))) return static_cast<LanePath>(path);
  return LanePath::kScalar;
}

std::atomic<int>& PathInUse() {
  static std::atomic<int> path = [] {
    const LaneChoice choice = ChooseLanePath(std::getenv("KALT_LANES"), CpuRuns);
    if (!choice.message.empty()) std::fprintf(stderr, "%s\n", choice.message.c_str());
    return static_cast<int>(choice.path);
  }();
  return path;
}

}  // namespace

const char* LanePathName(LanePath path) {
  const int index = static_cast<int>(path);
  return index >= 0 && index < kLanePathCount ? kNames[index] : "unknown";
}

std::optional<LanePath> ParseLanePath(std::string_view name) {
  for (int i = 0; i < kLanePathCount; ++i)
    if (name == kNames[i]) return static_cast<LanePath>(i);
  return std::nullopt;
}

bool CpuRuns(LanePath path) {
  switch (path) {
    case LanePath::kScalar:
    case LanePath::kSse2:
      return true;
#if KALT_WIDE_LANES
    case LanePath::kAvx2:
      return __builtin_cpu_supports("avx2");
    case LanePath::kAvx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
             __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
#else
    default:
      return false;
#endif
  }
  return false;
}

LaneChoice ChooseLanePath(const char* request, bool (*runs)(LanePath)) {
  if (!request || !*request) return {WidestUpTo(LanePath::kAvx2, runs), {}};
  const std::optional<LanePath> wanted = ParseLanePath(request);
  if (!wanted) {
    const LanePath path = WidestUpTo(LanePath::kAvx2, runs);
    return {path, std::string("KALT_LANES=") + request + " is none of scalar, sse2, avx2, avx512; running " +
                      LanePathName(path)};
  }
  if (runs(*wanted)) return {*wanted, {}};
  const LanePath path = WidestUpTo(*wanted, runs);
  return {path, std::string("KALT_LANES=") + request + ": this processor lacks " + LanePathName(*wanted) +
                    "; running " + LanePathName(path)};
}

LanePath ActiveLanePath() { return static_cast<LanePath>(PathInUse().load(std::memory_order_relaxed)); }

LanePath UseLanePath(LanePath wanted) {
  const LanePath path = WidestUpTo(wanted, CpuRuns);
  PathInUse().store(static_cast<int>(path), std::memory_order_relaxed);
  return path;
}

namespace lanes::fast {

void SinEach(float* x, int count) {
  for (int l = 0; l < count; ++l) x[l] = FastSin(x[l]);
}

void CosEach(float* x, int count) {
  for (int l = 0; l < count; ++l) x[l] = FastCos(x[l]);
}

}  // namespace lanes::fast

}  // namespace kalt
