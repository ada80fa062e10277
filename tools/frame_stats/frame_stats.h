// Frame-time statistics of a measurement: how fast a stretch of a show ran
// on average and how slow its worst moments were.
#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <vector>

namespace kalt_tools {

struct FrameStats {
  long frames = 0;
  double meanFps = 0.0;      // frames divided by their total time
  double onePercentLow = 0.0;  // mean time of the slowest 1 % of the frames (at least one), seconds
  double slowShare = 0.0;    // share of the frames that took longer than 1/60 s, 0..1
};

// The statistics of the frame times (seconds) of one stretch; all zero for
// none.
inline FrameStats Summarise(std::vector<double> seconds) {
  FrameStats stats;
  if (seconds.empty()) return stats;
  std::sort(seconds.begin(), seconds.end(), std::greater<>());
  stats.frames = static_cast<long>(seconds.size());
  const double total = std::accumulate(seconds.begin(), seconds.end(), 0.0);
  stats.meanFps = total > 0.0 ? static_cast<double>(stats.frames) / total : 0.0;
  const long slowest = std::max(1L, stats.frames / 100);
  stats.onePercentLow = std::accumulate(seconds.begin(), seconds.begin() + slowest, 0.0) / static_cast<double>(slowest);
  const long slow = std::count_if(seconds.begin(), seconds.end(), [](double s) { return s > 1.0 / 60.0; });
  stats.slowShare = static_cast<double>(slow) / static_cast<double>(stats.frames);
  return stats;
}

// The three figures as table columns: mean fps, 1 % low in milliseconds and
// the share of slow frames in percent (23 characters), to `out`.
inline void PrintStats(const FrameStats& stats, std::FILE* out = stdout) {
  std::fprintf(out, "%8.1f %7.2f %5.1f%%", stats.meanFps, stats.onePercentLow * 1000.0, stats.slowShare * 100.0);
}

}  // namespace kalt_tools
