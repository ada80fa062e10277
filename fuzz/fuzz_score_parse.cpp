// Feeds arbitrary text to the composer's score parser: it must either
// return a score whose patterns fit the module's limits or throw ScoreError.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "score.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const kalt::composer::Score score = kalt::composer::ParseScore(text);
    if (score.orders.empty() || score.channels < 1 || score.channels > kalt::xm::kMaxChannels) std::abort();
    for (const int o : score.orders)
      if (o < 0 || o >= static_cast<int>(score.patterns.size())) std::abort();
    for (const auto& p : score.patterns)
      if (p.pattern.cells.size() != static_cast<std::size_t>(p.pattern.rows * p.pattern.channels)) std::abort();
  } catch (const kalt::composer::ScoreError&) {
  }
  return 0;
}
