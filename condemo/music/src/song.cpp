#include "music/song.h"

#include <limits>
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
  // 2. The song, from the working directory, with its instruments and the
  //    effects chain; nothing is kept of what is rendered offline but the
  //    frames the output goes on from.
  std::string error;
  std::unique_ptr<OfflineSong> song =
      OfflineSong::Open(kSongFile, music::PlayerOptions{}, std::numeric_limits<std::int64_t>::max(), &error);
  // 3. Without it there is no show to follow.
  if (!song) {
    kalt::ShowAlert("Error! Brom suxx!", "Failed loading Protracker-Module", error.c_str());
    return nullptr;
  }
  return std::unique_ptr<Song>(new Song(std::move(output), std::move(song)));
}

Song::Song(std::unique_ptr<audio::Output> output, std::unique_ptr<OfflineSong> song)
    : song_(std::move(song)), output_(std::move(output)) {}

Song::~Song() { Stop(); }

void Song::Play(std::int64_t from) {
  if (stopped_ || source_) return;
  source_.emplace(*song_, from);
  output_->Play(*source_);
}

int Song::HeardOrder() const { return song_->Order(); }

MusicPulse Song::Pulse() const { return TakePulse(song_->Pulse()); }

void Song::DecayFlashes(double frameDelta) { condemo::DecayFlashes(song_->Pulse(), frameDelta); }

void Song::Stop() {
  stopped_ = true;
  output_->Stop();
}

}  // namespace condemo
