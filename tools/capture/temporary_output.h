// An output file that appears under its name only once complete: it is
// written under a hidden name beside the target, then written to the disk
// and renamed over the target; a capture that fails or stops removes it and
// leaves the target as it was.
#pragma once

#include <string>

namespace capture {

class TemporaryOutput {
 public:
  // Creates the empty file ".<name>.capture-XXXXXX" in the target's folder
  // (the working directory when `target` names none), with the permissions
  // of any new file. Throws CaptureError when the folder cannot be written.
  explicit TemporaryOutput(const std::string& target);
  // Removes the file unless it was committed.
  ~TemporaryOutput();
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;

  // The hidden name the writer writes to.
  const std::string& path() const { return path_; }

  // Once the writer has closed the file: writes its data to the disk and
  // renames it over the target. Throws CaptureError when either fails; the
  // file is then still the temporary one (removed by the destructor) and
  // the target untouched.
  void Commit();

 private:
  std::string target_;
  std::string path_;  // empty once committed
  int fd_ = -1;       // the file, open from its creation to the commit
};

}  // namespace capture
