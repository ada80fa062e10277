#include "music/equaliser.h"

#include <cmath>
#include <numbers>

#include "dsp_util.h"

namespace music {

PeakingEq MakePeakingEq(const EqualiserSettings& settings, double sampleRate) {
  const double centre = dsp::Limit(settings.centreHz, 10.0f, static_cast<float>(0.45 * sampleRate));
  const double octaves = dsp::Limit(settings.bandwidthSemitones, 1.0f, 36.0f) / 12.0;
  const double gainDb = dsp::Limit(settings.gainDb, -24.0f, 24.0f);
  const double amplitude = std::pow(10.0, gainDb / 40.0);
  const double w0 = 2.0 * std::numbers::pi * centre / sampleRate;
  const double sinW0 = std::sin(w0);
  const double cosW0 = std::cos(w0);
  // The filter is the bilinear transform of an analog peaking filter, whose
  // half-gain points lie symmetric around its centre on the prewarped scale
  // tan(w / 2). Placing the lower one exactly at centre / 2^(octaves / 2)
  // fixes the prototype's width r (the prewarped ratio of centre to lower
  // point); the upper point follows and, for a wide band near the top, may
  // lie beyond half the sample rate.
  const double lower = w0 / std::exp2(octaves / 2.0);
  const double r = std::tan(w0 / 2.0) / std::tan(lower / 2.0);
  const double alpha = sinW0 * (r - 1.0 / r) / 2.0;
  const double a0 = 1.0 + alpha / amplitude;
  PeakingEq eq;
  eq.b0 = (1.0 + alpha * amplitude) / a0;
  eq.b1 = -2.0 * cosW0 / a0;
  eq.b2 = (1.0 - alpha * amplitude) / a0;
  eq.a1 = eq.b1;
  eq.a2 = (1.0 - alpha / amplitude) / a0;
  return eq;
}

void Process(PeakingEq& eq, float* interleaved, std::size_t frames) {
  for (int channel = 0; channel < 2; ++channel) {
    double s1 = eq.state[channel][0];
    double s2 = eq.state[channel][1];
    float* sample = interleaved + channel;
    for (std::size_t i = 0; i < frames; ++i, sample += 2) {
      // Transposed direct form II.
      const double x = *sample;
      const double y = eq.b0 * x + s1;
      s1 = eq.b1 * x - eq.a1 * y + s2;
      s2 = eq.b2 * x - eq.a2 * y;
      *sample = static_cast<float>(y);
    }
    eq.state[channel][0] = s1;
    eq.state[channel][1] = s2;
  }
}

}  // namespace music
