// Where a capture's frames go: a video file with the show's sound, or a
// terminal recording. The capture drives every kind the same way:
//
//   sink = OpenSink(options, timings);   // what can fail before any frame
//   sink->Open(path);                     // the file and its header
//   per frame: sink->AddFrame(frame, seconds); sink->AddSound(show, n);
//   sink->Finish();                       // the file complete and closed
//
// A sink that is destroyed unfinished closes its file as far as it was
// written; the capture then removes it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "options.h"
#include "progress.h"
#include "shows.h"

namespace capture {

class FrameSink {
 public:
  virtual ~FrameSink() = default;

  // Creates (or truncates) the file at `path` and writes its header.
  // Throws CaptureError when it cannot.
  virtual void Open(const std::string& path) = 0;
  // The next frame, shown `seconds` after the start of the file.
  virtual void AddFrame(const ShowFrame& frame, double seconds) = 0;
  // The sound heard during the last frame: the show's next `frames` stereo
  // frames. A sink without sound leaves them in the show.
  virtual void AddSound(OfflineShow& show, std::size_t frames) = 0;
  // Writes what is pending and the end of the file, and closes it. Throws
  // CaptureError when any of it fails (a write, the close).
  virtual void Finish() = 0;
  // What the file holds, for the summary: "640 x 400, FFV1 RGB + FLAC".
  virtual std::string Describe() const = 0;
};

// The sink of the output options.container names: MediaFile's video of
// options.demo's pictures drawn at options.scale, or an asciicast recording
// of condemo's cells (CastFile). It adds its time to `timings` (kept by the
// caller) as it works. Throws CaptureError when the pictures' font or an
// encoder is missing or refuses the settings.
std::unique_ptr<FrameSink> OpenSink(const Options& options, Timings& timings);

}  // namespace capture
