#include "render.h"

#include "resample.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace kalt::composer {

int ExactTickRate(int tempo) {
  // rate = frames per tick × tempo / 2.5, a whole number of Hz.
  int best = 0;
  const long nominal = std::lround(kRenderRate * 2.5 / tempo);
  for (long frames = nominal - 5; frames <= nominal + 5; ++frames)
    if (frames * tempo * 2 % 5 == 0) {
      const auto rate = static_cast<int>(frames * tempo * 2 / 5);
      if (best == 0 || std::abs(rate - kRenderRate) < std::abs(best - kRenderRate)) best = rate;
    }
  return best;
}

Rendering RenderModule(const std::vector<std::uint8_t>& xm) {
  std::ostringstream log;
  std::unique_ptr<openmpt::module> mod;
  try {
    mod = std::make_unique<openmpt::module>(xm, log);
  } catch (const openmpt::exception& e) {
    throw std::runtime_error(std::string("libopenmpt cannot load the module: ") + e.what());
  }
  mod->set_repeat_count(0);
  const int tempo = static_cast<int>(mod->get_current_tempo());
  const int mixRate = ExactTickRate(tempo);

  // 1. The song's length in frames of the mixing rate, from its rows.
  long ticks = 0;
  for (int o = 0; o < mod->get_num_orders(); ++o) {
    const int pattern = mod->get_order_pattern(o);
    if (pattern >= 0 && pattern < mod->get_num_patterns()) ticks += mod->get_pattern_num_rows(pattern);
  }
  ticks *= mod->get_current_speed();
  const long songFrames = ticks * std::lround(mixRate * 2.5 / tempo);

  // 2. Mix in chunks of 10 ms, noting where each order position starts.
  Rendering r;
  r.title = mod->get_metadata("title");
  const std::size_t chunk = static_cast<std::size_t>(mixRate / 100);
  std::vector<float> left, right, bufferLeft(chunk), bufferRight(chunk);
  while (true) {
    const int order = mod->get_current_order();
    if (r.positions.empty() || r.positions.back().first != order) r.positions.emplace_back(order, left.size());
    const std::size_t n = mod->read(mixRate, chunk, bufferLeft.data(), bufferRight.data());
    if (n == 0) break;
    left.insert(left.end(), bufferLeft.begin(), bufferLeft.begin() + static_cast<long>(n));
    right.insert(right.end(), bufferRight.begin(), bufferRight.begin() + static_cast<long>(n));
  }
  if (static_cast<long>(left.size()) > songFrames) {
    left.resize(static_cast<std::size_t>(songFrames));
    right.resize(static_cast<std::size_t>(songFrames));
    std::erase_if(r.positions, [&](const auto& p) { return p.second >= left.size(); });
  }

  // 3. To 44,100 Hz.
  r.left = Resample(left, mixRate, kRenderRate);
  r.right = Resample(right, mixRate, kRenderRate);
  for (auto& [order, frame] : r.positions)
    frame = static_cast<std::size_t>(static_cast<long double>(frame) * kRenderRate / mixRate);
  return r;
}

Levels Measure(const Rendering& r, std::size_t from, std::size_t to) {
  Levels l;
  to = std::min(to, r.left.size());
  if (from >= to) return l;
  const double quiet = 0.001;  // -60 dBFS
  double sum = 0, squaresLeft = 0, squaresRight = 0;
  std::size_t run = 0, longest = 0;
  for (std::size_t i = from; i < to; ++i) {
    const double a = r.left[i], b = r.right[i];
    l.peak = std::max({l.peak, std::fabs(a), std::fabs(b)});
    sum += a + b;
    squaresLeft += a * a;
    squaresRight += b * b;
    run = std::max(std::fabs(a), std::fabs(b)) < quiet ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  const auto count = static_cast<double>(to - from);
  l.rms = std::sqrt((squaresLeft + squaresRight) / (2 * count));
  l.rmsLeft = std::sqrt(squaresLeft / count);
  l.rmsRight = std::sqrt(squaresRight / count);
  l.dc = sum / (2 * count);
  l.longestSilence = static_cast<double>(longest) / kRenderRate;
  return l;
}

void NormalisePeak(Rendering& r, double peak) {
  const double current = Measure(r, 0, r.left.size()).peak;
  if (current <= 0) return;
  const auto gain = static_cast<float>(peak / current);
  for (float& v : r.left) v *= gain;
  for (float& v : r.right) v *= gain;
}

void WriteWav(const Rendering& r, const std::string& path) {
  const auto frames = static_cast<std::uint32_t>(r.left.size());
  const std::uint32_t dataBytes = frames * 4;
  std::vector<std::uint8_t> out(44 + static_cast<std::size_t>(dataBytes));
  std::size_t at = 0;
  const auto u16 = [&](unsigned v) {
    out[at++] = static_cast<std::uint8_t>(v);
    out[at++] = static_cast<std::uint8_t>(v >> 8);
  };
  const auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  const auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) out[at++] = static_cast<std::uint8_t>(t[i]);
  };
  // 1. The RIFF header and the format chunk: PCM, two channels, 16 bits.
  tag("RIFF");
  u32(36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);
  u16(2);
  u32(kRenderRate);
  u32(kRenderRate * 4);
  u16(4);
  u16(16);
  // 2. The frames, left then right, clipped to full scale.
  tag("data");
  u32(dataBytes);
  for (std::uint32_t i = 0; i < frames; ++i)
    for (const float v : {r.left[i], r.right[i]})
      u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f))));
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

double Decibels(double value) {
  return value > 0 ? 20 * std::log10(value) : -std::numeric_limits<double>::infinity();
}

}  // namespace kalt::composer
