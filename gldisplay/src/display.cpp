// The display's state that every driver shares: the frame, the key queue
// and the requests to end.
#include "gldisplay/display.h"

#include <algorithm>

#include "kalt/cp437.h"

namespace gldisplay {

namespace {

constexpr std::int32_t kCloseKey = 27;

}  // namespace

KaltWindow::KaltWindow(int columns, int rows)
    : columns_(std::max(columns, 0)),
      rows_(std::max(rows, 0)),
      cells_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_)) {}

KaltWindow::~KaltWindow() = default;

void KaltWindow::Resize(int columns, int rows) {
  columns = std::max(columns, 0), rows = std::max(rows, 0);
  if (columns == columns_ && rows == rows_) return;
  columns_ = columns, rows_ = rows;
  cells_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), kalt::Cell{});
}

bool KaltWindow::QueueKey(std::int32_t code) {
  if (static_cast<std::uint8_t>(writeIndex_ + 1) == readIndex_) return false;  // full
  keyQueue_[writeIndex_++] = code;
  return true;
}

std::int32_t KaltWindow::TakeKey() {
  if (readIndex_ == writeIndex_) return 0;
  return keyQueue_[readIndex_++];
}

void KaltWindow::QueueText(const char* utf8) {
  if (!utf8) return;
  kalt::Cp437Decoder decoder;
  for (const char* byte = utf8; *byte; ++byte) {
    const int code = decoder.Feed(static_cast<std::uint8_t>(*byte));
    if (code >= 0 && !QueueKey(code)) return;  // full: the rest is dropped too
  }
}

bool KaltWindow::RequestEnd(int signal) {
  const bool before = end_.end;
  if (!before) end_ = {true, signal};
  QueueKey(kCloseKey);
  return before;
}

bool EscapeTyped(KaltWindow& display) {
  bool escape = false;
  for (int key = display.TakeKey(); key != 0; key = display.TakeKey()) escape |= key == kCloseKey;
  return escape;
}

}  // namespace gldisplay
