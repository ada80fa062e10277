// output.h - the shared audio output: 44,100 Hz stereo pulled from a Source
// and played on the default sound device, or consumed in real time by a
// silent sink when there is no device to play on.
//
//   class Tone : public audio::Source { ... Render fills frames ... };
//   Tone tone;
//   auto output = audio::OpenOutput();        // never fails
//   output->Play(tone);
//   ... output->FramesPlayed() counts the frames heard so far ...
//   output->Stop();                            // before tone goes away
//
// Timeline: the output numbers the frames it pulls from its source from 0 at
// Play. Render is told where its frames sit on that timeline, and
// FramesPlayed tells how far the listener has got along it: the device's
// latency is already taken off, so a frame rendered at position p is heard
// when FramesPlayed() reaches p. A source that has something to do at the
// moment a frame is heard (a flash on a drum hit) names that frame as its
// next cue; the output's cue thread calls Played once the frame is heard.
// A source that jumps within its own material (a stream rewound to its
// start) notes the timeline position at which its first rendered frame after
// the jump sits; its own position heard is then FramesPlayed() minus that
// mark, once FramesPlayed() has reached it.
//
// No device: when SDL cannot open an audio device (no sound hardware, no
// sound server, SDL_AUDIODRIVER=dummy or disk, SDL failing to start), or when
// OutputOptions::silent asks for it, the output is a silent sink: a thread
// that pulls the source in real time and throws the audio away, so positions
// and cues advance exactly as if the audio were heard. A device that stops
// while playing (unplugged, server gone) is replaced by the silent sink,
// which carries on from the frames already pulled.
//
// Levels: every sample a source renders is saturated into -1..1 (not a
// number becomes 0) before it reaches the device.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/clock.h"

namespace audio {

inline constexpr int SampleRate = 44100;  // frames per second, always
inline constexpr int Channels = 2;        // interleaved left, right
inline constexpr std::uint64_t NoCue = ~std::uint64_t{0};

// The frame at which a moment `seconds` after the first frame begins:
// round(seconds x 44,100).
inline std::int64_t SamplePosition(double seconds) { return std::llround(seconds * SampleRate); }

// Something that produces audio on demand. Render runs on the output's device
// thread; NextCue and Played run on its cue thread, possibly at the same time
// as Render: a source shares state between them only through atomics or
// locks.
class Source {
 public:
  virtual ~Source() = default;
  // Fills out[0 .. 2 * frames) with `frames` interleaved stereo frames at
  // 44,100 Hz, nominally in -1..1 (values beyond are saturated afterwards).
  // firstFrame is the timeline position of out[0]; successive calls get
  // consecutive positions, one call at a time. A source with nothing to play
  // writes silence.
  virtual void Render(float* out, std::size_t frames, std::uint64_t firstFrame) = 0;
  // The timeline position at which the source next wants Played to be
  // called, or NoCue. Asked again after every Played call and at least every
  // few milliseconds, so a cue that a Render call has just made is seen in
  // time.
  virtual std::uint64_t NextCue() { return NoCue; }
  // Every frame before framesPlayed has been heard; framesPlayed is at least
  // the cue last returned by NextCue.
  virtual void Played(std::uint64_t framesPlayed) { (void)framesPlayed; }
};

struct OutputOptions {
  // Use the silent sink even where a device could be opened.
  bool silent = false;
  // The time source that paces the silent sink and the cue thread while the
  // sink plays; null means SteadyClock(). Must outlive the output.
  const Clock* clock = nullptr;
  // Frames per device buffer (the sink pulls blocks of this size), limited
  // to 64..16384. The device may choose another size.
  int bufferFrames = 1024;
};

// An open output: a sound device or the silent sink. Not copyable. Its
// functions may be called from any thread, but Play and Stop not at the same
// time as each other.
class Output {
 public:
  ~Output();  // stops first
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Starts pulling audio from `source`, which must stay alive until Stop (or
  // the output's destruction) returns. An output plays one source once:
  // after the first call Play does nothing and returns false.
  bool Play(Source& source);
  // Stops playback. When it returns, no call into the source is running and
  // none will follow. FramesPlayed keeps its last value. Calling it again, or
  // before Play, does nothing.
  void Stop();

  // Frames heard since Play: 0 before, then rising with the playback in real
  // time, never falling. Between device buffers it is interpolated with the
  // system clock.
  std::uint64_t FramesPlayed() const;
  // How long a rendered frame waits before it is heard, in milliseconds: the
  // device's buffering (an estimate of two device buffers) or, for the sink,
  // the one block it keeps ready.
  int LatencyMs() const;
  // True when the audio goes nowhere (the silent sink).
  bool Silent() const;
  // "silent" or "SDL <driver>" (e.g. "SDL pulseaudio").
  std::string DeviceName() const;

  struct State;

 private:
  explicit Output(std::unique_ptr<State> state);
  friend std::unique_ptr<Output> OpenOutput(const OutputOptions& options);
  std::unique_ptr<State> state_;
};

// Opens the default sound device for 44,100 Hz stereo, or the silent sink
// where there is none (see above). Never fails; out-of-range options are
// limited as stated.
std::unique_ptr<Output> OpenOutput(const OutputOptions& options = {});

// Saturates count samples into -1..1 in place: values beyond become the
// nearest limit, and anything that is not a number becomes 0.
void Saturate(float* samples, std::size_t count);

}  // namespace audio
