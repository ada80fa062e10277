// gldemo/demo_main.h - the whole life of gldemo.
#pragma once

#include <functional>

#include "cella/cella.h"

namespace gldemo {

// The files the show reads, relative to the working directory.
constexpr const char* kMusicPath = "../Data20/wierd-thing-one.ogg";
constexpr const char* kGradientPath = "../Data20/gradient.bin";

// Called after each frame has been shown, with the beat it was drawn for.
using FrameShown = std::function<void(float beat)>;

struct DemoOptions {
  // Seconds of the show to start at (0 or more; within the loop of
  // kLoopSeconds that it falls in): the soundtrack plays from there, and
  // the screen holds what the frames before it leave (PrimeScreen).
  double from = 0.0;
  // At most this many frames a second (kalt::FrameCap); 0: as many as the
  // machine draws.
  long fps = 0;
  // For tests that watch the frames (empty in the program).
  FrameShown frameShown;
};

// Draws into `screen` what the frames of a run from the start, every 1/fps
// seconds, leave before the frame at `seconds`: the last of them that draws
// every cell (beat rows 58 and 59 draw over the frame before:
// DrawsOverPrevious). Nothing when no frame comes before.
void PrimeScreen(cella::Canvas* screen, double seconds, int fps, const cella::GradientPack& pack);

// Plays the show until Escape or a close request of the window:
// 1. The music: the stream is opened on the default output. Failing that,
//    "Failed to load music" (with the reason) goes to stderr and to a
//    message box where a display exists, and the result is 1; no window
//    opens.
// 2. The 80 by 50 screen canvas, the console (no window yet), and the
//    gradient pack. A pack that cannot be read (with the loader's reason,
//    cella::FailureReason) or holds fewer gradients than the timeline uses
//    is reported the same way, naming the file; the result is 1.
// 3. The music plays from the start (or options.from). Each frame: the typed keys are read
//    (Escape, or closing the window, ends the run after this frame), the
//    beat is taken from the play position and the clock (BeatClock), the
//    song restarts once the beat passes kLoopBeats, the timeline draws the
//    frame for the beat, the frame is shown, and the loop waits for the
//    frame cap, if any.
// Returns 0 after the last frame.
int DemoMain(const DemoOptions& options = {});

}  // namespace gldemo
