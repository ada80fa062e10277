// kalt/options.h - the command line as every program of the project reads
// it: --help prints the usage on standard output and exits 0, --version
// prints the program's name and version and exits 0, and an option the
// program does not know is named in one line on standard error, with exit
// status 2, before anything starts.
//
//   bool window = false;
//   kalt::ParseFlags("condemo", kUsage, argc, argv, {{"--window", &window}});
//
// Programs with options that take values read them themselves and call
// StandardOption, UnknownOption and BadValue for the rest.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "kalt/version.h"

namespace kalt {

// The version line: "condemo (Kalt #20) 1.0.0".
inline void PrintVersion(const char* program) { std::printf("%s (Kalt #20) %s\n", program, kVersion); }

// Handles --help (or -h) and --version, exiting 0 after printing; returns
// for any other argument. `usage` is the whole usage text, ending in a
// newline.
inline void StandardOption(std::string_view arg, const char* program, const char* usage) {
  if (arg == "--help" || arg == "-h") {
    std::fputs(usage, stdout);
    std::exit(0);
  }
  if (arg == "--version") {
    PrintVersion(program);
    std::exit(0);
  }
}

// Names an argument the program does not take in one line on standard
// error, "condemo: unknown option '--x' (try condemo --help)", and exits
// with status 2.
[[noreturn]] inline void UnknownOption(const char* program, std::string_view arg) {
  const bool option = arg.size() > 1 && arg[0] == '-';
  std::fprintf(stderr, "%s: %s '%.*s' (try %s --help)\n", program, option ? "unknown option" : "unexpected argument",
               static_cast<int>(arg.size()), arg.data(), program);
  std::exit(2);
}

// An option whose value is missing or out of range, in the same way:
// "measure-gldemo: --seconds takes a number of seconds (try measure-gldemo
// --help)", then status 2.
[[noreturn]] inline void BadValue(const char* program, const char* option, const char* wanted) {
  std::fprintf(stderr, "%s: %s takes %s (try %s --help)\n", program, option, wanted, program);
  std::exit(2);
}

// An option without a value: `set` becomes true when `name` is given.
struct Flag {
  const char* name;
  bool* set;
};

// Reads the arguments after the program name: --help and --version as
// above, and otherwise each must be one of the flags (given more than once
// is the same as once); the first that is not ends the program through
// UnknownOption.
inline void ParseFlags(const char* program, const char* usage, int argc, char** argv, std::initializer_list<Flag> flags) {
  for (int i = 1; i < argc; ++i) {
    StandardOption(argv[i], program, usage);
    const Flag* match = nullptr;
    for (const Flag& flag : flags)
      if (std::strcmp(argv[i], flag.name) == 0) match = &flag;
    if (!match) UnknownOption(program, argv[i]);
    *match->set = true;
  }
}

}  // namespace kalt
