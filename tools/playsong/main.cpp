// playsong: plays a tracker module with the show's effects chain and prints
// every note of the show's instruments at the moment it is heard - a tool for
// tuning the show to its song.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/output.h"
#include "kalt/options.h"
#include "kalt/run_tree.h"
#include "music/player.h"
#include "music/song.h"

namespace {

constexpr const char* kUsage =
    "usage: playsong [--all] [--list] [--silent] [--loop] [--dry] [FILE]\n"
    "Plays FILE (default DiRURODU.XM here or in the show's folder) through the\n"
    "show's effects chain and prints\n"
    "each note of the show's instruments when it is heard: the time in seconds,\n"
    "order, row, channel, instrument, what it fires in the show, and how late the\n"
    "print came after the note reached the listener. Ctrl-C stops.\n"
    "  --all     print the notes of every instrument\n"
    "  --list    print every note at once, without playing\n"
    "  --silent  play on the silent sink even with a sound device\n"
    "  --loop    play the song again at its end\n"
    "  --dry     leave the effects chain off\n";

struct Options {
  // The show's song: in the working directory, as condemo reads it, or else
  // in the run tree beside this program.
  std::string file = kalt::ShowFile(condemo::kSongFile);
  bool all = false;
  bool list = false;
  bool silent = false;
  bool loop = false;
  bool dry = false;
};

// The options; an argument that makes no sense ends the program (status 2).
void Parse(int argc, char** argv, Options& options) {
  bool haveFile = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    kalt::StandardOption(arg, "playsong", kUsage);
    if (arg == "--all") {
      options.all = true;
    } else if (arg == "--list") {
      options.list = true;
    } else if (arg == "--silent") {
      options.silent = true;
    } else if (arg == "--loop") {
      options.loop = true;
    } else if (arg == "--dry") {
      options.dry = true;
    } else if (arg.starts_with("-") || haveFile) {
      kalt::UnknownOption("playsong", arg);
    } else {
      options.file = arg;
      haveFile = true;
    }
  }
}

const char* Fires(int instrument) {
  const auto in = [instrument](const auto& list) { return std::ranges::find(list, instrument) != std::end(list); };
  if (in(condemo::kFlashAInstruments)) return "flashA";
  if (in(condemo::kFlashBInstruments)) return "flashB";
  if (instrument == condemo::kBeatInstrument) return "beat";
  return "";
}

std::vector<int> Watched(const Options& options, const music::Player& song) {
  if (options.all) {
    std::vector<int> every;
    for (int i = 1; i <= std::min(song.Instruments(), 255); ++i) every.push_back(i);
    return every;
  }
  std::vector<int> show(std::begin(condemo::kFlashAInstruments), std::end(condemo::kFlashAInstruments));
  show.insert(show.end(), std::begin(condemo::kFlashBInstruments), std::end(condemo::kFlashBInstruments));
  show.push_back(condemo::kBeatInstrument);
  return show;
}

// The lateness of the prints, for the summary.
struct Lateness {
  std::mutex lock;
  int count = 0;
  double sumMs = 0.0;
  double maxMs = 0.0;
};

std::atomic<bool> interrupted{false};

void PrintNote(const music::Trigger& t, const char* late) {
  std::printf("%8.3f  %5d  %3d  %2d  %4d  %-6s  %s\n", static_cast<double>(t.frame) / audio::SampleRate, t.order,
              t.row, t.channel, t.instrument, Fires(t.instrument), late);
  std::fflush(stdout);
}

// Renders the whole song offline, printing as it goes.
void List(music::Player& song) {
  std::vector<float> buffer(2 * 4096);
  for (std::uint64_t done = 0; !song.EndHeard() && !interrupted.load(); done += 4096) {
    song.Render(buffer.data(), 4096, done);
    song.Played(done + 4096);
  }
}

// Plays the song in real time until its end is heard or Ctrl-C.
void Play(music::Player& song, audio::Output& output) {
  output.Play(song);
  while (!song.EndHeard() && !interrupted.load()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  output.Stop();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  Parse(argc, argv, options);
  if (options.list) options.loop = false;  // a listing ends with the song
  std::signal(SIGINT, [](int) { interrupted.store(true); });

  std::string error;
  std::unique_ptr<music::Player> song = music::Player::Open(options.file, {.loop = options.loop}, &error);
  if (!song) {
    std::fprintf(stderr, "playsong: %s\n", error.c_str());
    return 1;
  }
  if (!options.dry) song->SetEffects(condemo::SongEffects());

  std::unique_ptr<audio::Output> output;
  if (!options.list) output = audio::OpenOutput({.silent = options.silent});
  std::printf("%s: %d orders, %d channels, %d instruments; %s\n", options.file.c_str(), song->Orders(),
              song->Channels(), song->Instruments(),
              output ? (output->DeviceName() + ", latency " + std::to_string(output->LatencyMs()) + " ms").c_str()
                     : "listing");
  std::printf("    time  order  row  ch  inst  fires   late\n");

  Lateness lateness;
  for (const int instrument : Watched(options, *song)) {
    song->OnInstrument(instrument, [&](const music::Trigger& t) {
      if (!output) return PrintNote(t, "");
      const double lateMs = static_cast<double>(output->FramesPlayed() - t.frame) * 1000.0 / audio::SampleRate;
      char late[32];
      std::snprintf(late, sizeof late, "+%.1f ms", lateMs);
      PrintNote(t, late);
      std::lock_guard<std::mutex> lock(lateness.lock);
      ++lateness.count;
      lateness.sumMs += lateMs;
      lateness.maxMs = std::max(lateness.maxMs, lateMs);
    });
  }

  if (output) {
    Play(*song, *output);
    if (lateness.count > 0) {
      std::printf("%d notes heard; printed %.2f ms after the listener heard them on average, %.2f ms at most\n",
                  lateness.count, lateness.sumMs / lateness.count, lateness.maxMs);
    }
  } else {
    List(*song);
  }
  return 0;
}
