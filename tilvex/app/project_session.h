#pragma once
// The open project: the tree, its file, its output and the batch run.
// It remembers the project's path ("Untitled" until named) and whether the tree has changed
// since it was last read or written.
#include <functional>
#include <string>
#include <vector>

#include "common/result.h"
#include "project/project_tree.h"

namespace tilvex {
using common::Result;

inline constexpr const char* kUntitled = "Untitled";

class ProjectSession {
 public:
  ProjectSession();

  ProjectTree& Tree() { return tree_; }
  const ProjectTree& Tree() const { return tree_; }
  const std::string& Path() const { return path_; }
  bool IsNamed() const { return path_ != kUntitled; }
  bool IsModified() const { return modified_; }
  void SetModified() { modified_ = true; }

  // Reads a project file; on failure the current project stays as it was.
  Result Load(const std::string& path);
  // Writes the project to path and names it so.
  Result SaveAs(const std::string& path);
  // An empty project (root only) named path, written there at once; when it cannot be
  // written, the open project stays as it was.
  Result Create(const std::string& path);

  // Saves the project, reads it back and writes the output files beside it; fileNames, when
  // given, receives the names of the files written there.
  Result Output(std::vector<std::string>& messages, std::vector<std::string>* fileNames = nullptr);

  // The batch over the pictures, with the output files in directory; step after each one,
  // which stops the run, writing nothing, by returning false.
  static Result Batch(const std::vector<std::string>& pictures, const std::string& directory,
                      std::vector<std::string>& messages, const std::function<bool()>& step);
  static Result ReadList(const std::string& path, std::vector<std::string>& pictures);

 private:
  ProjectTree tree_;
  std::string path_ = kUntitled;
  bool modified_ = false;
};

}  // namespace tilvex
