#include "family.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "synth_families.h"

namespace kalt::composer {
namespace {

constexpr double kNominalRate = 44100.0;
constexpr double kPeak = 0.9;  // of full scale, leaving the resampler room

std::int16_t ToPcm(double v) { return static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0)); }

double Peak(const std::vector<float>& frames) {
  double peak = 0;
  for (float f : frames) peak = std::max(peak, static_cast<double>(std::fabs(f)));
  return peak;
}

xm::Sample ToSample(const Sound& sound, double gain, xm::Tuning tuning) {
  xm::Sample s;
  s.pcm.reserve(sound.frames.size());
  for (float f : sound.frames) s.pcm.push_back(ToPcm(f * gain));
  if (sound.loopLength > 0) {
    s.loop = xm::LoopType::Forward;
    s.loopStart = sound.loopStart;
    s.loopLength = sound.loopLength;
  }
  s.relativeNote = tuning.relativeNote;
  s.finetune = tuning.finetune;
  return s;
}

}  // namespace

double Params::operator[](std::string_view name) const {
  const auto it = values.find(name);
  if (it == values.end()) throw std::logic_error("instrument parameter \"" + std::string(name) + "\" is not set");
  return it->second;
}

const std::vector<Family>& Families() {
  static const std::vector<Family> families = {DrumFamily(),   SnareFamily(), MetalFamily(), BlockFamily(),
                                               AnalogFamily(), FmFamily(),    SweepFamily()};
  return families;
}

const Family* FindFamily(std::string_view name) {
  for (const Family& f : Families())
    if (f.name == name) return &f;
  return nullptr;
}

const std::vector<ParamSpec>& CommonParams() {
  static const std::vector<ParamSpec> params = {
      {"volume", 0, 64, 64, "sample volume, 0..64"},
      {"pan", -1, 1, 0, "stereo position, -1 left .. 1 right"},
  };
  return params;
}

xm::Tuning SampleTuning() { return xm::PitchForRate(kNominalRate); }

double SynthRate() {
  static const double rate = xm::RateOfPitch(SampleTuning());
  return rate;
}

double NoteHz(double note) { return 440.0 * std::exp2((note - 58.0) / 12.0); }

xm::Instrument HitInstrument(const Sound& sound) {
  xm::Instrument in;
  const double peak = Peak(sound.frames);
  in.samples.push_back(ToSample(sound, peak > 0 ? kPeak / peak : 1.0, SampleTuning()));
  return in;
}

xm::Instrument PitchedInstrument(int lowOctave, int highOctave, const std::function<Sound(double hz)>& voice) {
  // 1. Synthesise the C of every octave.
  std::vector<Sound> sounds;
  double peak = 0;
  for (int octave = lowOctave; octave <= highOctave; ++octave) {
    sounds.push_back(voice(NoteHz(12 * octave + 1)));
    peak = std::max(peak, Peak(sounds.back().frames));
  }
  // 2. One gain for all; each sample tuned so that its own C plays it at
  //    SynthRate().
  xm::Instrument in;
  const double gain = peak > 0 ? kPeak / peak : 1.0;
  for (int octave = lowOctave; octave <= highOctave; ++octave) {
    xm::Tuning t = SampleTuning();
    t.relativeNote = static_cast<std::int8_t>(t.relativeNote + 12 * (4 - octave));
    in.samples.push_back(ToSample(sounds[static_cast<std::size_t>(octave - lowOctave)], gain, t));
  }
  // 3. Each note to the sample whose C is nearest.
  for (int note = 1; note <= xm::kNoteCount; ++note) {
    const int octave = std::clamp((note - 1 + 6) / 12, lowOctave, highOctave);
    in.sampleForNote[static_cast<std::size_t>(note - 1)] = static_cast<std::uint8_t>(octave - lowOctave);
  }
  return in;
}

xm::Envelope AdsrEnvelope(double attack, double decay, double sustain, double release, double tickSeconds) {
  xm::Envelope e;
  int tick = 0;
  const auto add = [&](double seconds, double level) {
    tick = std::max(tick + 1, static_cast<int>(std::lround(seconds / tickSeconds)));
    e.points.push_back({static_cast<std::uint16_t>(tick), static_cast<std::uint8_t>(std::lround(level * 64))});
  };
  // 1. Attack: a straight rise, or full volume at once.
  e.points.push_back({0, static_cast<std::uint8_t>(attack > 0 ? 0 : 64)});
  if (attack > 0) add(attack, 1.0);
  // 2. Decay and release fall along a rough exponential: half the way in the
  //    first sixth, four fifths of it by 40 %.
  const double start = tick * tickSeconds;
  if (sustain < 1 && decay > 0)
    for (const auto& [share, left] : {std::pair{0.15, 0.5}, {0.4, 0.2}, {1.0, 0.0}})
      add(start + decay * share, sustain + (1 - sustain) * left);
  e.sustain = static_cast<std::uint8_t>(e.points.size() - 1);
  const double held = tick * tickSeconds;
  const double level = e.points.back().value / 64.0;
  for (const auto& [share, left] : {std::pair{0.15, 0.5}, {0.4, 0.2}, {1.0, 0.0}})
    add(held + std::max(release, tickSeconds) * share, level * left);
  return e;
}

}  // namespace kalt::composer
