#include "xls/compound_file.h"

#include <gtest/gtest.h>

#include "xls_test_util.h"

namespace romvane {
namespace {

using testing::Le16;
using testing::Le32;
using testing::ReadBytes;

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + seed + i / 251);
  return bytes;
}

class CompoundFileTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = testing::MakeTestFolder("cfb"); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // A file holding one stream "Workbook" with the given content.
  std::vector<uint8_t> WriteWorkbookStream(const std::vector<uint8_t>& content) {
    CompoundFile file;
    file.Create(Path());
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.MakeStream("Workbook"), kCfbOk);
    EXPECT_EQ(file.WriteStream("Workbook", content.data(), content.size()), kCfbOk);
    EXPECT_TRUE(file.Commit());
    return ReadBytes(Path());
  }

  std::string Path() const { return (folder_ / "book.xls").string(); }
  std::filesystem::path folder_;
};

TEST_F(CompoundFileTest, SmallWorkbookStreamIsLaidOutInTheMiniStream) {
  // The size of the three-game workbook: 25 mini sectors in four sectors 2, 4, 5, 6.
  const std::vector<uint8_t> content = Pattern(1551, 3);
  const std::vector<uint8_t> file = WriteWorkbookStream(content);

  EXPECT_EQ(file, testing::ExpectedWorkbookFile1551(content));
}

TEST_F(CompoundFileTest, StreamsAroundTheMiniStreamCutoff) {
  // 4095 bytes: 64 mini sectors, a mini stream of 8 sectors.
  std::vector<uint8_t> file = WriteWorkbookStream(Pattern(4095, 1));
  EXPECT_EQ(file.size(), 12u * 512);
  EXPECT_EQ(Le32(file, 60), 3u);
  EXPECT_EQ(Le32(file, 1024 + 116), 2u);     // root: mini stream at sector 2
  EXPECT_EQ(Le32(file, 1024 + 120), 4096u);  // 64 mini sectors
  EXPECT_EQ(testing::StreamOf(file, 1), Pattern(4095, 1));

  // 4096 and 4097 bytes: sectors from 2 upward, no mini stream.
  for (size_t size : {4096u, 4097u}) {
    SCOPED_TRACE(size);
    file = WriteWorkbookStream(Pattern(size, 2));
    const uint32_t sectors = (size + 511) / 512;
    EXPECT_EQ(file.size(), (sectors + 3) * 512u);
    EXPECT_EQ(Le32(file, 60), 0xFFFFFFFEu);
    EXPECT_EQ(Le32(file, 64), 0u);
    EXPECT_EQ(Le32(file, 1024 + 116), 0xFFFFFFFEu);
    EXPECT_EQ(Le32(file, 1024 + 120), 0u);
    EXPECT_EQ(Le32(file, 1152 + 116), 2u);
    for (uint32_t s = 2; s < sectors + 1; ++s) EXPECT_EQ(Le32(file, 512 + 4 * s), s + 1);
    EXPECT_EQ(Le32(file, 512 + 4 * (sectors + 1)), 0xFFFFFFFEu);
    EXPECT_EQ(testing::StreamOf(file, 1), Pattern(size, 2));
  }
}

TEST_F(CompoundFileTest, StreamPastSector127GetsASecondFatSectorAt128) {
  const std::vector<uint8_t> content = Pattern(130 * 512, 5);
  const std::vector<uint8_t> file = WriteWorkbookStream(content);
  EXPECT_EQ(Le32(file, 44), 2u);    // FAT sectors
  EXPECT_EQ(Le32(file, 80), 128u);  // DIFAT entry 1
  EXPECT_EQ(Le32(file, 84), 0xFFFFFFFFu);
  EXPECT_EQ(Le32(file, 512 + 4 * 127), 129u);  // the stream skips sector 128
  const size_t secondFat = 129 * 512;
  EXPECT_EQ(Le32(file, secondFat), 0xFFFFFFFDu);
  EXPECT_EQ(Le32(file, secondFat + 4 * 3), 132u);
  EXPECT_EQ(Le32(file, secondFat + 4 * 4), 0xFFFFFFFEu);
  EXPECT_EQ(testing::StreamOf(file, 1), content);
}

