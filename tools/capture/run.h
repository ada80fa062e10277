// A whole capture, as the program runs it: the show's frames into a sink,
// the file under its name only once complete, the summary.
#pragma once

#include <functional>
#include <memory>

#include "frame_sink.h"
#include "options.h"

namespace capture {

// Makes the sink for a capture's options (OpenSink's contract).
using SinkMaker = std::function<std::unique_ptr<FrameSink>(const Options&, Timings&)>;

// Lets SIGINT, SIGTERM and SIGHUP stop a running capture at its next frame
// rather than end the process.
void CatchStopSignals();

// The stop signal that came, 0 while none has.
int StopSignal();

// Captures what `options` ask for into options.out (see kUsage): --state
// lines on stdout, a progress bar while stderr is a terminal, and the
// summary line on stderr. Returns 0 once the file is complete under its
// name. A capture that fails for any reason (a CaptureError, or any other
// exception such as running out of memory) prints "capture: <why>" on
// stderr and returns 1; one that a stop signal ended returns 1 quietly. In
// both cases no file is left behind and an existing file of that name is
// untouched.
int RunCapture(const Options& options, const SinkMaker& openSink = OpenSink);

}  // namespace capture
