// The narrow interface between the output and what actually consumes the
// audio: the SDL device (sdl_device.cpp, the only file that talks to SDL) or
// the silent sink (silent_sink.cpp).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/clock.h"

namespace audio::detail {

// What a device pulls its frames from: the output's source with saturation.
class Puller {
 public:
  virtual ~Puller() = default;
  // Fills `frames` interleaved stereo frames; called on the device's thread.
  virtual void Pull(float* out, std::size_t frames) = 0;
};

class Device {
 public:
  virtual ~Device() = default;  // stops first
  // Starts calling puller.Pull from the device's own thread.
  virtual void Start(Puller& puller) = 0;
  // When it returns, no Pull call is running and none will follow.
  virtual void Stop() = 0;
  // Frames heard so far: frames pulled minus those still buffered.
  virtual std::uint64_t FramesPlayed() const = 0;
  virtual std::uint64_t LatencyFrames() const = 0;
  // True once a started device has stopped consuming audio for good.
  virtual bool Lost() const = 0;
  virtual bool Silent() const = 0;
  virtual std::string Name() const = 0;
};

// The default SDL audio device for 44,100 Hz float stereo, or null when SDL
// has no real device to offer.
std::unique_ptr<Device> OpenSdlDevice(int bufferFrames);

// A sink that pulls `bufferFrames` blocks in real time by `clock`, its
// timeline starting at startFrame (frames already pulled by a device it
// replaces).
std::unique_ptr<Device> OpenSilentSink(const Clock& clock, int bufferFrames,
                                       std::uint64_t startFrame);

// Whole frames in a time span at 44,100 Hz, rounded down; 0 for spans <= 0.
std::uint64_t FramesIn(std::chrono::nanoseconds span);
// The time span of a number of frames, rounded up.
std::chrono::nanoseconds TimeOf(std::uint64_t frames);

}  // namespace audio::detail
