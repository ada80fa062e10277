// gldisplay/display.h - the text-mode display: a frame of cells that a
// driver shows, the queue of the keys typed on it, and its requests to end
// the program.
//
// The drivers: RarodIdazer, an OpenGL window that imitates the PC text
// screen (gldisplay/window_display.h), TerminalDisplay, the terminal on
// standard output (gldisplay/terminal_display.h), and CanvasDisplay, the
// picture of a web page's canvas (gldisplay/canvas_display.h). Each is ready to use as
// constructed. This header and the rasteriser (gldisplay/cells.h) need no
// platform library.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "kalt/cell.h"

namespace gldisplay {

// Whether the display asks the program to end, and how.
struct EndRequest {
  bool end = false;
  // The signal to die of once the program has shut down, so that its
  // caller sees how it ended: SIGINT for Ctrl+C or SIGINT, SIGTERM, SIGHUP
  // (also for a terminal that went away); 0 for a window's close request.
  int signal = 0;
};

struct DisplayStats {
  std::uint64_t frames = 0;   // Present calls
  std::uint64_t bytes = 0;    // bytes written for them (0 in a window)
  std::uint64_t dropped = 0;  // frames not shown: the terminal was busy or not the program's
};

// An abstract text-mode display. All its calls belong on one thread.
class KaltWindow {
 public:
  virtual ~KaltWindow();
  KaltWindow(const KaltWindow&) = delete;
  KaltWindow& operator=(const KaltWindow&) = delete;

  // The frame's size in cells, set when the display is made; only a display
  // that follows its terminal's size (TerminalDisplay with fit) changes it,
  // in its Present calls.
  int columns() const { return columns_; }
  int rows() const { return rows_; }

  // The frame: columns() x rows() cells, row-major (cell index = row *
  // columns() + column), all {0, 0} at first. The program writes it between
  // frames; Present shows it.
  std::span<kalt::Cell> cells() { return cells_; }
  kalt::CellView frame() const { return {cells_, columns_, rows_}; }

  // One frame: shows the cells, each driver in its own way, then handles
  // the input that arrived since the last frame, which fills the key queue
  // and may ask to end (see the drivers).
  virtual void Present() = 0;

  // Whether the display asked to end, and by which signal: the first
  // request is kept. Each request also queues the key 27, as a window's
  // close request reads (see RequestEnd).
  EndRequest EndRequested() const { return end_; }

  virtual DisplayStats Stats() const = 0;

  // The key queue: a ring of 256 slots holding up to 255 unread codes (one
  // slot stays free, so that a full ring differs from an empty one).
  // QueueKey adds a code and returns true; while the queue is full it drops
  // the new code, keeps the unread ones and returns false. TakeKey returns
  // the oldest code, freeing its slot, or 0 when the queue is empty.
  bool QueueKey(std::int32_t code);
  std::int32_t TakeKey();
  // Queues the characters of UTF-8 text as code page 437 codes (see
  // kalt::Cp437Decoder: ASCII as itself; characters code page 437 lacks and
  // malformed bytes are dropped), and drops the rest of the text once the
  // queue is full. A null text queues nothing.
  void QueueText(const char* utf8);

 protected:
  // A frame of columns x rows cells (a negative size counts as 0).
  KaltWindow(int columns, int rows);

  // Makes the frame columns x rows cells (a negative size counts as 0), all
  // {0, 0}, unless it is of that size already.
  void Resize(int columns, int rows);

  // A request to end (a close request, an end signal): the first one's
  // signal is kept for EndRequested, and every request queues the key 27
  // (dropped while the queue is full). Whether an end had been requested
  // before.
  bool RequestEnd(int signal);

 private:
  int columns_;
  int rows_;
  std::vector<kalt::Cell> cells_;
  std::int32_t keyQueue_[256] = {};
  std::uint8_t writeIndex_ = 0;
  std::uint8_t readIndex_ = 0;
  EndRequest end_;
};

// Takes the typed keys, oldest first, until the queue is empty; whether one
// of them was Escape (27, also queued by a request to end).
bool EscapeTyped(KaltWindow& display);

}  // namespace gldisplay
