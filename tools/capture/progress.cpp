#include "progress.h"

#include <sys/ioctl.h>

#include <algorithm>

namespace capture {

namespace {

std::string Clock(double seconds) {
  const auto whole = static_cast<long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

}  // namespace

std::string ProgressLine(std::int64_t done, std::int64_t total, int fps, double seconds, int width) {
  const double speed = seconds > 0.0 ? static_cast<double>(done) / fps / seconds : 0.0;
  char counts[96];
  if (total > 0)
    std::snprintf(counts, sizeof counts, " %lld/%lld frames  %.2fx real time", static_cast<long long>(done),
                  static_cast<long long>(total), speed);
  else
    std::snprintf(counts, sizeof counts, " %lld frames  %.2fx real time", static_cast<long long>(done), speed);
  std::string line = counts;
  if (total > 0 && speed > 0.0) {
    const double left = static_cast<double>(std::max<std::int64_t>(total - done, 0)) / fps / speed;
    line += "  " + Clock(left) + " left";
    // The bar takes what the text leaves.
    const int bar = std::min(40, width - static_cast<int>(line.size()) - 3);
    if (bar >= 10) {
      const auto filled = static_cast<int>(static_cast<double>(bar) * std::min<std::int64_t>(done, total) / total);
      std::string drawn(static_cast<std::size_t>(bar + 2), '-');
      drawn.front() = '[';
      drawn.back() = ']';
      std::fill_n(drawn.begin() + 1, filled, '#');
      line.insert(0, drawn);
    }
  }
  if (static_cast<int>(line.size()) > width) line.resize(static_cast<std::size_t>(std::max(width, 0)));
  return line;
}

Progress::Progress(std::FILE* out, std::int64_t totalFrames, int fps) : out_(out), total_(totalFrames), fps_(fps) {
  winsize size{};
  if (out_ && ioctl(fileno(out_), TIOCGWINSZ, &size) == 0 && size.ws_col > 1) width_ = size.ws_col - 1;
}

Progress::~Progress() { Clear(); }

double Progress::Elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Progress::Update(std::int64_t done) {
  if (!out_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - drawn_ < std::chrono::milliseconds(100)) return;
  drawn_ = now;
  shown_ = true;
  std::fprintf(out_, "\r%s\x1b[K", ProgressLine(done, total_, fps_, Elapsed(), width_).c_str());
  std::fflush(out_);
}

void Progress::Clear() {
  if (!out_ || !shown_) return;
  shown_ = false;
  std::fputs("\r\x1b[K", out_);
  std::fflush(out_);
}

}  // namespace capture
