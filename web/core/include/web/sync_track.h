// web/sync_track.h - condemo's song as heard, written down once: the order
// positions, the notes of the pulse instruments and the song's end, each
// at the sample position at which the show hears it. The page plays the
// song's recorded sound and replays this track against the sound's clock,
// so that its frames see what a run of the show with the player hears.
//
// The file is text, one event a line after the header line "kalt-sync 1":
//   SAMPLE o ORDER        the order position heard from SAMPLE on
//   SAMPLE s INSTRUMENT   a note of a pulse instrument heard at SAMPLE
//   SAMPLE e              the song's end heard at SAMPLE
// Samples never decrease from line to line; events of one sample keep the
// order in which the player delivered them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "condemo/pulse.h"

namespace web {

struct SyncEvent {
  enum Kind : char { kOrder = 'o', kStrike = 's', kEnd = 'e' };
  std::int64_t sample = 0;
  Kind kind = kOrder;
  int value = 0;  // the order position or the instrument; 0 for the end
};

// The file's text for the events.
std::string WriteSyncTrack(const std::vector<SyncEvent>& events);

// Reads a track written by WriteSyncTrack. False with a one-line reason in
// *error (a wrong header, a line that is not an event, samples that go
// back) and no events.
bool ReadSyncTrack(std::string_view text, std::vector<SyncEvent>& events, std::string* error);

// The song as a show hears it, from a track: HearUpTo moves the heard
// position on and applies every event up to it (the order position, the
// instrument rules of condemo::ApplyInstrument, the end). The position
// only moves forwards; an earlier position applies nothing.
class HeardSong {
 public:
  explicit HeardSong(std::vector<SyncEvent> events) : events_(std::move(events)) {}

  void HearUpTo(std::int64_t position);
  int Order() const { return order_; }
  bool Ended() const { return ended_; }
  condemo::PulseState& Pulse() { return pulse_; }

 private:
  std::vector<SyncEvent> events_;
  std::size_t next_ = 0;
  int order_ = 0;
  bool ended_ = false;
  condemo::PulseState pulse_;
};

}  // namespace web
