#pragma once
// The open project: the tree, its file, its output and the batch run. Every change to the
// tree goes through the session, which marks the project modified and tells its observer
// what changed, so a view over it never rebuilds nor renumbers.
#include <functional>
#include <string>
#include <vector>

#include "common/result.h"
#include "project/project_tree.h"

namespace tilvex {
using common::Result;

inline constexpr const char* kUntitled = "Untitled";

// Told before and after every change of the tree. Rows are positions among a parent's
// children; a move's destination row counts the moving node still in its old place, as
// Qt's models count it.
class ProjectObserver {
 public:
  using NodeId = ProjectTree::NodeId;
  virtual ~ProjectObserver() = default;
  virtual void BeforeInsert(NodeId parent, int row) = 0;
  virtual void AfterInsert() = 0;
  virtual void BeforeRemove(NodeId parent, int row) = 0;
  virtual void AfterRemove() = 0;
  virtual void BeforeMove(NodeId from, int fromRow, NodeId to, int destinationRow) = 0;
  virtual void AfterMove() = 0;
  virtual void Changed(NodeId id) = 0;
  // Another project replaces the whole tree.
  virtual void BeforeReset() = 0;
  virtual void AfterReset() = 0;
};

class ProjectSession {
 public:
  using NodeId = ProjectTree::NodeId;

  ProjectSession();

  void SetObserver(ProjectObserver* observer) { observer_ = observer; }
  const ProjectTree& Tree() const { return tree_; }
  const std::string& Path() const { return path_; }
  bool IsNamed() const { return path_ != kUntitled; }
  bool IsModified() const { return modified_; }

  // The edits. Each one that changes the tree marks the project modified; a refused one or
  // one that leaves the tree as it was does not.
  // Adds the record as the first child of parent.
  Result Add(NodeId parent, ProjectNode record, NodeId* added = nullptr);
  // Rewrites a node's record and label; the kind stays.
  Result Edit(NodeId id, ProjectNode record);
  // Removes the node and its subtree; never the root.
  bool Delete(NodeId id);
  bool MoveUp(NodeId id);
  bool MoveDown(NodeId id);
  // A dragged node dropped on a target, by the drop rules.
  DropAction Drop(NodeId dragged, NodeId target);

  // Reads a project file; on failure the current project stays as it was.
  Result Load(const std::string& path);
  // Writes the project to path and names it so.
  Result SaveAs(const std::string& path);
  // An empty project (root only) named path, written there at once; when it cannot be
  // written, the open project stays as it was.
  Result Create(const std::string& path);

  // Saves the project and writes the output files beside it from the tree as it stands;
  // fileNames, when given, receives the names of the files written there.
  Result Output(std::vector<std::string>& messages, std::vector<std::string>* fileNames = nullptr);

  // The batch over the pictures, with the output files in directory; step after each one,
  // which stops the run, writing nothing, by returning false.
  static Result Batch(const std::vector<std::string>& pictures, const std::string& directory,
                      std::vector<std::string>& messages, const std::function<bool()>& step);
  static Result ReadList(const std::string& path, std::vector<std::string>& pictures);

 private:
  bool Move(NodeId id, ProjectTree::Place to);
  void Replace(ProjectTree tree, const std::string& path);
  void Relabel(const std::string& label);

  ProjectTree tree_;
  std::string path_ = kUntitled;
  bool modified_ = false;
  ProjectObserver* observer_ = nullptr;
};

}  // namespace tilvex
