#include "app/project_session.h"

#include <memory>

#include "common/translate.h"
#include "image/colour.h"
#include "image/colour_tables.h"
#include "project/batch_export.h"
#include "project/prg_file.h"
#include "project/project_output.h"

namespace tilvex {

ProjectSession::ProjectSession() {
  tree_.CreateRoot(kUntitled);
}

Result ProjectSession::Add(NodeId parent, ProjectNode record, NodeId* added) {
  if (Result r = tree_.CheckAdd(parent, record.kind); !r) return r;
  if (observer_) observer_->BeforeInsert(parent, 0);
  const Result r = tree_.AddChild(parent, std::move(record), added);
  if (observer_) observer_->AfterInsert();
  modified_ = true;
  return r;
}

Result ProjectSession::Edit(NodeId id, ProjectNode record) {
  if (Result r = tree_.EditNode(id, std::move(record)); !r) return r;
  modified_ = true;
  if (observer_) observer_->Changed(id);
  return Result::Ok();
}

bool ProjectSession::Delete(NodeId id) {
  if (!tree_.IsAlive(id) || id == tree_.Root()) return false;
  const ProjectTree::Place at = tree_.PlaceOf(id);
  if (observer_) observer_->BeforeRemove(at.parent, static_cast<int>(at.row));
  tree_.DeleteSubtree(id);
  if (observer_) observer_->AfterRemove();
  modified_ = true;
  return true;
}

bool ProjectSession::MoveUp(NodeId id) {
  if (!tree_.CanMoveUp(id)) return false;
  const ProjectTree::Place at = tree_.PlaceOf(id);
  return Move(id, {at.parent, at.row - 1});
}

bool ProjectSession::MoveDown(NodeId id) {
  if (!tree_.CanMoveDown(id)) return false;
  const ProjectTree::Place at = tree_.PlaceOf(id);
  return Move(id, {at.parent, at.row + 1});
}

DropAction ProjectSession::Drop(NodeId dragged, NodeId target) {
  const ProjectTree::DropPlace drop = tree_.WhereDropGoes(dragged, target);
  if (drop.action == DropAction::kFirstChild || drop.action == DropAction::kAfter) {
    Move(dragged, drop.place);
  }
  return drop.action;
}

// A node put back where it stands changes nothing and is not an edit.
bool ProjectSession::Move(NodeId id, ProjectTree::Place to) {
  const ProjectTree::Place from = tree_.PlaceOf(id);
  if (from.parent == to.parent && from.row == to.row) return false;
  const size_t destination = from.parent == to.parent && to.row > from.row ? to.row + 1 : to.row;
  if (observer_) {
    observer_->BeforeMove(from.parent, static_cast<int>(from.row), to.parent,
                          static_cast<int>(destination));
  }
  tree_.MoveTo(id, to);
  if (observer_) observer_->AfterMove();
  modified_ = true;
  return true;
}

void ProjectSession::Replace(ProjectTree tree, const std::string& path) {
  if (observer_) observer_->BeforeReset();
  tree_ = std::move(tree);
  path_ = path;
  tree_.SetRootLabel(path_);
  modified_ = false;
  if (observer_) observer_->AfterReset();
}

void ProjectSession::Relabel(const std::string& label) {
  if (tree_.Node(tree_.Root()).label == label) return;
  tree_.SetRootLabel(label);
  if (observer_) observer_->Changed(tree_.Root());
}

Result ProjectSession::Load(const std::string& path) {
  ProjectTree read;
  if (Result r = ReadProjectFile(path, read); !r) return r;
  if (read.Root() == ProjectTree::kNoNode)
    return Result::Fail(common::Tr("PRG文件错误!"), "the project file holds no tree");
  Replace(std::move(read), path);
  return Result::Ok();
}

Result ProjectSession::SaveAs(const std::string& path) {
  ProjectTree named = tree_;
  named.SetRootLabel(path);
  if (Result r = WriteProjectFile(named, path); !r) return r;
  path_ = path;
  Relabel(path);
  modified_ = false;
  return Result::Ok();
}

Result ProjectSession::Create(const std::string& path) {
  ProjectTree fresh;
  fresh.CreateRoot(path);
  if (Result r = WriteProjectFile(fresh, path); !r) return r;
  Replace(std::move(fresh), path);
  return Result::Ok();
}

// The output reads every item's .pic file in the order the tree shows; the tree in memory
// already holds only live nodes in that order, so nothing is read back.
Result ProjectSession::Output(std::vector<std::string>& messages,
                              std::vector<std::string>* fileNames) {
  if (Result saved = SaveAs(path_); !saved.ok) return saved;
  return OutputProject(tree_, ProjectFolder(path_), messages, fileNames);
}

Result ProjectSession::Batch(const std::vector<std::string>& pictures, const std::string& directory,
                             std::vector<std::string>& messages,
                             const std::function<bool()>& step) {
  // The window converts in the HSL space, the default of the command line's batch too.
  const uint8_t space = 0;
  auto tables = std::make_shared<ColourTables>();
  if (Result r = LoadColourTablesFor(ColourSpaceOf(space), *tables); !r) return r;
  return RunBatch(pictures, directory, BatchFrameConverter(tables, directory, space), messages,
                  step);
}

Result ProjectSession::ReadList(const std::string& path, std::vector<std::string>& pictures) {
  return ReadPictureList(path, pictures);
}

}  // namespace tilvex
