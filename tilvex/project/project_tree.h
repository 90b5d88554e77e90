#pragma once

// The project: a tree of sections, groups, items (one block picture each) and sub blocks,
// with one ProjectNode record per node but the root. The tree window shows this model and
// calls its operations; every rule about what may go where lives here.

#include <cstdint>
#include <string>
#include <vector>

#include "common/result.h"

namespace tilvex {
using common::Result;

// Node kinds; the tree shows one picture per kind. The root has no record and counts as 0.
enum NodeKind : uint8_t {
  kKindNone = 0,  // only found in project files that already hold one
  kKindSection = 1,
  kKindGroup = 2,
  kKindItem = 3,
  kKindSubBlock = 4,
};

struct ProjectNode {
  std::string name;
  std::string path;   // an item's .pic file; empty for every other kind
  std::string extra;  // always empty
  uint8_t kind = 0;
  uint8_t subHeight = 0;
  uint8_t reserved14 = 0;
  uint8_t subY = 0;
  uint8_t subWidth = 0;
  uint8_t autoIncrease = 0;
  uint8_t reserved18 = 0;
  uint8_t valid = 1;
  uint32_t subX = 0;

  bool operator==(const ProjectNode&) const = default;
};

// The records the three node dialogs produce.
ProjectNode SectionRecord(const std::string& name, bool autoIncrease);
ProjectNode GroupRecord(const std::string& name);
ProjectNode ItemRecord(const std::string& name, const std::string& picPath);
// Y, width and height keep their low 8 bits, as the record holds one byte each.
ProjectNode SubBlockRecord(const std::string& name, uint32_t x, uint32_t y, uint32_t width,
                           uint32_t height);

// Where a dragged node would land, by the kinds of target and dragged node.
enum class DropAction {
  kFirstChild,  // becomes the first child of the target
  kAfter,       // is placed after the target, under the target's parent
  kIgnore,      // nothing happens, silently (a sub block as target)
  kRefuse,      // nothing happens, with a beep
};
DropAction DropRule(uint8_t targetKind, uint8_t draggedKind);

class ProjectTree {
 public:
  using NodeId = int;
  static constexpr NodeId kNoNode = -1;
  static constexpr int kMaxNodes = 255;  // the project file counts nodes in one byte

  struct TreeNode {
    std::string label;
    uint8_t image = 0;   // equal to the kind
    int itemNumber = 0;  // 0 for the root, else 1 + the record's index
    NodeId parent = kNoNode;
    std::vector<NodeId> children;
  };

  // Removes every node and record.
  void Clear();
  // Creates the root (after Clear); its label is the project path or "Untitled".
  NodeId CreateRoot(const std::string& label);

  NodeId Root() const { return root_; }
  int NodeCount() const;
  bool IsAlive(NodeId id) const;
  const TreeNode& Node(NodeId id) const { return nodes_[static_cast<size_t>(id)]; }
  // The node's kind: the record's kind, 0 for the root.
  uint8_t Kind(NodeId id) const;
  const ProjectNode* Record(NodeId id) const;
  void SetRootLabel(const std::string& label);

  // The kind of child the selected node takes (a section under the root, a group or an
  // item under a section or group, a sub block under an item), or 0 when it takes none.
  static bool AcceptsChild(uint8_t parentKind, bool parentIsRoot, uint8_t childKind);

  // Whether a node of the kind may be added under the selected node: refused when the kind
  // does not belong there or the project is full.
  Result CheckAdd(NodeId selected, uint8_t kind) const;
  // Adds the record as the first child of the selected node, if CheckAdd allows it.
  Result AddChild(NodeId selected, ProjectNode record, NodeId* added = nullptr);
  // Rewrites a node's record (valid = 1, extra empty) and sets its label to the name;
  // the kind stays.
  Result EditNode(NodeId id, ProjectNode record);
  // Removes the node and its whole subtree; the root cannot be deleted.
  bool DeleteSubtree(NodeId id);

  bool CanMoveUp(NodeId id) const;
  bool CanMoveDown(NodeId id) const;
  bool MoveUp(NodeId id);
  bool MoveDown(NodeId id);
  // Where a node stands: its parent and its position among the parent's children.
  struct Place {
    NodeId parent = kNoNode;
    size_t row = 0;
  };
  Place PlaceOf(NodeId id) const;
  // Where a dropped node would go by the drop rules, with row counted once the dragged node
  // has left its old place. kRefuse also for no target, the node itself or a node inside its
  // subtree.
  struct DropPlace {
    DropAction action = DropAction::kRefuse;
    Place place;
  };
  DropPlace WhereDropGoes(NodeId dragged, NodeId target) const;
  // Drops a dragged node on a target by the drop rules and returns the action taken.
  DropAction Drop(NodeId dragged, NodeId target);
  // Moves a node (not the root) to row of parent, row counted without the node itself.
  void MoveTo(NodeId id, Place to);

  // The nodes from the root in pre-order with their depths (root 0).
  struct Visit {
    NodeId id;
    uint32_t depth;
  };
  std::vector<Visit> PreOrder() const;

  // Used by the project file reader: appends a node under `parent` (kNoNode for the root)
  // as its last child, with a record unless it is the root.
  NodeId AppendNode(NodeId parent, const std::string& label, uint8_t image,
                    const ProjectNode* record);

 private:
  bool IsInSubtree(NodeId id, NodeId top) const;
  void Detach(NodeId id);
  void InsertChild(NodeId parent, size_t position, NodeId id);

  std::vector<TreeNode> nodes_;
  std::vector<bool> alive_;
  std::vector<ProjectNode> records_;
  NodeId root_ = kNoNode;
};

}  // namespace tilvex
