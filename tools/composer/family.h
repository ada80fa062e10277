// Instrument families: each synthesises the samples of an instrument from a
// handful of named parameters. A score names a family and sets parameters
// (`instrument 5 kick drum tone=50 decay=0.4`); the family turns them into an
// XM instrument: 16-bit samples, tuning, loops and envelopes.
//
// Every synthesised sample plays at its own rate, SynthRate(), on note C-4
// (a drum hit), or holds the note C of an octave so that that note plays it
// at that rate (a pitched sound; see PitchedInstrument).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "xm_writer.h"

namespace kalt::composer {

// One parameter of a family: its name, allowed range, the value it has when
// a score does not set it, and what it means (shown by `composer families`).
struct ParamSpec {
  std::string_view name;
  double min;
  double max;
  double fallback;
  std::string_view meaning;
};

// Every parameter of one family with its value.
struct Params {
  std::map<std::string, double, std::less<>> values;
  // The value of `name`; throws std::logic_error if the family has no such
  // parameter (a fault of the family's code, never of a score).
  double operator[](std::string_view name) const;
};

// What synthesis needs besides the parameters.
struct SynthContext {
  double tickSeconds = 0.02;  // length of a tick of the song, for envelopes
  std::uint32_t seed = 1;     // noise seed: the same seed makes the same sound
};

struct Family {
  std::string_view name;
  std::string_view description;
  std::vector<ParamSpec> params;
  // Builds the instrument's samples, tuning, loops and envelopes (name,
  // volume and panning are the caller's). Never throws for parameters
  // within their ranges.
  std::function<xm::Instrument(const Params&, const SynthContext&)> build;
};

// Every family, in the order `composer families` lists them.
const std::vector<Family>& Families();

// The family called `name`, or nullptr.
const Family* FindFamily(std::string_view name);

// The parameters that every instrument has besides its family's: volume
// (0..64, the samples' volume) and pan (-1 left .. 1 right).
const std::vector<ParamSpec>& CommonParams();

// ---- Helpers for the families ----------------------------------------------

// The rate at which every synthesised sample is written: about 44.1 kHz,
// exactly the rate that note C-4 plays a sample tuned by SampleTuning().
double SynthRate();
xm::Tuning SampleTuning();

// Frequency in Hz of XM note `note` (1..96, 49 = C-4 = 261.63 Hz; A-4 = 440).
double NoteHz(double note);

// A synthesised sound before it becomes 16-bit data.
struct Sound {
  std::vector<float> frames;
  std::uint32_t loopStart = 0;
  std::uint32_t loopLength = 0;  // 0: not looped
};

// A one-sample instrument that plays `sound` at SynthRate() on C-4, its peak
// scaled to just below full scale.
xm::Instrument HitInstrument(const Sound& sound);

// An instrument with one sample per octave from `lowOctave` to `highOctave`
// (0..7): `voice(hz)` synthesises the note C of that octave, `hz` its
// frequency, and every note plays the sample whose C is nearest, at most six
// semitones away except beyond the ends of the range. All samples share one
// gain that brings the loudest peak just below full scale.
xm::Instrument PitchedInstrument(int lowOctave, int highOctave, const std::function<Sound(double hz)>& voice);

// An ADSR shape as an XM volume envelope with tick positions for
// `tickSeconds`: rise over `attack` seconds, fall to `sustain` (0..1) over
// `decay`, hold until key-off, then fade to silence over `release`.
xm::Envelope AdsrEnvelope(double attack, double decay, double sustain, double release, double tickSeconds);

}  // namespace kalt::composer
