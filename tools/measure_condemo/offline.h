// The show rendered offline at a fixed frame rate, its frames encoded as
// the terminal would receive them: bytes that do not depend on the
// machine's speed.
#pragma once

#include "terminal/screen.h"

// Renders the whole show as capture does (the song heard offline,
// "DiRURODU.XM" from the working directory) at `fps` frames a second with `workerCount` render
// threads, encodes every frame for a terminal of 80 x 50 with changed cells
// and every cell, in 16 colours and in true colour, REP as `repeat` allows,
// and prints bytes per frame and per second of each. Returns the exit
// status (1 without the song, after a message on stderr).
int MeasureOffline(int fps, int workerCount, term::Repeat repeat);
