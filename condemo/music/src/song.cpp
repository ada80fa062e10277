#include "music/song.h"

#include <string>
#include <utility>

#include "kalt/alert.h"

namespace condemo {

void HookInstruments(music::Player& song, PulseState& state) {
  const auto hook = [&song, &state](int instrument) {
    song.OnInstrument(instrument, [&state](const music::Trigger& t) { ApplyInstrument(state, t.instrument); });
  };
  for (const int instrument : kFlashAInstruments) hook(instrument);
  for (const int instrument : kFlashBInstruments) hook(instrument);
  hook(kBeatInstrument);
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

std::unique_ptr<Song> Song::Start() {
  // 1. The output: the sound device, or the silent sink that keeps time.
  std::unique_ptr<audio::Output> output = audio::OpenOutput();
  // 2. The song, from the working directory.
  std::string error;
  std::unique_ptr<music::Player> player = music::Player::Open(kSongFile, music::PlayerOptions{}, &error);
  // 3. Without it there is no show to follow.
  if (!player) {
    kalt::ShowAlert("Error! Brom suxx!", "Failed loading Protracker-Module", error.c_str());
    return nullptr;
  }
  // 4. The instruments and the effects chain (the constructor).
  return std::unique_ptr<Song>(new Song(std::move(output), std::move(player)));
}

Song::Song(std::unique_ptr<audio::Output> output, std::unique_ptr<music::Player> player)
    : output_(std::move(output)), player_(std::move(player)) {
  HookInstruments(*player_, pulse_);
  player_->SetEffects(SongEffects());
}

Song::~Song() { Stop(); }

void Song::Play() {
  if (!stopped_) output_->Play(*player_);
}

int Song::HeardOrder() const { return player_->HeardOrder(); }

MusicPulse Song::Pulse() const { return TakePulse(pulse_); }

void Song::DecayFlashes(double frameDelta) { condemo::DecayFlashes(pulse_, frameDelta); }

void Song::Stop() {
  stopped_ = true;
  output_->Stop();
}

}  // namespace condemo
