// The node dialogs' rules: what the project file and the output can take.
#include "app/node_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "project/project_tree.h"

namespace tilvex {
namespace {

bool Refused(uint8_t kind, const std::string& name) {
  return !NodeNameProblem(kind, name).empty();
}

TEST(NodeRules, EveryNameIsANonBlankGbkNameAndNoPath) {
  for (uint8_t kind : {kKindSection, kKindGroup, kKindItem, kKindSubBlock}) {
    SCOPED_TRACE(int(kind));
    EXPECT_TRUE(Refused(kind, ""));
    EXPECT_TRUE(Refused(kind, "  \t"));
    EXPECT_TRUE(Refused(kind, "maps/logo"));
    EXPECT_TRUE(Refused(kind, "maps\\logo"));
    EXPECT_TRUE(Refused(kind, "logo\xF0\x9F\x98\x80"));  // an emoji has no GBK code
    EXPECT_FALSE(Refused(kind, "Logo_1"));
    EXPECT_FALSE(Refused(kind, "标题"));
  }
  // The refusal names what was typed.
  EXPECT_NE(NodeNameProblem(kKindGroup, "a/b").find("a/b"), std::string::npos);
}

TEST(NodeRules, ItemNamesMakeAssemblerLabelsAndFileNames) {
  EXPECT_TRUE(Refused(kKindItem, "title screen"));
  EXPECT_TRUE(Refused(kKindItem, "title\tscreen"));
  EXPECT_TRUE(Refused(kKindItem, " title"));
  EXPECT_FALSE(Refused(kKindGroup, "title screen"));
  EXPECT_FALSE(Refused(kKindSection, "title screen"));
  EXPECT_FALSE(Refused(kKindSubBlock, "left corner"));
  // The output's own files and ".." are no item file names.
  EXPECT_TRUE(Refused(kKindItem, "vt03irq"));
  EXPECT_TRUE(Refused(kKindItem, "logo..1"));
  EXPECT_FALSE(Refused(kKindGroup, "vt03irq"));
  EXPECT_NE(NodeNameProblem(kKindItem, "title screen").find("title screen"), std::string::npos);
}

TEST(NodeRules, ItemsNameAStorableFileThatExists) {
  EXPECT_FALSE(ItemPathProblem("").empty());
  EXPECT_FALSE(ItemPathProblem("   ").empty());
  EXPECT_FALSE(ItemPathProblem("/pics/\xF0\x9F\x98\x80.pic").empty());
  const std::string path = ::testing::TempDir() + "/标题 1.pic";
  std::filesystem::remove(std::filesystem::path(path));
  EXPECT_NE(ItemPathProblem(path).find(path), std::string::npos);  // not there yet
  std::ofstream(std::filesystem::path(path)) << "PIC";
  EXPECT_TRUE(ItemPathProblem(path).empty());
  EXPECT_FALSE(ItemPathProblem(::testing::TempDir()).empty());  // a folder
}

// A whole-width sub block of a 256-pixel picture is 256 wide, stored as 0.
TEST(NodeRules, SubBlockYWidthAndHeightFitOneByte) {
  EXPECT_TRUE(SubBlockSizeProblem(255, 255, 255).empty());
  EXPECT_TRUE(SubBlockSizeProblem(0, 256, 240).empty());
  EXPECT_TRUE(SubBlockSizeProblem(0, 256, 256).empty());
  EXPECT_TRUE(SubBlockSizeProblem(0, 0, 0).empty());
  EXPECT_FALSE(SubBlockSizeProblem(256, 8, 8).empty());
  EXPECT_FALSE(SubBlockSizeProblem(0, 257, 8).empty());
  EXPECT_FALSE(SubBlockSizeProblem(0, 8, 300).empty());
  EXPECT_NE(SubBlockSizeProblem(0, 8, 300).find("300"), std::string::npos);
}

}  // namespace
}  // namespace tilvex
