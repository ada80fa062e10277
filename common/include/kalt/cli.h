// kalt/cli.h - the options every program of the project answers the same
// way: --help prints the usage on standard output and exits 0, --version
// prints the program's name and version and exits 0, and an option the
// program does not know is named in one line on standard error, with exit
// status 2, before anything starts.
//
//   for (int i = 1; i < argc; ++i) {
//     const std::string_view arg = argv[i];
//     if (kalt::StandardOption(arg, "condemo", kUsage)) continue;  // never returns for them
//     if (arg == "--window") window = true;
//     else kalt::UnknownOption("condemo", arg);
//   }
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "kalt/version.h"

namespace kalt {

// The version line: "condemo (Kalt #20) 1.0.0".
inline void PrintVersion(const char* program) { std::printf("%s (Kalt #20) %s\n", program, kVersion); }

// Handles --help and --version (exiting 0 after printing); false for any
// other argument. `usage` is the whole usage text, ending in a newline.
inline bool StandardOption(std::string_view arg, const char* program, const char* usage) {
  if (arg == "--help" || arg == "-h") {
    std::fputs(usage, stdout);
    std::exit(0);
  }
  if (arg == "--version") {
    PrintVersion(program);
    std::exit(0);
  }
  return false;
}

// Names an argument the program does not take and exits with status 2.
[[noreturn]] inline void UnknownOption(const char* program, std::string_view arg) {
  const bool option = arg.size() > 1 && arg[0] == '-';
  std::fprintf(stderr, "%s: %s '%.*s' (try %s --help)\n", program, option ? "unknown option" : "unexpected argument",
               static_cast<int>(arg.size()), arg.data(), program);
  std::exit(2);
}

}  // namespace kalt
