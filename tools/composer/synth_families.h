// The instrument families, one per source file (synth_*.cpp); Families()
// lists them.
#pragma once

#include "dsp.h"
#include "family.h"

namespace kalt::composer {

Family DrumFamily();    // kicks, booms and toms: a sine falling in pitch
Family SnareFamily();   // snares, rims and claps: a tuned body and shaped noise
Family MetalFamily();   // hi-hats, cymbals and shakers: metallic squares and noise
Family BlockFamily();   // ticks, woodblocks and rims: two damped partials
Family AnalogFamily();  // basses, leads, pads and plucks: filtered analog waves
Family FmFamily();      // electric pianos, bells and mallets: two-operator FM
Family SweepFamily();   // risers and falls: noise through a sweeping filter

}  // namespace kalt::composer
