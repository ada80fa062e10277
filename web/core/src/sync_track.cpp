#include "web/sync_track.h"

#include <charconv>

namespace web {

namespace {

constexpr std::string_view kHeader = "kalt-sync 1";

// The next number of `line` from `at` on, after one space.
template <class T>
bool Number(std::string_view line, std::size_t& at, T& value) {
  if (at >= line.size() || line[at] != ' ') return false;
  const auto [end, error] = std::from_chars(line.data() + at + 1, line.data() + line.size(), value);
  if (error != std::errc{} || end == line.data() + at + 1) return false;
  at = static_cast<std::size_t>(end - line.data());
  return true;
}

bool ParseEvent(std::string_view line, SyncEvent& event) {
  std::size_t at = 0;
  const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), event.sample);
  if (error != std::errc{} || event.sample < 0) return false;
  at = static_cast<std::size_t>(end - line.data());
  if (at + 2 > line.size() || line[at] != ' ') return false;
  const char kind = line[at + 1];
  at += 2;
  switch (kind) {
    case SyncEvent::kOrder:
    case SyncEvent::kStrike:
      event.kind = static_cast<SyncEvent::Kind>(kind);
      return Number(line, at, event.value) && at == line.size();
    case SyncEvent::kEnd:
      event.kind = SyncEvent::kEnd;
      event.value = 0;
      return at == line.size();
    default:
      return false;
  }
}

}  // namespace

std::string WriteSyncTrack(const std::vector<SyncEvent>& events) {
  std::string text(kHeader);
  text += '\n';
  for (const SyncEvent& event : events) {
    text += std::to_string(event.sample);
    text += ' ';
    text += static_cast<char>(event.kind);
    if (event.kind != SyncEvent::kEnd) text += ' ' + std::to_string(event.value);
    text += '\n';
  }
  return text;
}

bool ReadSyncTrack(std::string_view text, std::vector<SyncEvent>& events, std::string* error) {
  events.clear();
  const auto fail = [&](const std::string& why) {
    events.clear();
    if (error) *error = why;
    return false;
  };
  int lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    if (lineNumber == 1) {
      if (line != kHeader) return fail("not a sync track (no \"kalt-sync 1\" line first)");
      continue;
    }
    SyncEvent event;
    if (!ParseEvent(line, event)) return fail("line " + std::to_string(lineNumber) + " is not an event");
    if (!events.empty() && event.sample < events.back().sample)
      return fail("line " + std::to_string(lineNumber) + " goes back in time");
    events.push_back(event);
  }
  if (lineNumber == 0) return fail("the sync track is empty");
  return true;
}

void HeardSong::HearUpTo(std::int64_t position) {
  for (; next_ < events_.size() && events_[next_].sample <= position; ++next_) {
    const SyncEvent& event = events_[next_];
    switch (event.kind) {
      case SyncEvent::kOrder:
        order_ = event.value;
        break;
      case SyncEvent::kStrike:
        condemo::ApplyInstrument(pulse_, event.value);
        break;
      case SyncEvent::kEnd:
        ended_ = true;
        break;
    }
  }
}

}  // namespace web
