// The composer's build-time work, piece by piece: composing condemo's song
// (parsing and synthesising every instrument), rendering, resampling and
// encoding audio. The build runs them for both songs and should take well
// under a minute for each.
#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>

#include "render.h"
#include "resample.h"
#include "score.h"
#include "vorbis.h"

namespace {

using namespace kalt::composer;

std::string SongScore() {
  std::ifstream file(std::string(KALT_SOURCE_DIR) + "/assets/songs/DiRURODU.score");
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<float> TenSecondsOfTone(int rate) {
  std::vector<float> x(static_cast<std::size_t>(10 * rate));
  for (std::size_t i = 0; i < x.size(); ++i)
    x[i] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 440.0 * static_cast<double>(i) / rate));
  return x;
}

void ComposeSong(benchmark::State& state) {
  const std::string text = SongScore();
  for (auto _ : state) benchmark::DoNotOptimize(kalt::xm::WriteXm(BuildModule(ParseScore(text))));
}
BENCHMARK(ComposeSong)->Unit(benchmark::kMillisecond);

void RenderSong(benchmark::State& state) {
  const std::vector<std::uint8_t> xm = kalt::xm::WriteXm(BuildModule(ParseScore(SongScore())));
  for (auto _ : state) benchmark::DoNotOptimize(RenderModule(xm));
}
BENCHMARK(RenderSong)->Unit(benchmark::kMillisecond);

void ResampleTenSeconds(benchmark::State& state) {
  const std::vector<float> in = TenSecondsOfTone(44064);
  for (auto _ : state) benchmark::DoNotOptimize(Resample(in, 44064, 44100));
}
BENCHMARK(ResampleTenSeconds)->Unit(benchmark::kMillisecond);

void EncodeTenSeconds(benchmark::State& state) {
  const std::vector<float> tone = TenSecondsOfTone(44100);
  for (auto _ : state) benchmark::DoNotOptimize(EncodeVorbis(tone, tone, 44100, 0.5f, {}));
}
BENCHMARK(EncodeTenSeconds)->Unit(benchmark::kMillisecond);

}  // namespace
