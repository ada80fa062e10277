// The playsong tool, run as a user would.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "kalt_test/tools.h"
#include "modules.h"

namespace {

using modules::Hit;

// Runs the tool with `arguments`; its standard output, and its exit status
// in *status.
std::string RunPlaysong(const std::string& arguments, int* status) {
  return kalt_test::RunCommand(std::string(KALT_TOOLS_DIR) + "/playsong " + arguments + " 2>/dev/null", status);
}

TEST(Playsong, ListsTheShowsInstrumentsAsTheyAreHeard) {
  modules::Module m = modules::Make(2, 12, 1, 4);
  m.patterns[0].at(0, 0) = Hit(12);
  m.patterns[0].at(1, 1) = Hit(3);
  m.patterns[0].at(2, 1) = Hit(7);
  modules::File file(m);
  int status = -1;
  const std::string listing = RunPlaysong("--list " + file.path(), &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(listing.find("1 orders, 2 channels, 12 instruments"), std::string::npos) << listing;
  EXPECT_NE(listing.find("   0.000      0    0   0    12  beat"), std::string::npos) << listing;
  EXPECT_NE(listing.find("   0.240      0    2   1     7  flashB"), std::string::npos) << listing;
  EXPECT_EQ(listing.find("     3  "), std::string::npos) << listing;  // not a show instrument
  EXPECT_NE(RunPlaysong("--list --all " + file.path(), &status).find("   0.120      0    1   1     3"), std::string::npos);
}

TEST(Playsong, FailsOnAMissingSongOrBadArguments) {
  int status = 0;
  RunPlaysong("--list /nonexistent.xm", &status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  RunPlaysong("--bogus", &status);
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
