#include "tracker.h"

#include <algorithm>
#include <string>

#include "audio/output.h"

namespace music::detail {
namespace {

// libopenmpt's raw note values: 1..120 are notes; key-off, cut and fade lie
// above.
constexpr int kLastNote = 120;

// The frames of one tick at `tempo` (the classic tracker timing: a tick
// lasts 2.5 s / tempo), as the player counts them; at least 1.
std::uint64_t TickFrames(int tempo) {
  return static_cast<std::uint64_t>(std::max(audio::SampleRate * 5 / 2 / std::max(tempo, 1), 1));
}

// The effect letters of the two tracker families: MOD/XM and S3M/IT.
struct Letters {
  char extended;      // E / S: sub-command in the parameter's high nibble
  char tonePorta;     // 3 / G
  char tonePortaVol;  // 5 / L
};
constexpr Letters kModLetters = {'E', '3', '5'};
constexpr Letters kItLetters = {'S', 'G', 'L'};
constexpr char kVolumeTonePorta = 'g';  // tone portamento in the volume column
constexpr int kNoteDelay = 0xD;
constexpr int kPatternDelay = 0xE;

}  // namespace

Tracker::Tracker(openmpt::module& module) : module_(module) {
  BuildRows();
  const auto channels = static_cast<std::size_t>(std::max(module_.get_num_channels(), 0));
  channelInstrument_.assign(channels, 0);
  pending_.reserve(channels);
}

// Reads every pattern cell once, keeping what the strikes depend on.
void Tracker::BuildRows() {
  const std::string type = module_.get_metadata("type");
  const Letters& letters = (type == "s3m" || type == "it" || type == "mptm") ? kItLetters : kModLetters;
  const int channels = module_.get_num_channels();
  const int patterns = std::max(module_.get_num_patterns(), 0);
  patternFirstRow_.resize(static_cast<std::size_t>(patterns));
  patternRows_.resize(static_cast<std::size_t>(patterns));
  for (int p = 0; p < patterns; ++p) {
    const int rows = std::max(module_.get_pattern_num_rows(p), 0);
    patternFirstRow_[p] = static_cast<std::uint32_t>(rows_.size());
    patternRows_[p] = rows;
    for (int r = 0; r < rows; ++r) {
      RowCells row;
      row.first = static_cast<std::uint32_t>(cells_.size());
      for (int c = 0; c < channels; ++c) {
        const int note = module_.get_pattern_row_channel_command(p, r, c, openmpt::module::command_note);
        const int instrument = module_.get_pattern_row_channel_command(p, r, c, openmpt::module::command_instrument);
        const std::string effect = module_.format_pattern_row_channel_command(p, r, c, openmpt::module::command_effect);
        const std::string volume =
            module_.format_pattern_row_channel_command(p, r, c, openmpt::module::command_volumeffect);
        const int parameter = module_.get_pattern_row_channel_command(p, r, c, openmpt::module::command_parameter);
        const char letter = effect.empty() ? '.' : effect[0];
        if (letter == letters.extended && parameter >> 4 == kPatternDelay) {
          row.extraRows = std::max(row.extraRows, parameter & 0xF);
        }
        const bool isNote = note >= 1 && note <= kLastNote;
        if (!isNote && instrument == 0) continue;
        const bool tonePorta = letter == letters.tonePorta || letter == letters.tonePortaVol ||
                               (!volume.empty() && volume[0] == kVolumeTonePorta);
        Cell cell;
        cell.channel = static_cast<std::int16_t>(c);
        cell.instrument = static_cast<std::uint8_t>(instrument);
        cell.strikes = isNote && !tonePorta;
        cell.delay = static_cast<std::uint8_t>(letter == letters.extended && parameter >> 4 == kNoteDelay
                                                   ? parameter & 0xF
                                                   : 0);
        cells_.push_back(cell);
      }
      row.count = static_cast<std::uint32_t>(cells_.size()) - row.first;
      rows_.push_back(row);
    }
  }
}

const Tracker::RowCells* Tracker::FindRow(int pattern, int row) const {
  if (pattern < 0 || pattern >= static_cast<int>(patternRows_.size())) return nullptr;
  if (row < 0 || row >= patternRows_[pattern]) return nullptr;
  return &rows_[patternFirstRow_[pattern] + static_cast<std::uint32_t>(row)];
}

void Tracker::Render(float* out, std::size_t frames, std::uint64_t firstFrame, EventSink& sink) {
  while (frames > 0) {
    if (ended_) {
      std::fill(out, out + 2 * frames, 0.0f);
      return;
    }
    // 1. A new tick: its first frame alone, then the tick's events.
    if (tickFramesLeft_ == 0) {
      if (!StartTick(out, firstFrame, sink)) continue;
      out += 2;
      --frames;
      ++firstFrame;
      continue;
    }
    // 2. The rest of the tick, as far as this call goes.
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(frames, tickFramesLeft_));
    const std::size_t got = module_.read_interleaved_stereo(audio::SampleRate, wanted, out);
    tickFramesLeft_ -= got;
    out += 2 * got;
    frames -= got;
    firstFrame += got;
    if (got < wanted) {
      ended_ = true;
      sink.Emit(SongEvent{firstFrame, order_, row_, -1, 0, SongEvent::End});
    }
  }
}

bool Tracker::StartTick(float* out, std::uint64_t frame, EventSink& sink) {
  if (module_.read_interleaved_stereo(audio::SampleRate, 1, out) != 1) {
    ended_ = true;
    sink.Emit(SongEvent{frame, order_, row_, -1, 0, SongEvent::End});
    return false;
  }
  tickFramesLeft_ = TickFrames(module_.get_current_tempo()) - 1;
  const int order = module_.get_current_order();
  const int row = module_.get_current_row();
  if (order != order_ || row != row_ || ++rowTick_ >= rowTicks_) StartRow(order, row, frame, sink);
  // Strike the notes due on this tick, in channel order.
  for (const Pending& note : pending_) {
    if (note.delay == rowTick_) sink.Emit(SongEvent{frame, order_, row_, note.channel, note.instrument, SongEvent::Strike});
  }
  std::erase_if(pending_, [this](const Pending& note) { return note.delay == rowTick_; });
  return true;
}

void Tracker::StartRow(int order, int row, std::uint64_t frame, EventSink& sink) {
  order_ = order;
  row_ = row;
  rowTick_ = 0;
  const int speed = std::max(module_.get_current_speed(), 1);
  const RowCells* cells = FindRow(module_.get_current_pattern(), row);
  rowTicks_ = speed * (1 + (cells ? cells->extraRows : 0));
  sink.Emit(SongEvent{frame, order, row, -1, 0, SongEvent::Row});
  // Notes not struck by now (delayed beyond their row) never will be.
  pending_.clear();
  if (!cells) return;
  for (std::uint32_t i = cells->first; i < cells->first + cells->count; ++i) {
    const Cell& cell = cells_[i];
    std::uint8_t& current = channelInstrument_[static_cast<std::size_t>(cell.channel)];
    if (cell.instrument != 0) current = cell.instrument;
    if (cell.strikes && current != 0 && cell.delay < speed) pending_.push_back({cell.channel, current, cell.delay});
  }
}

}  // namespace music::detail
