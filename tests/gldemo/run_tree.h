// A run tree of its own for one test's gldemo: bin/ (the working
// directory), data/font.tga and Data20/gradient.bin from the build's run
// tree, and a soundtrack made by the test.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "ogg_writer.h"

extern char** environ;

namespace gldemo_test {

class RunTree {
 public:
  // A tree with the font, the real gradients and `seconds` of a tone as the
  // soundtrack.
  explicit RunTree(const std::string& name, long seconds = 20)
      : root_(std::filesystem::path(::testing::TempDir()) / (name + "-" + std::to_string(getpid()))) {
    namespace fs = std::filesystem;
    fs::remove_all(root_);
    for (const char* folder : {"bin", "data", "Data20"}) fs::create_directories(root_ / folder);
    const fs::path run = fs::path(KALT_RUN_BIN).parent_path();
    fs::create_symlink(run / "data" / "font.tga", root_ / "data" / "font.tga");
    fs::create_symlink(run / "Data20" / "gradient.bin", Gradients());
    if (!WriteOgg(Music(), 44100, 2, seconds * 44100, Tone)) throw std::runtime_error("cannot write the soundtrack");
  }
  ~RunTree() { std::filesystem::remove_all(root_); }
  RunTree(const RunTree&) = delete;
  RunTree& operator=(const RunTree&) = delete;

  std::string Bin() const { return (root_ / "bin").string(); }
  std::string Music() const { return (root_ / "Data20" / "wierd-thing-one.ogg").string(); }
  std::string Gradients() const { return (root_ / "Data20" / "gradient.bin").string(); }
  std::string File(const std::string& name) const { return (root_ / name).string(); }

 private:
  std::filesystem::path root_;
};

// Starts a program in `folder` with this process's environment; its
// standard output goes to outFd (or /dev/null when it is -1) and its
// standard error to errFile. Returns its process id.
inline pid_t SpawnIn(const std::string& folder, const std::string& program, int outFd, const std::string& errFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  if (outFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) throw std::runtime_error("cannot start " + program);
  return pid;
}

}  // namespace gldemo_test
