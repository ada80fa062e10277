// kalt/options.h - the command line as every program of the project reads
// it: --help prints the usage on standard output and exits 0, --version
// prints the program's name and version and exits 0, and an option the
// program does not know is named in one line on standard error, with exit
// status 2, before anything starts.
//
//   bool window = false;
//   kalt::ParseFlags("condemo", kUsage, argc, argv, {{"--window", &window}});
//
//   std::optional<double> from;
//   std::optional<long> fps;
//   kalt::ParseOptions("gldemo", kUsage, argc, argv, {{"--terminal", &terminal}},
//                      {kalt::SecondsOption("--from", &from), kalt::WholeNumberOption("--fps", &fps, 1, 1000)});
//
// An option that takes a value is given as "--name VALUE" or "--name=VALUE".
// A value that is missing or that the option does not take is named in one
// line on standard error, with exit status 2 (BadValue). Programs with
// command lines of another shape call StandardOption, UnknownOption and
// BadValue themselves, and read numbers with ReadSeconds and
// ReadWholeNumber.
#pragma once

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
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

// Far beyond any show (11 days), and so far inside the range of sample
// positions: the most seconds a time option takes.
inline constexpr double kMostSeconds = 1e6;

// A number of seconds written in full as a decimal number ("90", "12.5",
// "1e2"; no sign, spaces or other text) from 0 to `most`; nothing for any
// other text (negative, not a number, out of range, empty).
inline std::optional<double> ReadSeconds(std::string_view text, double most = kMostSeconds) {
  double seconds = 0.0;
  const char* end = text.data() + text.size();
  if (text.empty() || text[0] == '-') return std::nullopt;
  const auto [stop, error] = std::from_chars(text.data(), end, seconds);
  if (error != std::errc{} || stop != end || !(seconds >= 0.0 && seconds <= most)) return std::nullopt;
  return seconds;
}

// A whole number written in full in decimal digits (a minus sign allowed)
// from low to high; nothing for any other text ("29.97", "1e3", "",
// out of range).
inline std::optional<long> ReadWholeNumber(std::string_view text, long low, long high) {
  long number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc{} || stop != end || number < low || number > high) return std::nullopt;
  return number;
}

// An option without a value: `set` becomes true when `name` is given.
struct Flag {
  const char* name;
  bool* set;
};

// An option with a value: `read` is handed the value and returns whether
// the option takes it (having stored it); `wanted` says what it takes, for
// the message when it does not ("a whole number from 1 to 1000").
struct ValueOption {
  const char* name;
  std::string wanted;
  std::function<bool(std::string_view)> read;
};

// The option `name` taking seconds from 0 to `most` (ReadSeconds) into *to.
inline ValueOption SecondsOption(const char* name, std::optional<double>* to, double most = kMostSeconds) {
  char wanted[80];
  std::snprintf(wanted, sizeof wanted, "a number of seconds from 0 to %.15g", most);
  return {name, wanted, [to, most](std::string_view text) { return (*to = ReadSeconds(text, most)).has_value(); }};
}

// The option `name` taking a whole number from low to high
// (ReadWholeNumber) into *to.
inline ValueOption WholeNumberOption(const char* name, std::optional<long>* to, long low, long high) {
  const std::string wanted = "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  return {name, wanted, [to, low, high](std::string_view text) { return (*to = ReadWholeNumber(text, low, high)).has_value(); }};
}

// Reads the arguments after the program name: --help and --version as
// above, and otherwise each must be one of the flags (given more than once
// is the same as once) or one of the value options with its value ("--name
// VALUE" or "--name=VALUE"; given again, the last value counts). The first
// argument that is neither ends the program through UnknownOption; a value
// that is missing or not taken ends it through BadValue.
inline void ParseOptions(const char* program, const char* usage, int argc, char** argv,
                         std::initializer_list<Flag> flags, std::initializer_list<ValueOption> values) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    StandardOption(arg, program, usage);
    const Flag* flag = nullptr;
    for (const Flag& f : flags)
      if (arg == f.name) flag = &f;
    if (flag) {
      *flag->set = true;
      continue;
    }
    const std::string_view name = arg.substr(0, arg.find('='));
    const ValueOption* option = nullptr;
    for (const ValueOption& v : values)
      if (name == v.name) option = &v;
    if (!option) UnknownOption(program, arg);
    std::optional<std::string_view> value;
    if (name.size() < arg.size()) value = arg.substr(name.size() + 1);
    else if (i + 1 < argc) value = argv[++i];
    if (!value || !option->read(*value)) BadValue(program, option->name, option->wanted.c_str());
  }
}

// ParseOptions for programs whose options are all flags.
inline void ParseFlags(const char* program, const char* usage, int argc, char** argv, std::initializer_list<Flag> flags) {
  ParseOptions(program, usage, argc, argv, flags, {});
}

}  // namespace kalt
