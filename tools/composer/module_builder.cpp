// BuildModule: a parsed score into an XM module, synthesising every
// instrument.
#include <algorithm>
#include <cmath>

#include "score.h"

namespace kalt::composer {

xm::Module BuildModule(const Score& score) {
  xm::Module m;
  m.name = score.name;
  m.channels = score.channels;
  m.speed = score.speed;
  m.tempo = score.tempo;
  m.restartPosition = score.restart;
  m.orders = score.orders;
  for (const NamedPattern& p : score.patterns) m.patterns.push_back(p.pattern);

  int count = 0;
  for (const InstrumentDef& def : score.instruments) count = std::max(count, def.number);
  m.instruments.resize(static_cast<std::size_t>(count));
  const SynthContext context{.tickSeconds = 2.5 / score.tempo};
  for (const InstrumentDef& def : score.instruments) {
    SynthContext own = context;
    own.seed = static_cast<std::uint32_t>(def.number);
    xm::Instrument in = def.family->build(def.params, own);
    in.name = def.name;
    for (xm::Sample& s : in.samples) {
      s.name = def.name;
      s.volume = static_cast<std::uint8_t>(std::lround(def.volume));
      s.panning = static_cast<std::uint8_t>(std::clamp(std::lround(127.5 + def.pan * 127.5), 0L, 255L));
    }
    m.instruments[static_cast<std::size_t>(def.number - 1)] = std::move(in);
  }
  return m;
}

}  // namespace kalt::composer
