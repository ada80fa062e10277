// websong: condemo's song for the web page, rendered once as the show plays
// it: through the show's player and effects chain, in the blocks the audio
// output asks for, saturated as the output does. Writes the sound as Ogg
// Vorbis and the sync track (web/sync_track.h) of the same render: every
// order position, pulse-instrument note and the end at the sample position
// at which the show hears it.
//
//   websong SONG.ogg SYNC.txt [--quality Q]   (Q -0.1 .. 1, default 0.4)
//
// The song is read as the show reads it (kalt::ShowFile). The sound runs
// from the song's start until a second after the show's end (order
// position 21 or the song's end).
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "audio/output.h"
#include "kalt/run_tree.h"
#include "music/player.h"
#include "music/song.h"
#include "vorbis.h"
#include "web/sync_track.h"

namespace {

constexpr std::size_t kBlockFrames = audio::OutputOptions{}.bufferFrames;
constexpr std::int64_t kTail = audio::SampleRate;  // a second of sound after the end

bool WriteFile(const std::string& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out.flush());
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "websong: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  float quality = 0.4f;
  if (args.size() == 4 && args[2] == "--quality") {
    quality = std::stof(args[3]);
    args.resize(2);
  }
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: websong SONG.ogg SYNC.txt [--quality Q]\n");
    return 2;
  }
  std::string error;
  const auto player = music::Player::Open(kalt::ShowFile(condemo::kSongFile), {.loop = false}, &error);
  if (!player) return Fail("cannot load " + std::string(condemo::kSongFile) + ": " + error);

  std::vector<web::SyncEvent> events;
  std::int64_t heard = 0;  // the position being heard while the handlers run
  const auto hook = [&](int instrument) {
    player->OnInstrument(instrument, [&](const music::Trigger& t) {
      events.push_back({static_cast<std::int64_t>(t.frame), web::SyncEvent::kStrike, t.instrument});
    });
  };
  for (const int instrument : condemo::kFlashAInstruments) hook(instrument);
  for (const int instrument : condemo::kFlashBInstruments) hook(instrument);
  hook(condemo::kBeatInstrument);
  player->SetEffects(condemo::SongEffects());

  std::vector<float> block(2 * kBlockFrames), left, right;
  std::int64_t rendered = 0, end = -1;
  int order = 0;
  bool ended = false;
  while (end < 0 || rendered < end + kTail) {
    player->Render(block.data(), kBlockFrames, static_cast<std::uint64_t>(rendered));
    audio::Saturate(block.data(), block.size());
    for (std::size_t i = 0; i < kBlockFrames; ++i) {
      left.push_back(block[2 * i]);
      right.push_back(block[2 * i + 1]);
    }
    rendered += static_cast<std::int64_t>(kBlockFrames);
    // Every event of the rendered sound, heard at its own frame.
    for (std::uint64_t cue = player->NextCue(); cue < static_cast<std::uint64_t>(rendered); cue = player->NextCue()) {
      heard = static_cast<std::int64_t>(cue);
      player->Played(cue);
      if (player->HeardOrder() != order) {
        order = player->HeardOrder();
        events.push_back({heard, web::SyncEvent::kOrder, order});
      }
      if (player->EndHeard() && !ended) {
        ended = true;
        events.push_back({heard, web::SyncEvent::kEnd, 0});
      }
      if (end < 0 && (order >= condemo::kEndOrder || ended)) end = heard;
    }
    if (rendered > 3600LL * audio::SampleRate) return Fail("the song never reaches its end");
  }

  const std::string sync = web::WriteSyncTrack(events);
  const std::vector<std::uint8_t> ogg =
      kalt::composer::EncodeVorbis(left, right, audio::SampleRate, quality, {condemo::kShowTitle, "Kalt"});
  if (!WriteFile(args[0], ogg.data(), ogg.size())) return Fail("cannot write " + args[0]);
  if (!WriteFile(args[1], sync.data(), sync.size())) return Fail("cannot write " + args[1]);
  return 0;
}
