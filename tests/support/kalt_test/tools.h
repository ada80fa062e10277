// Helpers shared by the tests that run the project's tools and read what
// they write.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace kalt_test {

// The whole content of a file ("" when it cannot be read).
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs a shell command and returns what it wrote on standard output. Its
// wait status (as pclose gives it; -1 when it could not run) goes to
// *status.
inline std::string RunCommand(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    if (status) *status = -1;
    return out;
  }
  char chunk[4096];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, got);
  const int waitStatus = pclose(pipe);
  if (status) *status = waitStatus;
  return out;
}

// Runs framegrab with the given arguments (standard error dropped) and
// returns its exit status, or -1 when it did not exit normally.
inline int Framegrab(const std::string& arguments) {
  const std::string command = std::string(KALT_TOOLS_DIR) + "/framegrab " + arguments + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace kalt_test
