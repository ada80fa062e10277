#include "temporary_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "shows.h"

namespace capture {

namespace {

std::filesystem::path Folder(const std::filesystem::path& target) {
  return target.has_parent_path() ? target.parent_path() : ".";
}

}  // namespace

TemporaryOutput::TemporaryOutput(const std::string& target) : target_(target) {
  const std::filesystem::path path(target);
  const std::filesystem::path folder = Folder(path);
  std::string name = (folder / ".").string();
  name += path.filename().string();
  name += ".capture-XXXXXX";
  fd_ = mkstemp(name.data());
  if (fd_ < 0) throw CaptureError("cannot write in the folder " + folder.string() + ": " + std::strerror(errno));
  path_ = name;
  // The permissions of any new file, not mkstemp's private ones.
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(fd_, 0666 & ~mask) != 0) {
    const int error = errno;
    unlink(path_.c_str());
    close(fd_);
    throw CaptureError("cannot set the permissions of " + path_ + ": " + std::strerror(error));
  }
}

TemporaryOutput::~TemporaryOutput() {
  if (!path_.empty()) unlink(path_.c_str());
  if (fd_ >= 0) close(fd_);
}

void TemporaryOutput::Commit() {
  // 1. The data on the disk before the name: a crash after the rename never
  //    leaves an empty or partial file under the target's name. Any handle
  //    on the file syncs all of its data.
  if (fsync(fd_) != 0) throw CaptureError("cannot write " + path_ + " to the disk: " + std::strerror(errno));
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) throw CaptureError("cannot close " + path_ + ": " + std::strerror(errno));
  // 2. The name.
  if (std::rename(path_.c_str(), target_.c_str()) != 0)
    throw CaptureError("cannot name the file " + target_ + ": " + std::strerror(errno));
  path_.clear();
  // 3. The name on the disk as well. The file is complete under its name
  //    already, so a folder that cannot be synced is no failure.
  const int folder = open(Folder(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
}

}  // namespace capture
