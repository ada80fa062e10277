#include "offline.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/output.h"
#include "condemo/director.h"
#include "condemo/logos.h"
#include "condemo/render.h"
#include "music/song.h"

namespace {

constexpr int kEndOrder = 21;
// The show's clock: whole milliseconds, 0.001 as a float, widened.
constexpr double kSecondsPerTick = static_cast<double>(0.001f);

// One way of encoding the frames and what it sent.
struct Stream {
  const char* name;
  term::EncodeOptions options;
  term::ScreenState state;
  std::string bytes;
  double total = 0.0;
};

}  // namespace

int MeasureOffline(int fps, int workerCount, term::Repeat repeat) {
  // 1. The song, heard offline: its notes strike the pulse as the frames
  //    reach them.
  std::string error;
  std::unique_ptr<music::Player> song = music::Player::Open(condemo::kSongFile, music::PlayerOptions{}, &error);
  if (!song) {
    std::fprintf(stderr, "measure-condemo: %s\n", error.c_str());
    return 1;
  }
  condemo::PulseState pulse;
  condemo::HookInstruments(*song, pulse);
  song->SetEffects(condemo::SongEffects());

  std::vector<Stream> streams = {
      {"changed cells", {.repeat = repeat}, {}, {}},
      {"every cell", {.everyCell = true, .repeat = repeat}, {}, {}},
      {"changed cells, true colour", {.trueColour = true, .repeat = repeat}, {}, {}},
      {"every cell, true colour", {.trueColour = true, .everyCell = true, .repeat = repeat}, {}, {}},
  };

  // 2. The frame loop of the show, with the clock stepping 1/fps seconds.
  condemo::CellGrid grid{}, previous{};
  condemo::FrameState frame;
  condemo::LogoJitter jitter;
  condemo::Rand15 logoRandom;
  std::vector<float> audio;
  std::uint64_t heard = 0;
  double previousTime = 0.0, frameDelta = 0.0, changedCells = 0.0;
  long frames = 0;
  for (;; ++frames) {
    const auto ticks = static_cast<std::uint64_t>(frames) * 1000u / static_cast<unsigned>(fps);
    const double sceneTime = static_cast<double>(ticks) * kSecondsPerTick;
    const std::uint64_t until = ticks * audio::SampleRate / 1000u;
    if (until > heard) {
      audio.resize(2 * (until - heard));
      song->Render(audio.data(), until - heard, heard);
      song->Played(until);
      heard = until;
    }
    const int order = song->HeardOrder();
    frame.pulse = condemo::TakePulse(pulse);
    frame.scene = condemo::DirectScene(order, sceneTime, frame.pulse, frameDelta, frame.scene.maxTravel);
    frame.sceneTime = sceneTime;
    condemo::RenderFrame(frame, workerCount, grid);
    ++frame.frameNumber;
    condemo::DrawLogos(grid, jitter, logoRandom, order, frame.pulse);

    // 3. Each stream encodes the frame; the changed cells are counted as
    //    the terminal sees them.
    const term::GridView view(grid.cells.data(), term::kGridCells);
    for (Stream& stream : streams) {
      stream.bytes.clear();
      term::EncodeFrame(view, stream.options, stream.state, stream.bytes);
      stream.total += static_cast<double>(stream.bytes.size());
    }
    for (int i = 0; i < term::kGridCells; ++i)
      changedCells += term::CellLook(grid.cells[i]) != term::CellLook(previous.cells[i]) || frames == 0;
    previous = grid;

    frameDelta = sceneTime - previousTime;
    condemo::DecayFlashes(pulse, frameDelta);
    previousTime = sceneTime;
    if (order >= kEndOrder) break;
  }
  ++frames;

  // 4. The figures.
  const double seconds = previousTime > 0.0 ? previousTime : 1.0;
  std::printf("offline at %d fps: %ld frames in %.1f s, %.1f %% of the cells changed per frame\n", fps, frames,
              previousTime, 100.0 * changedCells / (static_cast<double>(frames) * term::kGridCells));
  for (std::size_t i = 0; i < streams.size(); ++i) {
    const Stream& stream = streams[i];
    std::printf("  %-27s %7.0f bytes per frame, %9.0f bytes per second", stream.name, stream.total / frames,
                stream.total / seconds);
    if (!stream.options.everyCell) std::printf(", %.1f %% of every cell", 100.0 * stream.total / streams[i + 1].total);
    std::printf("\n");
  }
  return 0;
}
