// Tiny modules for the player's tests, written with the XM writer, and the
// ways to listen to them.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "music/player.h"
#include "xm_writer.h"

namespace modules {

using kalt::xm::Module;
using kalt::xm::Note;

// XM effect numbers.
constexpr std::uint8_t kPositionJump = 0xB;
constexpr std::uint8_t kPatternBreak = 0xD;
constexpr std::uint8_t kExtended = 0xE;  // E6x loop, EDx note delay, EEx pattern delay
constexpr std::uint8_t kSpeedTempo = 0xF;
constexpr std::uint8_t kTonePorta = 0x3;
constexpr std::uint8_t kVolumeTonePorta = 0xF0;  // volume column, speed 0

// A note of `instrument` at C-4, with an optional effect.
inline Note Hit(int instrument, std::uint8_t effect = 0, std::uint8_t param = 0) {
  return Note{kalt::xm::kMiddleC, static_cast<std::uint8_t>(instrument), 0, effect, param};
}

// A module of `channels` channels and `instruments` instruments (each a
// short looped square wave) at the given speed and tempo, with `patterns`
// empty patterns of `rows` rows played once each in order.
inline Module Make(int channels, int instruments, int patterns, int rows, int speed = 6, int tempo = 125) {
  Module module;
  module.channels = channels;
  module.speed = speed;
  module.tempo = tempo;
  for (int i = 0; i < instruments; ++i) {
    kalt::xm::Sample sample;
    for (int f = 0; f < 64; ++f) sample.pcm.push_back(f < 32 ? 8000 : -8000);
    sample.loop = kalt::xm::LoopType::Forward;
    sample.loopLength = 64;
    kalt::xm::Instrument instrument;
    instrument.name = "square";
    instrument.samples.push_back(sample);
    module.instruments.push_back(instrument);
  }
  for (int p = 0; p < patterns; ++p) {
    module.patterns.push_back(kalt::xm::MakePattern(rows, channels));
    module.orders.push_back(p);
  }
  return module;
}

// A file holding the module, removed when the object goes.
class File {
 public:
  explicit File(const Module& module, std::string directory = "/tmp") {
    const std::vector<std::uint8_t> bytes = kalt::xm::WriteXm(module);
    std::string name = directory + "/player-test-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
    close(fd);
    path_ = name;
  }
  ~File() { std::remove(path_.c_str()); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::unique_ptr<music::Player> Open(const File& file, bool loop = false) {
  std::string error;
  auto player = music::Player::Open(file.path(), music::PlayerOptions{.loop = loop}, &error);
  if (!player) std::fprintf(stderr, "%s\n", error.c_str());
  return player;
}

// Plays `frames` frames offline, as an output would: blocks of `block`
// frames rendered, then reported heard.
inline void Listen(music::Player& player, std::uint64_t frames, std::size_t block = 1000) {
  std::vector<float> buffer(2 * block);
  for (std::uint64_t done = 0; done < frames; done += block) {
    player.Render(buffer.data(), block, done);
    player.Played(done + block);
  }
}

// Every note heard while listening, from instruments 1..instruments.
inline std::shared_ptr<std::vector<music::Trigger>> Record(music::Player& player, int instruments) {
  auto heard = std::make_shared<std::vector<music::Trigger>>();
  for (int i = 1; i <= instruments; ++i) {
    player.OnInstrument(i, [heard](const music::Trigger& trigger) { heard->push_back(trigger); });
  }
  return heard;
}

}  // namespace modules
