#include "music/player.h"

#include <libopenmpt/libopenmpt.hpp>
#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <vector>

#include "event_queue.h"
#include "tracker.h"

namespace music {

constexpr int kMaxInstrument = 255;
// Far beyond any tracker module.
constexpr std::size_t kMaxModuleBytes = std::size_t{128} << 20;

// Where the tracker's events wait until they are heard: timed after the
// effects chain's delay.
struct Player::Sink final : detail::EventSink {
  void Emit(const detail::SongEvent& event) override {
    detail::SongEvent delayed = event;
    delayed.frame += delay;
    queue.Push(delayed);
  }
  std::uint64_t delay = 0;
  detail::EventQueue<detail::SongEvent, 4096> queue;
};

Player::Player() : log_(nullptr), sink_(std::make_unique<Sink>()), handlers_(new TriggerHandler[kMaxInstrument + 1]) {}

Player::~Player() = default;

std::unique_ptr<Player> Player::Open(const std::string& path, const PlayerOptions& options, std::string* error) {
  auto fail = [&](const std::string& reason) {
    if (error) *error = reason;
    return nullptr;
  };
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return fail("cannot open " + path);
  struct stat info {};
  const bool regular = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
  if (!regular || static_cast<std::uintmax_t>(info.st_size) > kMaxModuleBytes) {
    std::fclose(file);
    return fail(path + (regular ? " is too large for a module" : " is not a file"));
  }
  std::vector<char> bytes(static_cast<std::size_t>(info.st_size));
  const bool complete = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  std::fclose(file);
  if (!complete) return fail("cannot read " + path);

  std::unique_ptr<Player> player(new Player());
  try {
    // Without a repeat the song ends cleanly at its last row, not faded.
    const std::map<std::string, std::string> controls = {{"play.at_end", "stop"}};
    player->module_ = std::make_unique<openmpt::module>(bytes, player->log_, controls);
    player->module_->set_repeat_count(options.loop ? -1 : 0);
  } catch (const std::exception&) {
    return fail(path + " is not a module libopenmpt can play");
  }
  player->tracker_ = std::make_unique<detail::Tracker>(*player->module_);
  return player;
}

int Player::Orders() const { return module_->get_num_orders(); }
int Player::Channels() const { return module_->get_num_channels(); }
int Player::Instruments() const {
  const int instruments = module_->get_num_instruments();
  return instruments > 0 ? instruments : module_->get_num_samples();
}

bool Player::OnInstrument(int instrument, TriggerHandler handler) {
  if (instrument < 1 || instrument > kMaxInstrument) return false;
  handlers_[instrument] = std::move(handler);
  return true;
}

void Player::SetEffects(const EffectsSettings& settings) {
  effects_ = MakeEffectsChain(settings, audio::SampleRate);
  sink_->delay = LatencyFrames(*effects_);
}

void Player::RemoveEffects() {
  effects_.reset();
  sink_->delay = 0;
}

int Player::HeardOrder() const { return heardOrder_.load(std::memory_order_relaxed); }
int Player::HeardRow() const { return heardRow_.load(std::memory_order_relaxed); }
bool Player::EndHeard() const { return endHeard_.load(std::memory_order_relaxed); }

void Player::Render(float* out, std::size_t frames, std::uint64_t firstFrame) {
  tracker_->Render(out, frames, firstFrame, *sink_);
  if (effects_) Process(*effects_, out, frames);
}

std::uint64_t Player::NextCue() {
  const detail::SongEvent* next = sink_->queue.Front();
  return next ? next->frame : audio::NoCue;
}

void Player::Played(std::uint64_t framesPlayed) {
  for (const detail::SongEvent* next = sink_->queue.Front(); next && next->frame <= framesPlayed;
       next = sink_->queue.Front()) {
    const detail::SongEvent event = *next;
    sink_->queue.Pop();
    switch (event.kind) {
      case detail::SongEvent::Row:
        heardOrder_.store(event.order, std::memory_order_relaxed);
        heardRow_.store(event.row, std::memory_order_relaxed);
        break;
      case detail::SongEvent::Strike:
        if (const TriggerHandler& handler = handlers_[event.instrument]) {
          handler(Trigger{event.frame, event.instrument, event.channel, event.order, event.row});
        }
        break;
      case detail::SongEvent::End:
        endHeard_.store(true, std::memory_order_relaxed);
        break;
    }
  }
}

}  // namespace music
