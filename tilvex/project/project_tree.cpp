#include "project/project_tree.h"

#include <algorithm>
#include "common/translate.h"

namespace tilvex {

ProjectNode SectionRecord(const std::string& name, bool autoIncrease) {
  ProjectNode r;
  r.name = name;
  r.kind = kKindSection;
  r.autoIncrease = autoIncrease ? 1 : 0;
  return r;
}

ProjectNode GroupRecord(const std::string& name) {
  ProjectNode r;
  r.name = name;
  r.kind = kKindGroup;
  return r;
}

ProjectNode ItemRecord(const std::string& name, const std::string& picPath) {
  ProjectNode r;
  r.name = name;
  r.path = picPath;
  r.kind = kKindItem;
  return r;
}

ProjectNode SubBlockRecord(const std::string& name, uint32_t x, uint32_t y, uint32_t width,
                           uint32_t height) {
  ProjectNode r;
  r.name = name;
  r.kind = kKindSubBlock;
  r.subX = x;
  r.subY = static_cast<uint8_t>(y);
  r.subWidth = static_cast<uint8_t>(width);
  r.subHeight = static_cast<uint8_t>(height);
  return r;
}

DropAction DropRule(uint8_t targetKind, uint8_t draggedKind) {
  switch (targetKind) {
    case kKindNone:  // the root
      return draggedKind == kKindSection ? DropAction::kFirstChild : DropAction::kRefuse;
    case kKindSection:
      if (draggedKind == kKindSection) return DropAction::kAfter;
      if (draggedKind == kKindGroup) return DropAction::kFirstChild;
      return DropAction::kRefuse;
    case kKindGroup:
      return draggedKind == kKindGroup || draggedKind == kKindItem || draggedKind == kKindSubBlock
                 ? DropAction::kFirstChild
                 : DropAction::kRefuse;
    case kKindItem:
      return draggedKind == kKindItem ? DropAction::kAfter : DropAction::kRefuse;
    case kKindSubBlock:
      return DropAction::kIgnore;
    default:
      return DropAction::kRefuse;
  }
}

void ProjectTree::Clear() {
  nodes_.clear();
  alive_.clear();
  records_.clear();
  root_ = kNoNode;
}

ProjectTree::NodeId ProjectTree::CreateRoot(const std::string& label) {
  Clear();
  return AppendNode(kNoNode, label, 0, nullptr);
}

int ProjectTree::NodeCount() const {
  return static_cast<int>(std::count(alive_.begin(), alive_.end(), true));
}

bool ProjectTree::IsAlive(NodeId id) const {
  return id >= 0 && static_cast<size_t>(id) < nodes_.size() && alive_[static_cast<size_t>(id)];
}

uint8_t ProjectTree::Kind(NodeId id) const {
  const ProjectNode* r = Record(id);
  return r ? r->kind : 0;
}

const ProjectNode* ProjectTree::Record(NodeId id) const {
  if (!IsAlive(id)) return nullptr;
  const int number = Node(id).itemNumber;
  return number > 0 ? &records_[static_cast<size_t>(number - 1)] : nullptr;
}

void ProjectTree::SetRootLabel(const std::string& label) {
  if (IsAlive(root_)) nodes_[static_cast<size_t>(root_)].label = label;
}

bool ProjectTree::AcceptsChild(uint8_t parentKind, bool parentIsRoot, uint8_t childKind) {
  if (parentIsRoot) return childKind == kKindSection;
  switch (parentKind) {
    case kKindSection:
    case kKindGroup:
      return childKind == kKindGroup || childKind == kKindItem;
    case kKindItem:
      return childKind == kKindSubBlock;
    default:
      return false;
  }
}

ProjectTree::NodeId ProjectTree::AppendNode(NodeId parent, const std::string& label, uint8_t image,
                                            const ProjectNode* record) {
  const NodeId id = static_cast<NodeId>(nodes_.size());
  TreeNode node;
  node.label = label;
  node.image = image;
  node.parent = parent;
  if (record) {
    records_.push_back(*record);
    node.itemNumber = static_cast<int>(records_.size());
  }
  nodes_.push_back(std::move(node));
  alive_.push_back(true);
  if (parent != kNoNode) nodes_[static_cast<size_t>(parent)].children.push_back(id);
  if (parent == kNoNode && !record) root_ = id;
  return id;
}

Result ProjectTree::CheckAdd(NodeId selected, uint8_t kind) const {
  if (!IsAlive(selected) || !AcceptsChild(Kind(selected), selected == root_, kind)) {
    return Result::Fail({}, "this node takes no child of that kind");
  }
  if (NodeCount() >= kMaxNodes) {
    return Result::Fail(common::TrFill("工程最多只能有{0}个节点!", {std::to_string(kMaxNodes)}),
                        "the project already holds the most nodes its file can store");
  }
  return Result::Ok();
}

Result ProjectTree::AddChild(NodeId selected, ProjectNode record, NodeId* added) {
  if (Result r = CheckAdd(selected, record.kind); !r) return r;
  record.valid = 1;
  record.extra.clear();
  const NodeId id = AppendNode(kNoNode, record.name, record.kind, &record);
  InsertChild(selected, 0, id);
  if (added) *added = id;
  return Result::Ok();
}

Result ProjectTree::EditNode(NodeId id, ProjectNode record) {
  const ProjectNode* old = Record(id);
  if (!old) return Result::Fail({}, "the root has no record to edit");
  record.kind = old->kind;
  record.valid = 1;
  record.extra.clear();
  if (record.kind != kKindItem) record.path.clear();
  records_[static_cast<size_t>(Node(id).itemNumber - 1)] = record;
  nodes_[static_cast<size_t>(id)].label = record.name;
  return Result::Ok();
}

bool ProjectTree::DeleteSubtree(NodeId id) {
  if (!IsAlive(id) || id == root_) return false;
  Detach(id);
  std::vector<NodeId> pending = {id};
  while (!pending.empty()) {
    const NodeId n = pending.back();
    pending.pop_back();
    alive_[static_cast<size_t>(n)] = false;
    for (NodeId c : Node(n).children) pending.push_back(c);
  }
  return true;
}

void ProjectTree::Detach(NodeId id) {
  const NodeId parent = Node(id).parent;
  if (parent == kNoNode) return;
  auto& siblings = nodes_[static_cast<size_t>(parent)].children;
  siblings.erase(std::find(siblings.begin(), siblings.end(), id));
  nodes_[static_cast<size_t>(id)].parent = kNoNode;
}

void ProjectTree::InsertChild(NodeId parent, size_t position, NodeId id) {
  auto& children = nodes_[static_cast<size_t>(parent)].children;
  children.insert(
      children.begin() + static_cast<std::ptrdiff_t>(std::min(position, children.size())), id);
  nodes_[static_cast<size_t>(id)].parent = parent;
}

namespace {

size_t PositionIn(const std::vector<int>& siblings, int id) {
  return static_cast<size_t>(std::find(siblings.begin(), siblings.end(), id) - siblings.begin());
}

}  // namespace

bool ProjectTree::CanMoveUp(NodeId id) const {
  if (!IsAlive(id) || id == root_) return false;
  return PositionIn(Node(Node(id).parent).children, id) > 0;
}

bool ProjectTree::CanMoveDown(NodeId id) const {
  if (!IsAlive(id) || id == root_) return false;
  const auto& siblings = Node(Node(id).parent).children;
  return PositionIn(siblings, id) + 1 < siblings.size();
}

bool ProjectTree::MoveUp(NodeId id) {
  if (!CanMoveUp(id)) return false;
  const NodeId parent = Node(id).parent;
  const size_t at = PositionIn(Node(parent).children, id);
  Detach(id);
  InsertChild(parent, at - 1, id);
  return true;
}

bool ProjectTree::MoveDown(NodeId id) {
  if (!CanMoveDown(id)) return false;
  const NodeId parent = Node(id).parent;
  const size_t at = PositionIn(Node(parent).children, id);
  Detach(id);
  InsertChild(parent, at + 1, id);
  return true;
}

bool ProjectTree::IsInSubtree(NodeId id, NodeId top) const {
  for (NodeId n = id; n != kNoNode; n = Node(n).parent) {
    if (n == top) return true;
  }
  return false;
}

ProjectTree::Place ProjectTree::PlaceOf(NodeId id) const {
  if (!IsAlive(id) || Node(id).parent == kNoNode) return {};
  const NodeId parent = Node(id).parent;
  return {parent, PositionIn(Node(parent).children, id)};
}

ProjectTree::DropPlace ProjectTree::WhereDropGoes(NodeId dragged, NodeId target) const {
  if (!IsAlive(dragged) || dragged == root_ || !IsAlive(target) || IsInSubtree(target, dragged)) {
    return {};
  }
  const DropAction action = DropRule(Kind(target), Kind(dragged));
  if (action == DropAction::kFirstChild) return {action, {target, 0}};
  if (action != DropAction::kAfter) return {action, {}};
  const NodeId parent = Node(target).parent;
  if (parent == kNoNode) return {};
  size_t row = PositionIn(Node(parent).children, target) + 1;
  if (Node(dragged).parent == parent && PositionIn(Node(parent).children, dragged) < row) --row;
  return {action, {parent, row}};
}

DropAction ProjectTree::Drop(NodeId dragged, NodeId target) {
  const DropPlace drop = WhereDropGoes(dragged, target);
  if (drop.action == DropAction::kFirstChild || drop.action == DropAction::kAfter) {
    MoveTo(dragged, drop.place);
  }
  return drop.action;
}

void ProjectTree::MoveTo(NodeId id, Place to) {
  if (!IsAlive(id) || id == root_ || !IsAlive(to.parent) || IsInSubtree(to.parent, id)) return;
  Detach(id);
  InsertChild(to.parent, to.row, id);
}

std::vector<ProjectTree::Visit> ProjectTree::PreOrder() const {
  std::vector<Visit> out;
  if (!IsAlive(root_)) return out;
  std::vector<Visit> pending = {{root_, 0}};
  while (!pending.empty()) {
    const Visit v = pending.back();
    pending.pop_back();
    out.push_back(v);
    const auto& children = Node(v.id).children;
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      pending.push_back({*it, v.depth + 1});
  }
  return out;
}

}  // namespace tilvex
