// web-frames: frames of condemo against its sync track, as the page draws
// them, each printed as one line "FRAME ORDER HASH" (the hash: FNV-1a of the
// cells' characters and attributes, 16 hex digits). Built natively and for
// WebAssembly, so that the two builds' frames can be compared line by line.
//
//   web-frames SYNC.txt --fps F (--frames K,K,... | --every N) [--threads T]
//
// --every N prints every Nth frame from 0 to the show's end.
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "web/condemo_run.h"

namespace {

std::uint64_t HashCells(const condemo::CellGrid& grid) {
  std::uint64_t h = 14695981039346656037ull;
  for (const kalt::Cell& cell : grid.cells)
    for (const std::uint16_t word : {cell.ch, cell.attr})
      for (int shift = 0; shift < 16; shift += 8) {
        h ^= (word >> shift) & 0xFFu;
        h *= 1099511628211ull;
      }
  return h;
}

int Usage() {
  std::fprintf(stderr, "usage: web-frames SYNC.txt --fps F (--frames K,K,... | --every N) [--threads T]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage();
  int fps = 0, every = 0, threads = 1;
  std::set<std::int64_t> frames;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string name = argv[i], value = argv[i + 1];
    if (name == "--fps") fps = std::stoi(value);
    else if (name == "--every") every = std::stoi(value);
    else if (name == "--threads") threads = std::stoi(value);
    else if (name == "--frames") {
      std::istringstream list(value);
      for (std::string k; std::getline(list, k, ',');) frames.insert(std::stoll(k));
    } else return Usage();
  }
  if (fps < 1 || (every < 1 && frames.empty())) return Usage();
  std::ifstream in(argv[1], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<web::SyncEvent> events;
  std::string error;
  if (!web::ReadSyncTrack(text, events, &error)) {
    std::fprintf(stderr, "web-frames: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  web::CondemoRun run(std::move(events), threads);
  const std::int64_t last = frames.empty() ? INT64_MAX : *frames.rbegin();
  for (std::int64_t k = 0; k <= last; ++k) {
    const bool draw = every > 0 ? k % every == 0 : frames.count(k) != 0;
    run.Step(static_cast<double>(k) / fps, draw, 1.0 / fps);
    if (draw) std::printf("%" PRId64 " %d %016" PRIx64 "\n", k, run.Order(), HashCells(run.Grid()));
    if (run.Ended()) break;
  }
  return 0;
}
