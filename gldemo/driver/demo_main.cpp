#include "gldemo/demo_main.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/output.h"
#include "kalt/alert.h"
#include "cella/cella.h"
#include "gldemo/beat_clock.h"
#include "gldemo/music.h"
#include "gldemo/timeline.h"
#include "kalt/frame_cap.h"

namespace gldemo {

namespace {

constexpr const char* kCaption = "gldemo";
constexpr int kEscape = 27;

// Takes the typed keys, oldest first, until the queue is empty; whether one
// of them was Escape (or a close request of the window).
bool EscapeTyped() {
  bool escape = false;
  for (int key = cella::Keyboard(); key != 0; key = cella::Keyboard()) escape |= key == kEscape;
  return escape;
}

// The gradients, or null after the message.
std::unique_ptr<cella::GradientPack> LoadGradients() {
  std::unique_ptr<cella::GradientPack> pack(cella::LoadGradientPack(kGradientPath));
  if (!pack) {
    kalt::ShowAlert(kCaption, "Failed to load the gradients",
                    (std::string(kGradientPath) + ": " + cella::FailureReason()).c_str());
  } else if (pack->count < kTimelineGradients) {
    const std::string detail = std::string(kGradientPath) + " holds " + std::to_string(pack->count) +
                               " gradients, the show needs " + std::to_string(kTimelineGradients);
    kalt::ShowAlert(kCaption, "Failed to load the gradients", detail.c_str());
    pack.reset();
  }
  return pack;
}

// The frames of a run from the start that are stepped through before a later
// start, without a frame cap.
constexpr int kStepFps = 60;

}  // namespace

void PrimeScreen(cella::Canvas* screen, double seconds, int fps, const cella::GradientPack& pack) {
  for (std::int64_t k = -1; seconds + static_cast<double>(k) / static_cast<double>(fps) >= 0.0; --k) {
    const float beat = BeatAtSeconds(seconds + static_cast<double>(k) / static_cast<double>(fps));
    if (DrawsOverPrevious(beat)) continue;
    ComposeScene(screen, beat, pack);
    return;
  }
}

int DemoMain(const DemoOptions& options) {
  const auto start = std::chrono::steady_clock::now();

  // Start-up.
  // 1. The music, before anything is shown.
  std::string error;
  const std::unique_ptr<Music> music = Music::Start(kMusicPath, {}, &error);
  if (!music) {
    kalt::ShowAlert(kCaption, "Failed to load music", error.c_str());
    return 1;
  }
  const int latencyMs = music->LatencyMs();
  // 2. The screen canvas.
  cella::Canvas screen(80, 50);
  // 3. The console; its window opens with the first frame.
  cella::ConsoleInit();
  // 4. The gradients.
  const std::unique_ptr<cella::GradientPack> pack = LoadGradients();
  if (!pack) return 1;
  // 5. A later start: the screen as the frames before it leave it.
  if (options.from > 0.0)
    PrimeScreen(&screen, options.from, options.fps > 0 ? static_cast<int>(options.fps) : kStepFps, *pack);
  // 6. The music runs from here on.
  music->Play(static_cast<std::uint64_t>(audio::SamplePosition(options.from) % kLoopFrames));

  // The frames.
  BeatClock clock;
  kalt::FrameCap cap(options.fps);
  for (bool ending = false; !ending;) {
    // 1. Keys.
    ending = EscapeTyped();
    // 2-5. The beat, from the play position and the clock.
    const auto clockMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    const float beat = NextBeat(clock, latencyMs, music->PositionBytes(), clockMs);
    // 6. Past the end of the loop the song starts again; this frame still
    //    shows the beat above it.
    if (beat > kLoopBeats) music->Rewind();
    // 7-8. The frame, drawn and shown.
    ComposeScene(&screen, beat, *pack);
    cella::ConsoleBlit(&screen, 0, 0, 0, 0, 80, 50);
    if (options.frameShown) options.frameShown(beat);
    if (!ending) cap.Wait();
  }
  return 0;
}

}  // namespace gldemo
