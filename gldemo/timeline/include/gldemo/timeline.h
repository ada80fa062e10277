// gldemo/timeline.h - the scene timeline: which effects draw the frame at a
// given music time, how their layers are combined, and which flash, noise or
// tear pass goes over the result.
//
//   cella::Canvas screen(80, 50);
//   gldemo::ComposeScene(&screen, beat, *pack);   // then show the screen
//
// The music time t (the beat) grows by 0.6 per second of music; one unit is
// one bar of the soundtrack. Its integer part, the beat row, picks a row of
// the timeline; the frame depends on t alone, except in beat rows 58 and
// 59, which draw nothing and cover the whole canvas with black full blocks
// (what the previous frame left shows only in their background colours).
#pragma once

#include <cstdint>

#include "cella/cella.h"

namespace gldemo {

// The gradients the timeline and its effects read: indexes 2 to 14, 16, 26,
// 27, 28, 32 and 33, so a pack needs at least this many.
constexpr int kTimelineGradients = 34;

// The beat row of t: the integer part of t taken as an unsigned byte,
// trunc(t + 128) - 128 reduced modulo 256, with t + 128 formed in single
// precision. For 0 <= t < 256 this is floor(t); t just below 0 gives 255.
// Defined for every float: NaN gives 128, and a sum beyond the int range
// counts as the nearest int limit.
std::uint8_t BeatRow(float t);

// Draws the frame for music time t into the screen canvas (80 by 50; any
// other size is handled as the effects handle it, see gldemo/effects.h),
// using the gradients of `pack`. Every beat row except 58 and 59 draws every
// cell. A pack with fewer than kTimelineGradients gradients leaves the
// layers that read a missing gradient undrawn. A null screen does nothing.
// Runs the effects' parallel loops; call it from one thread at a time.
void ComposeScene(cella::Canvas* screen, float t, const cella::GradientPack& pack);

// Whether the frame at t draws over what the frame before left (beat rows
// 58 and 59) instead of drawing every cell.
bool DrawsOverPrevious(float t);

// One loop of the show in seconds: 176 bars at 0.6 a second (293.33 s);
// the music and the timeline start again after it.
inline constexpr double kLoopSeconds = 880.0 / 3.0;

// The beat at `seconds` of a show that started at 0: seconds x 0.6 within
// the current loop, in double, rounded to float.
float BeatAtSeconds(double seconds);

// The timeline's rows, for listings and measurements: the first and last
// beat row of each, in order, covering 0 to 255.
struct TimelineSpan {
  int first;
  int last;
};
int TimelineRows();
TimelineSpan TimelineRowSpan(int index);

}  // namespace gldemo
