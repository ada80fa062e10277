// condemo/director.h - the scene director: from the song's order position
// and the clock to the scene parameters of a frame.
#pragma once

#include "condemo/frame_state.h"

namespace condemo {

// The scene parameters for a frame. t = sceneTime in single precision; the
// pulse is the frame's snapshot, taken when the frame begins (the camera
// follows its flashA and flashB); frameDelta is the previous frame's time
// step and previousMaxTravel the maxTravel of the previous frame (two rows
// change it incrementally: it grows by 50 per second up to 250 while the
// order position is 3 or less, and shrinks by 9 per second from at most 33
// from position 20 on). Order positions below 0 count as 3 or less.
SceneParams DirectScene(int orderPosition, double sceneTime, const MusicPulse& pulse, double frameDelta,
                        float previousMaxTravel);

// What the frames before a frame leave to the director: the previous frame's
// maxTravel and time step.
struct DirectorCarry {
  float maxTravel = 0.0f;
  double frameDelta = 0.0;
};

// The carry for the frame at sceneTime of a run that started at time 0 with
// frames every frameStep seconds (frameStep > 0) and the order position held
// at orderPosition throughout. With sceneTime 0 or less, or not a number, it
// is the first frame's: maxTravel 0 and frameDelta 0.
DirectorCarry SteadyRunCarry(int orderPosition, double sceneTime, double frameStep);

// The scene parameters of a still of the moment sceneTime with the order
// position held: what a show running from time 0 at 60 frames a second
// would render then (so the opening lattice fades in over its first five
// seconds). From order position 20 on, where the show fades out from the 33
// that positions 18 and 19 leave, holding the position from time 0 would
// leave nothing to see, so the still shows the fade-out's first frame,
// maxTravel 33.
SceneParams StillScene(int orderPosition, double sceneTime, const MusicPulse& pulse);

}  // namespace condemo
