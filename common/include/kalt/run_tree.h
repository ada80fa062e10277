// kalt/run_tree.h - where the tools find the show's data files.
//
// The programs of the show sit in the bin folder of a run tree, beside its
// data and Data20 folders, and read their files relative to the working
// directory. The tools (framegrab, capture, playsong) read the same files
// from wherever they are started: they look them up beside their own program
// file, in the run tree that holds it (an installed tree, where the tools
// sit in bin with the demos) or in the run tree next to it (a build tree,
// where the tools are built into build/<preset>/bin and the run tree is
// build/<preset>/run).
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace kalt {

// The path of `relative` (for example "data/font.tga") in the run tree of
// the calling program: <program folder>/../<relative> when that exists,
// else <program folder>/../run/<relative> when that exists, else
// "../<relative>" (relative to the working directory, as the demos read it).
inline std::string RunTreeFile(const std::string& relative) {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const std::filesystem::path root = program.parent_path().parent_path();
    for (const std::filesystem::path& candidate : {root / relative, root / "run" / relative})
      if (std::filesystem::exists(candidate, error)) return candidate.string();
  }
  return "../" + relative;
}

// A file by the path a show reads it by (relative to the show's bin folder,
// its working directory: "../data/font.tga", "DiRURODU.XM"): that path when
// it exists from the working directory, else the same file in the run tree
// of the calling program (RunTreeFile) when it exists there, else the path
// as given (so that a message names the file as the show reads it).
inline std::string ShowFile(const std::string& showPath) {
  std::error_code error;
  if (std::filesystem::exists(showPath, error)) return showPath;
  const std::string inTree = RunTreeFile((std::filesystem::path("bin") / showPath).lexically_normal().string());
  return std::filesystem::exists(inTree, error) ? inTree : showPath;
}

}  // namespace kalt
