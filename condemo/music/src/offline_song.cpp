#include "music/offline_song.h"

#include <algorithm>

#include "music/song.h"

namespace condemo {

std::unique_ptr<OfflineSong> OfflineSong::Open(const std::string& path, const music::PlayerOptions& options,
                                               std::int64_t firstKept, std::string* error) {
  std::unique_ptr<OfflineSong> song(new OfflineSong(firstKept));
  song->player_ = music::Player::Open(path, options, error);
  if (!song->player_) return nullptr;
  HookInstruments(*song->player_, song->pulse_);
  song->player_->SetEffects(SongEffects());
  return song;
}

void OfflineSong::HearUpTo(std::int64_t position) {
  RenderTo(position + 1);
  player_->Played(static_cast<std::uint64_t>(position));
}

void OfflineSong::TakeSound(float* out, std::size_t frames) {
  while ((kept_.size() - read_) / 2 < frames) RenderTo(rendered_ + 1);
  std::copy_n(kept_.begin() + static_cast<std::ptrdiff_t>(read_), 2 * frames, out);
  read_ += 2 * frames;
  if (read_ > kept_.size() / 2) {
    kept_.erase(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(read_));
    read_ = 0;
  }
}

void OfflineSong::KeepFrom(std::int64_t position) {
  RenderTo(position);
  firstKept_ = position;
  kept_.clear();
  read_ = 0;
  const std::int64_t blockStart = rendered_ - static_cast<std::int64_t>(kSongBlockFrames);
  if (position < rendered_ && position >= blockStart)
    kept_.assign(block_.begin() + 2 * (position - blockStart), block_.end());
}

void OfflineSong::RenderTo(std::int64_t end) {
  constexpr auto kFrames = static_cast<std::int64_t>(kSongBlockFrames);
  while (rendered_ < end) {
    player_->Render(block_.data(), kSongBlockFrames, static_cast<std::uint64_t>(rendered_));
    // What the output does to every sample before the device gets it.
    audio::Saturate(block_.data(), 2 * kSongBlockFrames);
    const std::int64_t skip = std::clamp<std::int64_t>(firstKept_ - rendered_, 0, kFrames);
    kept_.insert(kept_.end(), block_.begin() + 2 * skip, block_.end());
    rendered_ += kFrames;
  }
}

GoingOn::GoingOn(OfflineSong& song, std::int64_t from) : song_(song), from_(static_cast<std::uint64_t>(from)) {
  if (from > 0) song_.KeepFrom(from);
}

void GoingOn::Render(float* out, std::size_t frames, std::uint64_t firstFrame) {
  if (from_ == 0) song_.Player().Render(out, frames, firstFrame);
  else song_.TakeSound(out, frames);
}

std::uint64_t GoingOn::NextCue() {
  const std::uint64_t cue = song_.Player().NextCue();
  return cue == audio::NoCue ? cue : cue - std::min(cue, from_);
}

void GoingOn::Played(std::uint64_t framesPlayed) { song_.Player().Played(framesPlayed + from_); }

}  // namespace condemo
