#include "project/project_tree.h"

#include <gtest/gtest.h>

namespace tilvex {
namespace {

using NodeId = ProjectTree::NodeId;

class ProjectTreeTest : public ::testing::Test {
 protected:
  NodeId Add(NodeId parent, const ProjectNode& record) {
    NodeId id = ProjectTree::kNoNode;
    EXPECT_TRUE(tree.AddChild(parent, record, &id)) << record.name;
    return id;
  }
  std::vector<std::string> Labels(NodeId parent) const {
    std::vector<std::string> out;
    for (NodeId c : tree.Node(parent).children) out.push_back(tree.Node(c).label);
    return out;
  }

  ProjectTree tree;
  NodeId root = tree.CreateRoot("Untitled");
};

TEST_F(ProjectTreeTest, ChildrenDependOnTheSelectedKind) {
  const NodeId section = Add(root, SectionRecord("sec", true));
  EXPECT_FALSE(tree.AddChild(root, GroupRecord("g")));
  const NodeId group = Add(section, GroupRecord("grp"));
  const NodeId item = Add(group, ItemRecord("pic", "/p/a.pic"));
  const NodeId sub = Add(item, SubBlockRecord("sub", 300, 1, 256, 257));
  EXPECT_FALSE(tree.AddChild(sub, SubBlockRecord("x", 0, 0, 1, 1)));
  EXPECT_FALSE(tree.AddChild(item, ItemRecord("x", "")));
  Add(section, ItemRecord("first", "/p/b.pic"));
  // New nodes become the first child.
  EXPECT_EQ(Labels(section), (std::vector<std::string>{"first", "grp"}));
  const ProjectNode* r = tree.Record(sub);
  EXPECT_EQ(r->subX, 300u);
  EXPECT_EQ(r->subY, 1);
  EXPECT_EQ(r->subWidth, 0);   // 256 keeps its low 8 bits
  EXPECT_EQ(r->subHeight, 1);  // 257 too
  EXPECT_EQ(tree.Node(item).image, kKindItem);
  EXPECT_EQ(tree.Record(section)->autoIncrease, 1);
}

TEST_F(ProjectTreeTest, EditingKeepsTheKindAndRenamesTheLabel) {
  const NodeId section = Add(root, SectionRecord("sec", true));
  const NodeId group = Add(section, GroupRecord("grp"));
  ProjectNode edited = ItemRecord("renamed", "/should/not/stick.pic");
  edited.extra = "x";
  ASSERT_TRUE(tree.EditNode(group, edited));
  EXPECT_EQ(tree.Node(group).label, "renamed");
  EXPECT_EQ(tree.Record(group)->kind, kKindGroup);
  EXPECT_EQ(tree.Record(group)->path, "");
  EXPECT_EQ(tree.Record(group)->extra, "");
  EXPECT_FALSE(tree.EditNode(root, GroupRecord("r")));
}

TEST_F(ProjectTreeTest, MovingAndDeletingWholeSubtrees) {
  const NodeId s = Add(root, SectionRecord("s", false));
  const NodeId c = Add(s, GroupRecord("c"));
  const NodeId b = Add(s, GroupRecord("b"));
  const NodeId a = Add(s, GroupRecord("a"));
  Add(c, ItemRecord("c1", "/c1.pic"));
  EXPECT_FALSE(tree.CanMoveUp(a));
  EXPECT_FALSE(tree.CanMoveDown(c));
  EXPECT_FALSE(tree.CanMoveUp(root));
  EXPECT_TRUE(tree.MoveDown(a));
  EXPECT_EQ(Labels(s), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_TRUE(tree.MoveUp(c));
  EXPECT_EQ(Labels(s), (std::vector<std::string>{"b", "c", "a"}));
  EXPECT_EQ(Labels(c), (std::vector<std::string>{"c1"}));  // the subtree came along
  EXPECT_EQ(tree.Record(c)->name, "c");                    // and so did the record

  EXPECT_FALSE(tree.DeleteSubtree(root));
  EXPECT_TRUE(tree.DeleteSubtree(c));
  EXPECT_EQ(Labels(s), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(tree.NodeCount(), 4);
  EXPECT_EQ(tree.PreOrder().size(), 4u);
  (void)b;
}

TEST_F(ProjectTreeTest, DropsFollowTheKindTable) {
  const NodeId s1 = Add(root, SectionRecord("s1", false));
  const NodeId s2 = Add(root, SectionRecord("s2", false));  // root: s2, s1
  const NodeId g = Add(s1, GroupRecord("g"));
  const NodeId i1 = Add(g, ItemRecord("i1", "/1.pic"));
  const NodeId i2 = Add(s2, ItemRecord("i2", "/2.pic"));
  const NodeId sub = Add(i1, SubBlockRecord("sub", 0, 0, 8, 8));

  EXPECT_EQ(tree.Drop(i2, s1), DropAction::kRefuse);  // an item onto a section beeps
  EXPECT_EQ(tree.Drop(g, s2), DropAction::kFirstChild);
  EXPECT_EQ(Labels(s2), (std::vector<std::string>{"g", "i2"}));
  EXPECT_EQ(tree.Drop(s2, s1), DropAction::kAfter);  // a section after a section
  EXPECT_EQ(Labels(root), (std::vector<std::string>{"s1", "s2"}));
  EXPECT_EQ(tree.Drop(s2, root), DropAction::kFirstChild);
  EXPECT_EQ(Labels(root), (std::vector<std::string>{"s2", "s1"}));
  EXPECT_EQ(tree.Drop(i2, i1), DropAction::kAfter);
  EXPECT_EQ(Labels(g), (std::vector<std::string>{"i1", "i2"}));
  EXPECT_EQ(tree.Drop(i1, sub), DropAction::kRefuse);  // inside its own subtree
  EXPECT_EQ(tree.Drop(i2, sub), DropAction::kIgnore);  // a sub block takes nothing, quietly
  EXPECT_EQ(tree.Drop(g, g), DropAction::kRefuse);
  EXPECT_EQ(tree.Drop(s2, g), DropAction::kRefuse);  // a group cannot hold its own section
  EXPECT_EQ(tree.Drop(root, s1), DropAction::kRefuse);
  EXPECT_EQ(tree.Drop(sub, g), DropAction::kFirstChild);
  EXPECT_EQ(Labels(g), (std::vector<std::string>{"sub", "i1", "i2"}));
}

TEST_F(ProjectTreeTest, The256thNodeIsRefused) {
  const NodeId s = Add(root, SectionRecord("s", false));
  for (int i = 2; i < ProjectTree::kMaxNodes; ++i) Add(s, GroupRecord("g" + std::to_string(i)));
  EXPECT_EQ(tree.NodeCount(), 255);
  const Result refused = tree.AddChild(s, GroupRecord("one too many"));
  EXPECT_FALSE(refused);
  EXPECT_FALSE(refused.message.empty());
  EXPECT_EQ(tree.NodeCount(), 255);
}

}  // namespace
}  // namespace tilvex
