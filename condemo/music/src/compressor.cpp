#include "music/compressor.h"

#include <algorithm>
#include <cmath>

#include "dsp_util.h"

namespace music {

// Below this reduction the smoothed gain counts as fully released.
constexpr float kReleased = -1e-6f;

Compressor MakeCompressor(const CompressorSettings& settings, double sampleRate) {
  Compressor compressor;
  compressor.threshold = static_cast<float>(dsp::DbToGain(dsp::Limit(settings.thresholdDb, -60.0f, 0.0f)));
  compressor.slope = 1.0f - 1.0f / dsp::Limit(settings.ratio, 1.0f, 100.0f);
  compressor.makeupDb = dsp::Limit(settings.gainDb, -60.0f, 60.0f);
  compressor.makeupGain = static_cast<float>(dsp::DbToGain(compressor.makeupDb));
  compressor.attack = static_cast<float>(
      dsp::SmoothingCoefficient(dsp::Limit(settings.attackMs, 0.01f, 500.0f), sampleRate));
  compressor.release = static_cast<float>(
      dsp::SmoothingCoefficient(dsp::Limit(settings.releaseMs, 50.0f, 3000.0f), sampleRate));
  const auto delayFrames = static_cast<std::size_t>(
      std::lround(dsp::Limit(settings.preDelayMs, 0.0f, 4.0f) / 1000.0 * sampleRate));
  compressor.delay.assign(2 * delayFrames, 0.0f);
  return compressor;
}

void Process(Compressor& compressor, float* interleaved, std::size_t frames) {
  const float thresholdDb = 20.0f * std::log10(compressor.threshold);
  for (std::size_t f = 0; f < frames; ++f) {
    float* frame = interleaved + 2 * f;
    // 1. The gain reduction the static curve asks for at this level (the
    //    logarithm only where the level is above the threshold).
    const float peak = std::max(std::fabs(frame[0]), std::fabs(frame[1]));
    const float target = peak > compressor.threshold ? -compressor.slope * (20.0f * std::log10(peak) - thresholdDb)
                                                     : 0.0f;
    // 2. Smooth it: attack while the reduction grows, release while it
    //    shrinks.
    const float coefficient = target < compressor.reductionDb ? compressor.attack : compressor.release;
    float reduction = target + coefficient * (compressor.reductionDb - target);
    if (reduction > kReleased) reduction = 0.0f;
    compressor.reductionDb = reduction;
    // 3. Apply it with the make-up gain to the sound, delayed by the
    //    pre-delay.
    const float gain =
        reduction == 0.0f ? compressor.makeupGain : std::pow(10.0f, (reduction + compressor.makeupDb) / 20.0f);
    float left = frame[0];
    float right = frame[1];
    if (!compressor.delay.empty()) {
      std::swap(left, compressor.delay[compressor.delayPosition]);
      std::swap(right, compressor.delay[compressor.delayPosition + 1]);
      compressor.delayPosition += 2;
      if (compressor.delayPosition == compressor.delay.size()) compressor.delayPosition = 0;
    }
    frame[0] = left * gain;
    frame[1] = right * gain;
  }
}

std::size_t LatencyFrames(const Compressor& compressor) { return compressor.delay.size() / 2; }

}  // namespace music
