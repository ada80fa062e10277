// gldemo/demo_main.h - the whole life of gldemo.
#pragma once

#include <functional>

namespace gldemo {

// The files the show reads, relative to the working directory.
constexpr const char* kMusicPath = "../Data20/wierd-thing-one.ogg";
constexpr const char* kGradientPath = "../Data20/gradient.bin";

// Called after each frame has been shown, with the beat it was drawn for.
using FrameShown = std::function<void(float beat)>;

// Plays the show until Escape or a close request of the window:
// 1. The music: the stream is opened on the default output. Failing that,
//    "Failed to load music" (with the reason) goes to stderr and to a
//    message box where a display exists, and the result is 1; no window
//    opens.
// 2. The 80 by 50 screen canvas, the console (no window yet), and the
//    gradient pack. A pack that cannot be read (with the loader's reason,
//    cella::FailureReason) or holds fewer gradients than the timeline uses
//    is reported the same way, naming the file; the result is 1.
// 3. The music plays from the start. Each frame: the typed keys are read
//    (Escape, or closing the window, ends the run after this frame), the
//    beat is taken from the play position and the clock (BeatClock), the
//    song restarts once the beat passes kLoopBeats, the timeline draws the
//    frame for the beat, and the frame is shown.
// Returns 0 after the last frame. The program has no options; `frameShown`
// exists for tests that watch the frames (empty in the program).
int DemoMain(const FrameShown& frameShown = nullptr);

}  // namespace gldemo