TEST_F(CompoundFileTest, StreamBeyond109FatSectorsListsTheRestInDifatSectors) {
  // 110 FAT sectors cover 14080 sectors; this stream needs the 110th.
  const std::vector<uint8_t> content = Pattern(13900 * 512, 9);
  const std::vector<uint8_t> file = WriteWorkbookStream(content);
  const uint32_t fatSectors = Le32(file, 44);
  EXPECT_EQ(fatSectors, 110u);
  EXPECT_EQ(Le32(file, 72), 1u);  // DIFAT sectors
  const uint32_t difat = Le32(file, 68);
  EXPECT_EQ(difat, 109u * 128 + 1);  // taken right after the FAT sector that needed it
  const size_t difatAt = (size_t{difat} + 1) * 512;
  EXPECT_EQ(Le32(file, difatAt), 109u * 128);  // where FAT sector 109 lives
  EXPECT_EQ(Le32(file, difatAt + 4), 0xFFFFFFFFu);
  EXPECT_EQ(Le32(file, difatAt + 508), 0xFFFFFFFEu);  // the last DIFAT sector
  // FAT sector 109 marks itself and the DIFAT sector.
  const size_t lastFatAt = (109u * 128 + 1) * 512;
  EXPECT_EQ(Le32(file, lastFatAt), 0xFFFFFFFDu);
  EXPECT_EQ(Le32(file, lastFatAt + 4), 0xFFFFFFFCu);
  EXPECT_EQ(testing::StreamOf(file, 1), content);
}

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

TEST_F(CompoundFileTest, DirectoryIsSortedAndHangsFromTheMiddleChild) {
  CompoundFile file;
  file.Create(Path());
  for (const char* name : {"Workbook", "B", "AA", "a", "A", "C"}) file.MakeStream(name);
  const std::vector<DirectoryEntry>& entries = file.Directory();
  std::vector<std::u16string> names;
  for (const DirectoryEntry& e : entries) names.push_back(e.name);
  // Shorter names first, then by code unit, upper case before lower case.
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Root Entry", u"A", u"B", u"C", u"a", u"AA",
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
  ASSERT_TRUE(file.Commit());
  // Seven entries take two directory sectors, the second chained from the first.
  const std::vector<uint8_t> bytes = ReadBytes(Path());
  EXPECT_EQ(Le32(bytes, 512 + 4), 2u);
  EXPECT_EQ(bytes.size(), 4u * 512);
  EXPECT_EQ(Le16(bytes, 1536 + 2 * 128 + 64), 18u);  // "Workbook" in the second sector
}

TEST_F(CompoundFileTest, AnOldFileIsReplacedOnlyByACommit) {
  const std::vector<uint8_t> old = Pattern(9000, 8);
  testing::WriteBytes(Path(), old);
  {
    CompoundFile file;
    file.Create(Path());
    file.MakeStream("Workbook");
    EXPECT_EQ(ReadBytes(Path()), old);
  }  // closed without a commit
  EXPECT_EQ(ReadBytes(Path()), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);

  CompoundFile file;
  file.Create(Path());
  file.MakeStream("Workbook");
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadBytes(Path()).size(), 3u * 512);  // header, FAT, directory: the old bytes are gone
  // Later changes again wait for their commit.
  const std::vector<uint8_t> content = Pattern(5000, 1);
  file.WriteStream("Workbook", content.data(), content.size());
  EXPECT_EQ(ReadBytes(Path()).size(), 3u * 512);
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(testing::StreamOf(ReadBytes(Path()), 1), content);
  file.Close();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
}

TEST_F(CompoundFileTest, ALinkedWorkbookIsWrittenThroughTheLink) {
  const std::filesystem::path real = folder_ / "real.xls";
  testing::WriteBytes(real.string(), Pattern(700, 3));
  std::filesystem::permissions(
      real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  std::filesystem::create_symlink("real.xls", Path());
  CompoundFile file;
  file.Create(Path());
  file.MakeStream("Workbook");
  ASSERT_TRUE(file.Commit());
  file.Close();
  EXPECT_TRUE(std::filesystem::is_symlink(Path()));
  EXPECT_EQ(ReadBytes(real.string()).size(), 3u * 512);
  EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2);
}

TEST_F(CompoundFileTest, AFileThatCannotBeCreatedReportsWriteFailures) {
  CompoundFile file;
  EXPECT_EQ(file.Create((folder_ / "missing" / "book.xls").string()), kCfbOk);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.MakeStream("Workbook"), kCfbWriteFailed);
  EXPECT_FALSE(file.Commit());
}

}  // namespace
}  // namespace romvane
