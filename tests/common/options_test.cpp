// The command line every program reads: numbers taken whole or not at all,
// and options with values, good and bad.
#include "kalt/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ReadNumbers, TakeTheWholeTextOrNothing) {
  for (const char* good : {"0", "12.5", "1e2", "1000000", ".5"}) EXPECT_TRUE(kalt::ReadSeconds(good)) << good;
  EXPECT_EQ(kalt::ReadSeconds("12.5"), 12.5);
  for (const char* bad : {"", "-1", "-0.5", "abc", "12s", " 5", "+5", "nan", "inf", "1000000.5", "0x10"})
    EXPECT_FALSE(kalt::ReadSeconds(bad)) << bad;
  EXPECT_FALSE(kalt::ReadSeconds("61", 60.0));

  EXPECT_EQ(kalt::ReadWholeNumber("60", 1, 1000), 60);
  EXPECT_EQ(kalt::ReadWholeNumber("-3", -5, 5), -3);
  for (const char* bad : {"", "0", "1001", "29.97", "1e3", "60fps", " 60", "+60", "99999999999999999999"})
    EXPECT_FALSE(kalt::ReadWholeNumber(bad, 1, 1000)) << bad;
}

// Runs ParseOptions on the arguments after "demo" with the options of a
// show: a flag, seconds and a whole number.
struct Parsed {
  bool loop = false;
  std::optional<double> from;
  std::optional<long> fps;
};

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "demo");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  Parsed p;
  kalt::ParseOptions("demo", "usage: demo\n", static_cast<int>(argv.size()), argv.data(), {{"--loop", &p.loop}},
                     {kalt::SecondsOption("--from", &p.from), kalt::WholeNumberOption("--fps", &p.fps, 1, 1000)});
  return p;
}

TEST(ParseOptions, ValuesFollowOrJoinTheirOption) {
  const Parsed none = Parse({});
  EXPECT_FALSE(none.loop || none.from || none.fps);
  const Parsed all = Parse({"--fps", "60", "--loop", "--from=12.5", "--fps=30"});
  EXPECT_TRUE(all.loop);
  EXPECT_EQ(all.from, 12.5);
  EXPECT_EQ(all.fps, 30);  // the last one counts
}

TEST(ParseOptionsDeathTest, BadInputIsOneLineAndStatus2) {
  const auto bad = [](std::vector<std::string> args, const char* line) {
    EXPECT_EXIT(Parse(args), testing::ExitedWithCode(2), std::string("^demo: ") + line + " \\(try demo --help\\)\n$");
  };
  bad({"--fps", "0"}, "--fps takes a whole number from 1 to 1000");
  bad({"--fps", "59.94"}, "--fps takes a whole number from 1 to 1000");
  bad({"--fps"}, "--fps takes a whole number from 1 to 1000");
  bad({"--from", "-2"}, "--from takes a number of seconds from 0 to 1000000");
  bad({"--from=soon"}, "--from takes a number of seconds from 0 to 1000000");
  bad({"--loop", "--speed", "2"}, "unknown option '--speed'");
  bad({"--loop=1"}, "unknown option '--loop=1'");
  bad({"later"}, "unexpected argument 'later'");
}

}  // namespace
