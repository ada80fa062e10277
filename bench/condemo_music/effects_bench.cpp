// The cost of the music on the audio thread, per second of audio: the
// effects chain alone, and the whole player (libopenmpt's mix, the tick-by-tick
// rendering that times the notes, and the chain) against libopenmpt alone.
#include <benchmark/benchmark.h>

#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "music/effects.h"
#include "music/player.h"
#include "music/song.h"
#include "xm_writer.h"

namespace {

constexpr std::size_t kBlock = 1024;
constexpr std::size_t kSecond = 44100;

void EffectsChain(benchmark::State& state) {
  music::EffectsChain chain = music::MakeEffectsChain(condemo::SongEffects(), 44100.0);
  std::vector<float> noise(2 * kSecond);
  std::uint32_t seed = 1;
  for (float& v : noise) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<float>(static_cast<double>(seed >> 8) / 8388608.0 - 1.0) * 0.5f;
  }
  std::vector<float> block(2 * kBlock);
  for (auto _ : state) {
    for (std::size_t done = 0; done + kBlock <= kSecond; done += kBlock) {
      std::copy(noise.begin() + 2 * done, noise.begin() + 2 * (done + kBlock), block.begin());
      music::Process(chain, block.data(), kBlock);
      benchmark::DoNotOptimize(block.data());
    }
  }
  state.SetLabel("per second of audio");
}
BENCHMARK(EffectsChain)->Unit(benchmark::kMillisecond);

// A busy little song: eight channels of notes on every row at speed 3.
std::vector<std::uint8_t> BusySong() {
  kalt::xm::Module m;
  m.channels = 8;
  m.speed = 3;
  m.tempo = 140;
  for (int i = 0; i < 8; ++i) {
    kalt::xm::Sample sample;
    for (int f = 0; f < 2000; ++f) sample.pcm.push_back(static_cast<std::int16_t>(8000 * std::sin(f * 0.03 * (i + 1))));
    sample.loop = kalt::xm::LoopType::Forward;
    sample.loopLength = 2000;
    kalt::xm::Instrument instrument;
    instrument.name = "tone";
    instrument.samples.push_back(sample);
    m.instruments.push_back(instrument);
  }
  kalt::xm::Pattern pattern = kalt::xm::MakePattern(64, 8);
  for (int r = 0; r < 64; ++r)
    for (int c = 0; c < 8; ++c)
      pattern.at(r, c) = {static_cast<std::uint8_t>(37 + (r * 7 + c * 3) % 24), static_cast<std::uint8_t>(c + 1), 0, 0, 0};
  m.patterns.push_back(pattern);
  m.orders = {0};
  return kalt::xm::WriteXm(m);
}

void Libopenmpt(benchmark::State& state) {
  const std::vector<std::uint8_t> song = BusySong();
  openmpt::module module(song);
  module.set_repeat_count(-1);
  std::vector<float> block(2 * kBlock);
  for (auto _ : state) {
    for (std::size_t done = 0; done + kBlock <= kSecond; done += kBlock) {
      module.read_interleaved_stereo(44100, kBlock, block.data());
      benchmark::DoNotOptimize(block.data());
    }
  }
  state.SetLabel("per second of audio");
}
BENCHMARK(Libopenmpt)->Unit(benchmark::kMillisecond);

void Player(benchmark::State& state) {
  const std::vector<std::uint8_t> song = BusySong();
  char path[] = "/tmp/player-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0 || write(fd, song.data(), song.size()) != static_cast<ssize_t>(song.size())) return;
  close(fd);
  std::unique_ptr<music::Player> player = music::Player::Open(path, {}, nullptr);
  std::remove(path);
  player->SetEffects(condemo::SongEffects());
  for (int i = 1; i <= 8; ++i) player->OnInstrument(i, [](const music::Trigger&) {});
  std::vector<float> block(2 * kBlock);
  std::uint64_t position = 0;
  for (auto _ : state) {
    for (std::size_t done = 0; done + kBlock <= kSecond; done += kBlock) {
      player->Render(block.data(), kBlock, position);
      position += kBlock;
      player->Played(position);
      benchmark::DoNotOptimize(block.data());
    }
  }
  state.SetLabel("per second of audio");
}
BENCHMARK(Player)->Unit(benchmark::kMillisecond);

}  // namespace
