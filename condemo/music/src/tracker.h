// The module rendered tick by tick, with the rows and notes the listener will
// hear as events timed to the frame.
#pragma once

#include <libopenmpt/libopenmpt.hpp>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace music::detail {

struct SongEvent {
  enum Kind : std::uint8_t {
    Row,     // a row starts (again, in a loop): order and row
    Strike,  // a note is struck: channel, instrument, and its row
    End,     // the song has ended
  };
  std::uint64_t frame = 0;
  std::int32_t order = 0;
  std::int32_t row = 0;
  std::int16_t channel = -1;
  std::uint8_t instrument = 0;
  Kind kind = Row;
};

class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void Emit(const SongEvent& event) = 0;
};

// Drives an openmpt::module one tick at a time. The first frame of every
// tick is rendered on its own, so that the module has processed the tick
// (new row, tempo, speed) when its state is read; the rest of the tick
// follows in one piece, its length the player's own tick length for that
// tempo (2.5 s / tempo, in whole frames). Rows are therefore seen on the
// very frame they start, and a note delayed by d ticks is struck on the
// first frame of tick d.
//
// A note counts as struck when a row's cell holds a note (not a key-off,
// cut or fade) that is not a tone-portamento target, with the cell's
// instrument or else the last instrument named on that channel; a note
// delayed beyond the row's ticks is never struck. A row that plays again
// without moving (a loop on itself, the song wrapping onto the same row) is
// seen once its ticks have run out, pattern delays counted.
class Tracker {
 public:
  explicit Tracker(openmpt::module& module);

  // Renders `frames` interleaved stereo frames, the first at timeline
  // position firstFrame, and emits the events inside them in order. After
  // the song's end (with no repeat) it renders silence.
  void Render(float* out, std::size_t frames, std::uint64_t firstFrame, EventSink& sink);

 private:
  struct Cell {
    std::int16_t channel = 0;
    std::uint8_t instrument = 0;  // 0: none named
    std::uint8_t delay = 0;       // note delay in ticks
    bool strikes = false;         // holds a note that is struck
  };
  struct RowCells {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    int extraRows = 0;  // pattern delay: the row's ticks run this many more times
  };
  struct Pending {
    std::int16_t channel;
    std::uint8_t instrument;
    std::uint8_t delay;
  };

  void BuildRows();
  const RowCells* FindRow(int pattern, int row) const;
  bool StartTick(float* out, std::uint64_t frame, EventSink& sink);
  void StartRow(int order, int row, std::uint64_t frame, EventSink& sink);

  openmpt::module& module_;
  std::vector<std::uint32_t> patternFirstRow_;  // per pattern, index into rows_
  std::vector<int> patternRows_;
  std::vector<RowCells> rows_;
  std::vector<Cell> cells_;

  std::vector<std::uint8_t> channelInstrument_;  // last instrument named per channel
  std::vector<Pending> pending_;                 // notes of this row still to strike
  std::uint64_t tickFramesLeft_ = 0;
  int order_ = -1;
  int row_ = -1;
  int rowTick_ = 0;
  int rowTicks_ = 0;
  bool ended_ = false;
};

}  // namespace music::detail
