// The SDL2 sound device: the one file of the output that talks to SDL.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "audio/output.h"
#include "device.h"

namespace audio::detail {
namespace {

using Steady = std::chrono::steady_clock;

// SDL drivers that accept audio without playing it: no sound device.
bool IsSilentDriver(const char* driver) {
  return driver == nullptr || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0;
}

// Runs `open` with stderr pointed at /dev/null: ALSA writes half a screen of
// complaints to stderr on a machine without a sound card, which for the show
// is no error at all (it plays on the silent sink), and they would land on
// the terminal it draws in.
template <typename Open>
auto Quietly(Open open) {
  std::fflush(stderr);
  const int saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
  const auto result = open();
  if (saved >= 0) {
    dup2(saved, STDERR_FILENO);
    close(saved);
  }
  if (null >= 0) close(null);
  return result;
}

class SdlDevice final : public Device {
 public:
  // Opens the default device, or returns null (SDL's audio left closed).
  static std::unique_ptr<Device> Open(int bufferFrames) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    const char* driver = SDL_GetCurrentAudioDriver();
    if (IsSilentDriver(driver)) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return nullptr;
    }
    std::unique_ptr<SdlDevice> device(new SdlDevice(driver));
    SDL_AudioSpec want{};
    want.freq = SampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = Channels;
    want.samples = static_cast<Uint16>(bufferFrames);
    want.callback = &SdlDevice::Callback;
    want.userdata = device.get();
    SDL_AudioSpec have{};
    // SDL converts rate, format and channels where the device differs; only
    // the buffer size is the device's choice.
    device->id_ = Quietly([&] { return SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE); });
    if (device->id_ == 0) return nullptr;  // the destructor quits SDL's audio
    device->bufferFrames_ = have.samples;
    return device;
  }

  ~SdlDevice() override {
    if (id_ != 0) SDL_CloseAudioDevice(id_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  void Start(Puller& puller) override {
    puller_ = &puller;
    started_ = true;
    SDL_PauseAudioDevice(id_, 0);
  }

  void Stop() override {
    if (!started_) return;
    SDL_PauseAudioDevice(id_, 1);
    // A callback that was running when the pause came has finished once the
    // device lock is ours; paused, SDL calls no more.
    SDL_LockAudioDevice(id_);
    SDL_UnlockAudioDevice(id_);
    started_ = false;
  }

  // Model: when a callback hands over its buffer, the device holds
  // LatencyFrames() frames not yet heard, this buffer included; from then on
  // the listener moves on in real time, at most one buffer until the next
  // callback. So the count rises smoothly and never falls, and stalls rather
  // than runs ahead when a callback is late.
  std::uint64_t FramesPlayed() const override {
    std::lock_guard<std::mutex> lock(lock_);
    if (pulled_ == 0) return 0;
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now() - lastCallback_);
    const std::uint64_t moved = std::min<std::uint64_t>(FramesIn(elapsed), lastBuffer_);
    const std::uint64_t reached = pulled_ + moved;
    const std::uint64_t latency = LatencyFrames();
    return reached > latency ? reached - latency : 0;
  }

  std::uint64_t LatencyFrames() const override { return 2 * static_cast<std::uint64_t>(bufferFrames_); }

  bool Lost() const override { return started_ && SDL_GetAudioDeviceStatus(id_) == SDL_AUDIO_STOPPED; }
  bool Silent() const override { return false; }
  std::string Name() const override { return "SDL " + driver_; }

 private:
  explicit SdlDevice(const char* driver) : driver_(driver) {}

  static void SDLCALL Callback(void* user, Uint8* stream, int bytes) {
    auto* self = static_cast<SdlDevice*>(user);
    const auto frames = static_cast<std::size_t>(bytes) / (sizeof(float) * Channels);
    self->puller_->Pull(reinterpret_cast<float*>(stream), frames);
    std::lock_guard<std::mutex> lock(self->lock_);
    self->pulled_ += frames;
    self->lastBuffer_ = frames;
    self->lastCallback_ = Steady::now();
  }

  std::string driver_;
  SDL_AudioDeviceID id_ = 0;
  int bufferFrames_ = 0;
  Puller* puller_ = nullptr;
  bool started_ = false;  // only touched by Start, Stop and the cue thread's Lost

  mutable std::mutex lock_;  // guards the callback's record below
  std::uint64_t pulled_ = 0;
  std::uint64_t lastBuffer_ = 0;
  Steady::time_point lastCallback_;
};

}  // namespace

std::unique_ptr<Device> OpenSdlDevice(int bufferFrames) { return SdlDevice::Open(bufferFrames); }

}  // namespace audio::detail
