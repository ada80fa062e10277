#include "music/song.h"

#include <memory>
#include <string>

#include "kalt/alert.h"
#include "audio/output.h"

namespace condemo {

std::atomic<float> flashA{0.0f};
std::atomic<float> flashB{0.0f};
std::atomic<float> flashC{0.0f};
std::atomic<std::int32_t> beatCount{0};

namespace {

// The output and the song live from StartSong to StopMusic.
std::unique_ptr<audio::Output> output;
std::unique_ptr<music::Player> song;

}  // namespace

void HookInstruments(music::Player& song) {
  for (const int instrument : kFlashAInstruments) {
    song.OnInstrument(instrument, [](const music::Trigger&) { flashA.store(1.0f, std::memory_order_relaxed); });
  }
  for (const int instrument : kFlashBInstruments) {
    song.OnInstrument(instrument, [](const music::Trigger&) { flashB.store(0.75f, std::memory_order_relaxed); });
  }
  song.OnInstrument(kBeatInstrument, [](const music::Trigger&) {
    beatCount.fetch_add(1, std::memory_order_relaxed);
    flashC.store(1.0f, std::memory_order_relaxed);
  });
}

music::EffectsSettings SongEffects() {
  music::EffectsSettings settings;
  settings.equalisers[0] = {.centreHz = 14000.0f, .bandwidthSemitones = 32.0f, .gainDb = 4.0f};
  settings.equalisers[1] = {.centreHz = 50.0f, .bandwidthSemitones = 32.0f, .gainDb = 7.0f};
  settings.reverb = {.inputGainDb = 0.0f, .mixDb = -50.0f, .timeMs = 1000.0f, .highFreqRatio = 0.3f};
  settings.compressor = {.gainDb = 1.0f, .attackMs = 1.0f, .releaseMs = 50.0f, .thresholdDb = -5.0f,
                         .ratio = 1.5f, .preDelayMs = 0.0f};
  return settings;
}

bool StartSong() {
  StopMusic();
  // 1. The output: the sound device, or the silent sink that keeps time.
  output = audio::OpenOutput();
  // 2. The song, from the working directory.
  std::string error;
  song = music::Player::Open(kSongFile, music::PlayerOptions{}, &error);
  // 3. Without it there is no show to follow.
  if (!song) {
    kalt::ShowAlert("Error! Brom suxx!", "Failed loading Protracker-Module", error.c_str());
    return false;
  }
  // 4. The instruments that drive the pictures.
  HookInstruments(*song);
  // 5. The effects chain on the song's sound.
  song->SetEffects(SongEffects());
  return true;
}

void PlayMusic() {
  if (song) output->Play(*song);
}

int MusicOrder() { return song ? song->HeardOrder() : -1; }

void StopMusic() {
  if (output) output->Stop();
  if (song) song->RemoveEffects();
  song.reset();
  output.reset();
}

void DecayFlashes(double frameDelta) {
  const auto decay = [frameDelta](std::atomic<float>& flash, double rate) {
    const float v = flash.load(std::memory_order_relaxed);
    flash.store(v > 0.0f ? static_cast<float>(v - rate * frameDelta) : 0.0f, std::memory_order_relaxed);
  };
  decay(flashA, 4.0);
  decay(flashB, 3.0);
  decay(flashC, 4.0);
}

}  // namespace condemo
