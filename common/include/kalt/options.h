// kalt/options.h - the command line of a program whose options are flags.
#pragma once

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace kalt {

// An option without a value: `set` becomes true when `name` is given.
struct Flag {
  const char* name;
  bool* set;
};

// Reads the arguments after the program name: each must be one of the
// flags (given more than once is the same as once). False after the line
// "<program>: unknown option '<argument>'" on stderr for the first that is
// not; the flags before it are set.
inline bool ParseFlags(const char* program, int argc, char** argv, std::initializer_list<Flag> flags) {
  for (int i = 1; i < argc; ++i) {
    const Flag* match = nullptr;
    for (const Flag& flag : flags)
      if (std::strcmp(argv[i], flag.name) == 0) match = &flag;
    if (!match) {
      std::fprintf(stderr, "%s: unknown option '%s'\n", program, argv[i]);
      return false;
    }
    *match->set = true;
  }
  return true;
}

}  // namespace kalt
