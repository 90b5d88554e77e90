#include "project/prg_file.h"

#include <gtest/gtest.h>

#include <random>

namespace tilvex {
namespace {

using NodeId = ProjectTree::NodeId;

std::string U32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

// One entry of a node with a record, written out by hand.
std::string Entry(uint32_t depth, uint8_t image, const std::string& label,
                  const std::string& path = "", uint8_t kind = 0) {
  std::string e = U32(depth) + static_cast<char>(image) + static_cast<char>(label.size()) + label;
  e += std::string{static_cast<char>(label.size()), 0} + label;
  e += std::string{static_cast<char>(path.size()), 0} + path;
  e += std::string{0, 0};
  e += std::string{static_cast<char>(kind ? kind : image), 0, 0, 0, 0, 0, 0, 1};
  e += U32(0);
  return e;
}

std::string RootEntry(const std::string& label) {
  return U32(0) + '\0' + static_cast<char>(label.size()) + label;
}

const std::string kHeader("PRG2\0", 5);

TEST(ProjectFile, NodesAreWrittenInPreOrderWithTheirDepths) {
  ProjectTree tree;
  const NodeId root = tree.CreateRoot("p");
  NodeId section, group;
  ASSERT_TRUE(tree.AddChild(root, SectionRecord("S", false), &section));
  ASSERT_TRUE(tree.AddChild(section, GroupRecord("G"), &group));
  ASSERT_TRUE(tree.AddChild(group, ItemRecord("I", "/a.pic")));
  std::string bytes;
  ASSERT_TRUE(EncodeProject(tree, bytes));
  EXPECT_EQ(bytes, kHeader + '\x04' + RootEntry("p") + Entry(1, 1, "S") + Entry(2, 2, "G") +
                       Entry(3, 3, "I", "/a.pic"));
}

TEST(ProjectFile, DepthsRebuildTheTree) {
  const std::string bytes = kHeader + '\x05' + RootEntry("r") + Entry(1, 1, "A") +
                            Entry(2, 2, "B") + Entry(1, 1, "E") + Entry(2, 2, "F");
  ProjectTree tree;
  ASSERT_TRUE(DecodeProject(bytes, tree));
  const auto& top = tree.Node(tree.Root()).children;
  ASSERT_EQ(top.size(), 2u);
  EXPECT_EQ(tree.Node(top[0]).label, "A");
  EXPECT_EQ(tree.Node(tree.Node(top[0]).children.at(0)).label, "B");
  EXPECT_EQ(tree.Node(top[1]).label, "E");
  EXPECT_EQ(tree.Node(tree.Node(top[1]).children.at(0)).label, "F");
  EXPECT_EQ(tree.Node(top[1]).itemNumber, 3);
  std::string again;
  ASSERT_TRUE(EncodeProject(tree, again));
  EXPECT_EQ(again, bytes);
}

TEST(ProjectFile, BadFilesLeaveTheTreeAsItWas) {
  ProjectTree tree;
  const NodeId root = tree.CreateRoot("keep");
  tree.AddChild(root, SectionRecord("kept", true));
  const std::string good = kHeader + '\x02' + RootEntry("r") + Entry(1, 1, "A");

  const struct {
    std::string bytes;
    std::string message;
  } cases[] = {
      {"PRG1" + std::string(1, '\0') + good.substr(5), "PRG文件错误!"},
      {"", "PRG文件错误!"},
      {good.substr(0, good.size() - 1), "PRG文件不完整!"},
      {kHeader + '\x03' + RootEntry("r") + Entry(1, 1, "A"), "PRG文件不完整!"},
      {kHeader + '\x02' + RootEntry("r") + Entry(2, 1, "A"), "PRG文件的层次错误!"},
      {kHeader + '\x02' + Entry(1, 1, "A") + RootEntry("r"), "PRG文件的层次错误!"},
      {kHeader + '\x03' + RootEntry("r") + Entry(1, 1, "A") + Entry(0, 1, "B"),
       "PRG文件的层次错误!"},
  };
  for (const auto& c : cases) {
    const Result r = DecodeProject(c.bytes, tree);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(tree.Node(tree.Root()).label, "keep");
    EXPECT_EQ(tree.NodeCount(), 2);
  }
}

TEST(ProjectFile, NamesGbkCannotHoldAreNotSaved) {
  ProjectTree tree;
  const NodeId root = tree.CreateRoot("p");
  tree.AddChild(root, SectionRecord("game \xF0\x9F\x8E\xAE", false));
  std::string bytes;
  const Result r = EncodeProject(tree, bytes);
  EXPECT_FALSE(r);
  EXPECT_FALSE(r.message.empty());
}

TEST(ProjectFile, LongLabelsAreCutOnACharacterBoundary) {
  ProjectTree tree;
  std::string longPath = "/";
  for (int i = 0; i < 200; ++i) longPath += "图";  // 400 GBK bytes
  tree.CreateRoot(longPath);
  std::string bytes;
  ASSERT_TRUE(EncodeProject(tree, bytes));
  EXPECT_EQ(static_cast<uint8_t>(bytes[11]), 255);  // "/" and 127 characters
  ProjectTree loaded;
  ASSERT_TRUE(DecodeProject(bytes, loaded));
  EXPECT_EQ(loaded.Node(loaded.Root()).label, longPath.substr(0, 1 + 127 * 3));
}

// Random editing of a project: after every step the tree still reaches each live node once,
// and the file written from it reads back to the same bytes.
TEST(ProjectFile, RandomEditsAlwaysWriteAFileThatReadsBackTheSame) {
  std::mt19937 rng(11);
  ProjectTree tree;
  tree.CreateRoot("/p/game.prg");
  std::vector<ProjectTree::NodeId> ids = {tree.Root()};
  for (int step = 0; step < 800; ++step) {
    std::vector<ProjectTree::NodeId> live;
    for (ProjectTree::NodeId id : ids) {
      if (tree.IsAlive(id)) live.push_back(id);
    }
    const ProjectTree::NodeId a = live[rng() % live.size()];
    const ProjectTree::NodeId b = live[rng() % live.size()];
    const std::string name = "n" + std::to_string(step);
    ProjectTree::NodeId added = ProjectTree::kNoNode;
    switch (rng() % 8) {
      case 0:
        tree.AddChild(a, SectionRecord(name, rng() % 2 == 0), &added);
        break;
      case 1:
        tree.AddChild(a, GroupRecord(name), &added);
        break;
      case 2:
        tree.AddChild(a, ItemRecord(name, "/pics/" + name + ".pic"), &added);
        break;
      case 3:
        tree.AddChild(a, SubBlockRecord(name, rng(), rng(), rng(), rng()), &added);
        break;
      case 4:
        if (rng() % 4 == 0) tree.DeleteSubtree(a);
        break;
      case 5:
        tree.MoveUp(a);
        break;
      case 6:
        tree.MoveDown(a);
        break;
      default:
        tree.Drop(a, b);
    }
    if (added != ProjectTree::kNoNode) ids.push_back(added);
    ASSERT_EQ(tree.PreOrder().size(), static_cast<size_t>(tree.NodeCount())) << step;
    std::string bytes, again;
    ASSERT_TRUE(EncodeProject(tree, bytes)) << step;
    ProjectTree read;
    ASSERT_TRUE(DecodeProject(bytes, read)) << step;
    ASSERT_TRUE(EncodeProject(read, again));
    ASSERT_EQ(again, bytes) << step;
  }
}

}  // namespace
}  // namespace tilvex
