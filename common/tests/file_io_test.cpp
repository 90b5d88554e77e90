#include "common/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace common {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("file_io_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string In(const std::string& name) const { return (folder_ / name).string(); }
  static std::string Text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {}));
  }

  fs::path folder_;
};

TEST_F(FileIoTest, ALinkIsWrittenThroughToItsFileAndStaysALink) {
  Put(In("real.bin"), "old");
  fs::create_symlink("real.bin", In("out.bin"));
  ASSERT_TRUE(WriteFileReplacing(In("out.bin"), Bytes("new")));
  EXPECT_TRUE(fs::is_symlink(In("out.bin")));
  EXPECT_EQ(Text(In("real.bin")), "new");

  // A link to a file not yet there creates that file.
  fs::create_symlink("later.bin", In("dangling.bin"));
  ASSERT_TRUE(WriteFileReplacing(In("dangling.bin"), Bytes("made")));
  EXPECT_TRUE(fs::is_symlink(In("dangling.bin")));
  EXPECT_EQ(Text(In("later.bin")), "made");
  EXPECT_EQ(FilesInFolder(), 4u);
}

TEST_F(FileIoTest, DevicesTakeTheBytesDirectlyAndFoldersAreRefused) {
  // A null device of our own, so that a fault never replaces the system's /dev/null.
  if (mknod(In("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    ASSERT_TRUE(WriteFileReplacing(In("null"), Bytes("gone")));
    std::vector<FileContents> set = {{In("a.bin"), Bytes("a")}, {In("null"), Bytes("b")}};
    ASSERT_TRUE(WriteFilesTogether(set));
    struct stat st {};
    ASSERT_EQ(lstat(In("null").c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(Text(In("a.bin")), "a");
  }

  fs::create_directory(In("folder"));
  EXPECT_FALSE(WriteFileReplacing(In("folder"), Bytes("x")));
  EXPECT_TRUE(fs::is_directory(In("folder")));

  // A pipe that nobody reads fails at once instead of waiting.
  ASSERT_EQ(mkfifo(In("pipe").c_str(), 0600), 0);
  EXPECT_FALSE(WriteFileReplacing(In("pipe"), Bytes("x")));
}

TEST_F(FileIoTest, AnExistingFileKeepsItsMode) {
  Put(In("secret.bin"), "old");
  fs::permissions(In("secret.bin"), fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(WriteFileReplacing(In("secret.bin"), Bytes("new")));
  EXPECT_EQ(fs::status(In("secret.bin")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  std::vector<FileContents> set = {{In("secret.bin"), Bytes("newer")}};
  ASSERT_TRUE(WriteFilesTogether(set));
  EXPECT_EQ(fs::status(In("secret.bin")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileIoTest, LinksPlantedAtGuessableTemporaryNamesAreNotFollowed) {
  Put(In("victim"), "keep");
  for (const std::string& suffix :
       {std::string(".tmp~"), std::string(".tmp"), ".tmp" + std::to_string(getpid())})
    fs::create_symlink(In("victim"), In("out.bin" + suffix));
  ASSERT_TRUE(WriteFileReplacing(In("out.bin"), Bytes("new")));
  std::vector<FileContents> set = {{In("out.bin"), Bytes("set")}};
  ASSERT_TRUE(WriteFilesTogether(set));
  EXPECT_EQ(Text(In("victim")), "keep");
  EXPECT_EQ(Text(In("out.bin")), "set");
  EXPECT_EQ(FilesInFolder(), 5u);  // nothing left behind
}

TEST_F(FileIoTest, ASetWithAFailingFileReplacesNothing) {
  Put(In("pgt.bin"), "old pgt");
  std::vector<FileContents> set = {{In("pgt.bin"), Bytes("new pgt")},
                                   {In("missing/pnt.asm"), Bytes("new pnt")}};
  EXPECT_FALSE(WriteFilesTogether(set));
  EXPECT_EQ(Text(In("pgt.bin")), "old pgt");

  fs::create_directory(In("pnt.asm"));
  set[1].path = In("pnt.asm");
  EXPECT_FALSE(WriteFilesTogether(set));
  EXPECT_EQ(Text(In("pgt.bin")), "old pgt");

  // One file named twice, once through a link, would leave only one of the two contents.
  fs::create_symlink("pgt.bin", In("alias.bin"));
  set[1].path = In("alias.bin");
  EXPECT_FALSE(WriteFilesTogether(set));
  EXPECT_EQ(Text(In("pgt.bin")), "old pgt");
  EXPECT_EQ(FilesInFolder(), 3u);
}

TEST_F(FileIoTest, OldFilesLeftOverByASetAreGoneOnceRemoved) {
  Put(In("roms.bin"), "old image");
  Put(In("roms.map"), "old map");
  const std::vector<FileContents> set = {{In("roms.bin"), Bytes("new image")},
                                         {In("roms.map"), Bytes("new map")}};
  {
    LeftoverFiles old;
    ASSERT_TRUE(WriteFilesTogether(set, &old));
    EXPECT_EQ(Text(In("roms.bin")), "new image");
    EXPECT_EQ(FilesInFolder(), 4u);  // the old contents wait under second names
    old.Remove();
    EXPECT_EQ(FilesInFolder(), 2u);
    Put(In("roms.map"), "older map");
    ASSERT_TRUE(WriteFilesTogether(set, &old));
  }
  EXPECT_EQ(Text(In("roms.map")), "new map");
  EXPECT_EQ(FilesInFolder(), 2u);  // dropped leftovers are removed too
}

TEST_F(FileIoTest, OnlyRegularFilesAreRead) {
  std::vector<uint8_t> bytes;
  ASSERT_EQ(mkfifo(In("pipe").c_str(), 0600), 0);
  EXPECT_FALSE(ReadFileBytes(In("pipe"), 100, bytes));  // would block forever if opened
  EXPECT_FALSE(ReadFileBytes(folder_.string(), 100, bytes));
  EXPECT_FALSE(ReadFileBytes("/dev/zero", 100, bytes));
  EXPECT_FALSE(CreateFileKeeping(In("pipe")));

  Put(In("real.bin"), "abc");
  fs::create_symlink("real.bin", In("link.bin"));
  ASSERT_TRUE(ReadFileBytes(In("link.bin"), 100, bytes));
  EXPECT_EQ(bytes, Bytes("abc"));
}

TEST_F(FileIoTest, APendingFileChangesItsTargetOnlyWhenCommitted) {
  Put(In("rom.bin"), "old");
  fs::create_symlink("rom.bin", In("link.bin"));
  {
    PendingFile dropped;
    ASSERT_TRUE(dropped.Write(In("link.bin"), Bytes("abandoned")));
  }
  EXPECT_EQ(Text(In("rom.bin")), "old");
  EXPECT_EQ(FilesInFolder(), 2u);

  PendingFile rom;
  ASSERT_TRUE(rom.Write(In("link.bin"), Bytes("image....")));
  ASSERT_TRUE(rom.Patch(5, Bytes("menu")));
  EXPECT_FALSE(rom.Patch(6, Bytes("menu")));  // past the end: the file is dropped
  EXPECT_FALSE(rom.Commit());
  EXPECT_EQ(Text(In("rom.bin")), "old");

  ASSERT_TRUE(rom.Write(In("link.bin"), Bytes("image....")));
  ASSERT_TRUE(rom.Patch(5, Bytes("menu")));
  ASSERT_TRUE(rom.Commit());
  EXPECT_TRUE(fs::is_symlink(In("link.bin")));
  EXPECT_EQ(Text(In("rom.bin")), "imagemenu");
  EXPECT_EQ(FilesInFolder(), 2u);

  fs::create_directory(In("folder"));
  EXPECT_FALSE(rom.Write(In("folder"), Bytes("x")));
}

}  // namespace
}  // namespace common
