#include "music/reverb.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "dsp_util.h"

namespace music {
namespace {

// Mutually prime line lengths at 44,100 Hz (25 to 67 ms).
constexpr int kLengths[Reverb::kLines] = {1123, 1361, 1601, 1847, 2111, 2381, 2663, 2953};

// Output taps: orthogonal sign patterns give two uncorrelated channels.
constexpr float kLeftTap[Reverb::kLines] = {1, -1, 1, -1, 1, -1, 1, -1};
constexpr float kRightTap[Reverb::kLines] = {1, 1, -1, -1, 1, 1, -1, -1};

// The gain per pass through a line of `length` frames for a decay of 60 dB
// in `seconds`.
double LoopGain(double length, double seconds, double sampleRate) {
  return std::pow(10.0, -3.0 * length / (seconds * sampleRate));
}

// The power a line's tap gives for white noise of power 1 fed to the line:
// at each frequency the line fills to 1 / (1 - g^2), g the loop filter's
// gain there, and the tap takes g^2 of that; averaged over the band.
double TapPower(double a, double b) {
  constexpr int kSteps = 64;
  double sum = 0.0;
  for (int k = 0; k < kSteps; ++k) {
    const double w = std::numbers::pi * (k + 0.5) / kSteps;
    const double g2 = b * b / (1.0 - 2.0 * a * std::cos(w) + a * a);
    sum += g2 / (1.0 - g2);
  }
  return sum / kSteps;
}

// In-place fast Walsh-Hadamard transform of eight values, scaled to be
// orthogonal (energy preserving).
void Hadamard8(float (&v)[Reverb::kLines]) {
  for (int half = 1; half < Reverb::kLines; half *= 2) {
    for (int i = 0; i < Reverb::kLines; i += 2 * half) {
      for (int j = i; j < i + half; ++j) {
        const float a = v[j];
        const float b = v[j + half];
        v[j] = a + b;
        v[j + half] = a - b;
      }
    }
  }
  constexpr float kScale = 0.35355339059327373f;  // 1 / sqrt(8)
  for (float& x : v) x *= kScale;
}

}  // namespace

Reverb MakeReverb(const ReverbSettings& settings, double sampleRate) {
  Reverb reverb;
  reverb.inputGain = static_cast<float>(dsp::DbToGain(dsp::Limit(settings.inputGainDb, -96.0f, 0.0f)));
  reverb.mix = static_cast<float>(dsp::DbToGain(dsp::Limit(settings.mixDb, -96.0f, 0.0f)));
  const double lowSeconds = dsp::Limit(settings.timeMs, 1.0f, 3000.0f) / 1000.0;
  const double highSeconds = lowSeconds * dsp::Limit(settings.highFreqRatio, 0.001f, 0.999f);
  double tapPower = 0.0;
  for (int i = 0; i < Reverb::kLines; ++i) {
    const double length = std::max(1.0, std::round(kLengths[i] * sampleRate / 44100.0));
    reverb.lines[i].assign(static_cast<std::size_t>(length), 0.0f);
    // Loop filter b / (1 - a z^-1): gain b / (1 - a) at 0 Hz and b / (1 + a)
    // at half the sample rate.
    const double low = LoopGain(length, lowSeconds, sampleRate);
    const double high = LoopGain(length, highSeconds, sampleRate);
    const double a = (low - high) / (low + high);
    const double b = low * (1.0 - a);
    reverb.loopA[i] = static_cast<float>(a);
    reverb.loopB[i] = static_cast<float>(b);
    tapPower += TapPower(a, b);
  }
  // Scaled so that white noise comes out of the taps at its own power.
  reverb.outputScale = static_cast<float>(1.0 / std::sqrt(std::max(tapPower, 1e-3)));
  return reverb;
}

void Process(Reverb& reverb, float* interleaved, std::size_t frames) {
  for (std::size_t f = 0; f < frames; ++f) {
    float* frame = interleaved + 2 * f;
    const float left = frame[0] * reverb.inputGain;
    const float right = frame[1] * reverb.inputGain;
    // 1. Read each line through its loop filter; tap the outputs.
    float v[Reverb::kLines];
    float wetLeft = 0.0f;
    float wetRight = 0.0f;
    for (int i = 0; i < Reverb::kLines; ++i) {
      const float delayed = reverb.lines[i][reverb.position[i]];
      reverb.loopState[i] = reverb.loopB[i] * delayed + reverb.loopA[i] * reverb.loopState[i];
      v[i] = reverb.loopState[i];
      wetLeft += kLeftTap[i] * v[i];
      wetRight += kRightTap[i] * v[i];
    }
    // 2. Mix the lines and feed them back with the input, left into the
    //    even lines and right into the odd ones.
    Hadamard8(v);
    for (int i = 0; i < Reverb::kLines; ++i) {
      reverb.lines[i][reverb.position[i]] = v[i] + ((i & 1) ? right : left);
      if (++reverb.position[i] == reverb.lines[i].size()) reverb.position[i] = 0;
    }
    // 3. Direct sound plus the reverberation at its mix level.
    const float wet = reverb.mix * reverb.outputScale;
    frame[0] = left + wet * wetLeft;
    frame[1] = right + wet * wetRight;
  }
}

}  // namespace music
