#include "frame_sink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "cast_file.h"
#include "media_file.h"
#include "picture.h"

namespace capture {

namespace {

// The cells drawn as pictures, encoded with the show's sound.
class VideoSink final : public FrameSink {
 public:
  VideoSink(const Options& options, Timings& timings)
      : timings_(timings),
        lossless_(options.lossless),
        scale_(options.scale),
        picture_(options.scale, options.grid),
        media_(MediaSettings{.width = picture_.width(),
                             .height = picture_.height(),
                             .fps = options.fps,
                             .scale = options.scale,
                             .matroska = options.container == Container::kMatroska,
                             .lossless = options.lossless}) {}

  void Open(const std::string& path) override { media_.Open(path); }

  void AddFrame(const ShowFrame& frame, double /*seconds: the pictures are counted*/) override {
    const std::vector<std::uint32_t>* pixels = nullptr;
    {
      Stopwatch watch(timings_.picture);
      pixels = &picture_.Draw(frame.View());
    }
    Stopwatch watch(timings_.encode);
    media_.AddPicture(pixels->data());
  }

  void AddSound(OfflineShow& show, std::size_t frames) override {
    sound_.resize(2 * frames);
    {
      Stopwatch watch(timings_.show);
      show.NextSound(sound_.data(), frames);
    }
    Stopwatch watch(timings_.encode);
    media_.AddSound(sound_.data(), frames);
  }

  void Finish() override { media_.Finish(); }

  std::string Describe() const override {
    char text[96];
    if (lossless_)
      std::snprintf(text, sizeof text, "%d x %d, FFV1 RGB + FLAC", picture_.width(), picture_.height());
    else
      std::snprintf(text, sizeof text, "%d x %d, H.264 %s + AAC", picture_.width(), picture_.height(),
                    scale_ % 2 == 0 ? "4:2:0" : "4:4:4");
    return text;
  }

 private:
  Timings& timings_;
  bool lossless_;
  int scale_;
  Picture picture_;
  MediaFile media_;
  std::vector<float> sound_;
};

// Closes a stream (for unique_ptr) when it was not closed by hand.
struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The cells as the bytes a terminal gets; no sound.
class CastSink final : public FrameSink {
 public:
  CastSink(const Options& options, Timings& timings) : timings_(timings), grid_(options.grid) {}

  void Open(const std::string& path) override {
    path_ = path;
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_) throw CaptureError("cannot write " + path + ": " + std::strerror(errno));
    cast_.emplace(file_.get(), CondemoTitle(), grid_);
  }

  void AddFrame(const ShowFrame& frame, double seconds) override {
    Stopwatch watch(timings_.encode);
    cast_->AddFrame(seconds, frame.View());
  }

  void AddSound(OfflineShow& /*show*/, std::size_t /*frames*/) override {}

  void Finish() override {
    const bool written = std::fflush(file_.get()) == 0 && !std::ferror(file_.get());
    const int writeError = errno;
    // Closed whatever happened, and once only.
    const bool closed = std::fclose(file_.release()) == 0;
    if (!written || !closed)
      throw CaptureError("cannot write " + path_ + ": " + std::strerror(written ? errno : writeError));
  }

  std::string Describe() const override {
    return "asciicast v2, " + std::to_string(grid_.columns) + " x " + std::to_string(grid_.rows);
  }

 private:
  Timings& timings_;
  kalt::GridSize grid_;
  std::string path_;
  std::unique_ptr<std::FILE, CloseFile> file_;
  std::optional<CastFile> cast_;
};

}  // namespace

std::unique_ptr<FrameSink> OpenSink(const Options& options, Timings& timings) {
  if (options.container == Container::kCast) return std::make_unique<CastSink>(options, timings);
  return std::make_unique<VideoSink>(options, timings);
}

}  // namespace capture
