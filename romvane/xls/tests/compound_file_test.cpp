#include "xls/compound_file.h"

#include <gtest/gtest.h>

#include "nes_files.h"
#include "xls_test_util.h"

namespace romvane {
namespace {

using testing::ReadBytes;

// Sector layouts and stream contents of written files are checked by an independent reader
// (check_readback.py) and, byte for byte, by the three-game workbook.
class CompoundFileTest : public ::testing::Test {
 protected:
  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
  }
  std::string Path() const { return dir / "book.xls"; }
  testing::TempDir dir;
};

TEST_F(CompoundFileTest, NamesAndPathsAreCheckedBeforeAnythingChanges) {
  CompoundFile file;
  file.Create(Path());
  EXPECT_EQ(file.MakeStream("Workbook"), kCfbOk);
  EXPECT_EQ(file.MakeStream("Workbook"), kCfbDuplicateName);
  EXPECT_EQ(file.MakeStream(std::string(31, 'x')), kCfbOk);
  EXPECT_EQ(file.MakeStream(std::string(32, 'y')), kCfbNameTooLong);
  EXPECT_EQ(file.MakeStream("\\Dir\\" + std::string(32, 'y')), kCfbNameTooLong);
  EXPECT_EQ(file.MakeStream(""), kCfbInvalidPath);
  EXPECT_EQ(file.MakeStream("Dir\\"), kCfbInvalidPath);
  EXPECT_EQ(file.MakeStream("Workbook\\Inner"), kCfbInvalidPath);  // a stream holds nothing
  EXPECT_EQ(file.Directory().size(), 3u);
  EXPECT_EQ(file.MakeStream("\\Dir\\Inner"), kCfbOk);  // the storage is made on the way
  EXPECT_EQ(file.MakeStream("Dir\\Inner"), kCfbDuplicateName);
  EXPECT_EQ(file.Directory().size(), 5u);
  const uint8_t byte = 1;
  EXPECT_EQ(file.WriteStream("Missing", &byte, 1), kCfbNoEntry);
  EXPECT_EQ(file.WriteStream("Dir", &byte, 1), kCfbNoEntry);  // a storage, not a stream
  EXPECT_EQ(file.WriteStream("Dir\\Inner", &byte, 1), kCfbOk);
}

// Readers find a name by walking the tree in this order, so a reader follows it too.
TEST_F(CompoundFileTest, DirectoryIsSortedAndHangsFromTheMiddleChild) {
  CompoundFile file;
  file.Create(Path());
  for (const char* name : {"Workbook", "B", "AA", "a", "A", "C"}) file.MakeStream(name);
  const std::vector<DirectoryEntry>& entries = file.Directory();
  std::vector<std::u16string> names;
  for (const DirectoryEntry& e : entries) names.push_back(e.name);
  // Shorter names first, then by code unit, upper case before lower case.
  ASSERT_EQ(names, (std::vector<std::u16string>{u"Root Entry", u"A", u"B", u"C", u"a", u"AA",
                                                u"Workbook"}));
  EXPECT_EQ(entries[0].child, 4u);  // six children: the middle one is the fourth, "a"
  EXPECT_EQ(entries[4].left, 3u);
  EXPECT_EQ(entries[3].left, 2u);
  EXPECT_EQ(entries[2].left, 1u);
  EXPECT_EQ(entries[1].left, kCfbNoEntryIndex);
  EXPECT_EQ(entries[4].right, 5u);
  EXPECT_EQ(entries[5].right, 6u);
  EXPECT_EQ(entries[6].right, kCfbNoEntryIndex);
  EXPECT_EQ(entries[3].right, kCfbNoEntryIndex);
}

TEST_F(CompoundFileTest, AnOldFileIsReplacedOnlyByACommit) {
  const std::vector<uint8_t> old(9000, 8);
  testing::WriteBytes(Path(), old);
  {
    CompoundFile file;
    file.Create(Path());
    file.MakeStream("Workbook");
    EXPECT_EQ(ReadBytes(Path()), old);
  }  // closed without a commit
  EXPECT_EQ(ReadBytes(Path()), old);
  EXPECT_EQ(FilesInFolder(), 1u);

  CompoundFile file;
  file.Create(Path());
  file.MakeStream("Workbook");
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadBytes(Path()).size(), 3u * 512);  // header, FAT, directory: the old bytes are gone
  // Later changes again wait for their commit.
  const std::vector<uint8_t> content(5000, 1);
  file.WriteStream("Workbook", content.data(), content.size());
  EXPECT_EQ(ReadBytes(Path()).size(), 3u * 512);
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadBytes(Path()).size(), 3u * 512 + 10 * 512);
  file.Close();
  EXPECT_EQ(FilesInFolder(), 1u);
}

}  // namespace
}  // namespace romvane
