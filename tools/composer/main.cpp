// composer: builds the show's music from readable scores.
//
//   composer xm SCORE OUT.xm          the score as an extended module
//   composer wav SONG OUT.wav         rendered with libopenmpt, 44.1 kHz stereo 16-bit
//   composer ogg SONG OUT.ogg [Q]     rendered, its peak brought to -1 dBFS and
//                                     encoded as Ogg Vorbis (quality Q, default 0.5)
//   composer info SONG                order positions with their times and levels
//   composer families                 the instrument families and their parameters
//
// SONG is a score or an .xm file (recognised by its content). Errors go to
// stderr as "composer: FILE:LINE: message" and the exit status is 1; a wrong
// command line gives the usage and status 2.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "family.h"
#include "kalt/options.h"
#include "render.h"
#include "score.h"
#include "vorbis.h"
#include "xm_writer.h"

namespace {

using namespace kalt::composer;

constexpr std::string_view kXmMagic = "Extended Module: ";
constexpr double kMasterPeak = 0.891;  // -1 dBFS: room for the encoder's overshoot

constexpr const char* kUsage =
    "usage: composer xm SCORE OUT.xm\n"
    "       composer wav SONG OUT.wav\n"
    "       composer ogg SONG OUT.ogg [QUALITY]\n"
    "       composer info SONG\n"
    "       composer families\n"
    "SONG is a score or an .xm file.\n";

int Usage() {
  std::cerr << kUsage;
  return 2;
}

// Whether an argument is an option ("--name", "-x"), not a file or a
// quality such as -0.1.
bool IsOption(const std::string& arg) {
  return arg.starts_with("--") || (arg.size() > 1 && arg[0] == '-' && std::isalpha(static_cast<unsigned char>(arg[1])));
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

// The module bytes of a score or an .xm file.
std::vector<std::uint8_t> LoadSong(const std::string& path) {
  const std::string text = ReadFile(path);
  if (text.starts_with(kXmMagic)) return {text.begin(), text.end()};
  try {
    return kalt::xm::WriteXm(BuildModule(ParseScore(text)));
  } catch (const ScoreError& e) {
    throw std::runtime_error(path + ":" + std::to_string(e.line) + ": " + e.message);
  }
}

std::string Fixed(double v, int decimals) {
  std::ostringstream s;
  s.setf(std::ios::fixed);
  s.precision(decimals);
  s << v;
  return s.str();
}

void PrintLevels(std::string_view label, const Levels& l, double seconds) {
  std::cout << label << "  " << Fixed(seconds, 2) << " s  peak " << Fixed(Decibels(l.peak), 1) << " dBFS  rms "
            << Fixed(Decibels(l.rms), 1) << " dBFS (L " << Fixed(Decibels(l.rmsLeft), 1) << ", R "
            << Fixed(Decibels(l.rmsRight), 1) << ")  dc " << Fixed(l.dc, 5) << "  longest silence "
            << Fixed(l.longestSilence, 2) << " s\n";
}

int Info(const std::string& song) {
  const Rendering r = RenderModule(LoadSong(song));
  for (std::size_t i = 0; i < r.positions.size(); ++i) {
    const std::size_t from = r.positions[i].second;
    const std::size_t to = i + 1 < r.positions.size() ? r.positions[i + 1].second : r.left.size();
    char label[32];
    std::snprintf(label, sizeof label, "position %2d at %7.2f s", r.positions[i].first,
                  static_cast<double>(from) / kRenderRate);
    PrintLevels(label, Measure(r, from, to), static_cast<double>(to - from) / kRenderRate);
  }
  PrintLevels("whole song              ", Measure(r, 0, r.left.size()),
              static_cast<double>(r.left.size()) / kRenderRate);
  return 0;
}

int Families() {
  for (const Family& f : kalt::composer::Families()) {
    std::cout << f.name << ": " << f.description << "\n";
    for (const ParamSpec& p : f.params)
      std::cout << "  " << p.name << " (" << p.min << " .. " << p.max << ", default " << p.fallback
                << "): " << p.meaning << "\n";
  }
  std::cout << "every family also has:\n";
  for (const ParamSpec& p : CommonParams())
    std::cout << "  " << p.name << " (" << p.min << " .. " << p.max << ", default " << p.fallback << "): " << p.meaning
              << "\n";
  return 0;
}

int Run(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    kalt::StandardOption(arg, "composer", kUsage);
    if (IsOption(arg)) kalt::UnknownOption("composer", arg);
  }
  if (args.empty()) return Usage();
  const std::string& command = args[0];
  if (command == "xm" && args.size() == 3) {
    const std::string text = ReadFile(args[1]);
    if (text.starts_with(kXmMagic)) throw std::runtime_error(args[1] + " is a module already, not a score");
    WriteFile(args[2], LoadSong(args[1]));
    return 0;
  }
  if (command == "wav" && args.size() == 3) {
    WriteWav(RenderModule(LoadSong(args[1])), args[2]);
    return 0;
  }
  if (command == "ogg" && (args.size() == 3 || args.size() == 4)) {
    float quality = 0.5f;
    if (args.size() == 4) {
      std::istringstream text(args[3]);
      if (!(text >> quality) || !text.eof()) throw std::runtime_error("quality \"" + args[3] + "\" is not a number");
    }
    Rendering r = RenderModule(LoadSong(args[1]));
    NormalisePeak(r, kMasterPeak);
    WriteFile(args[2], EncodeVorbis(r.left, r.right, kRenderRate, quality, {r.title, "Kalt"}));
    return 0;
  }
  if (command == "info" && args.size() == 2) return Info(args[1]);
  if (command == "families" && args.size() == 1) return Families();
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::cerr << "composer: " << e.what() << "\n";
    return 1;
  }
}
