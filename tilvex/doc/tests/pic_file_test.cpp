#include <gtest/gtest.h>

#include <cstring>

#include "common/file_io.h"
#include "doc/pic_file.h"

namespace tilvex {
using common::ReadFileBytes;
namespace {

// A 16 x 8 block picture in "8*8", 16 colours: two cells, one bank.
PicHeader SmallHeaderOnly() {
  PicHeader h = NewPicHeader();
  h.kind = kBlockPictureKind;
  h.width = 16;
  h.height = 8;
  h.pntSize = 6;
  h.palSize = 512;
  h.pgtSize = 8192;
  h.sectionFill[0] = 64;
  return h;
}

BlockPicture Small() {
  BlockPicture picture{SmallHeaderOnly(), {}};
  BlockData& b = picture.blocks;
  b.pnt = {0, 0, 1, 0, 0, 2};
  b.pal.assign(512, 0xFF);
  b.pgt.assign(8192, 0xFF);
  return picture;
}

TEST(PicFile, SavedPictureReopensWithTheSameHeaderAndBlocks) {
  const std::string path = ::testing::TempDir() + "/small.pic";
  ASSERT_TRUE(WritePicFile(path, Small()).ok);
  PicLoad load;
  ASSERT_TRUE(ReadPicFile(path, load).ok);
  ASSERT_EQ(load.kind, PicLoadKind::kBlockPicture);
  EXPECT_EQ(EncodePicFile(load.picture), EncodePicFile(Small()));
  EXPECT_EQ(load.picture.blocks.Attribute(1), 2);

  // Only block pictures are stored.
  BlockPicture plain = Small();
  plain.header.kind = 0xFF;
  const std::string other = ::testing::TempDir() + "/plain.pic";
  EXPECT_TRUE(WritePicFile(other, plain).ok);
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(ReadFileBytes(other, 1 << 20, bytes).ok);

  EXPECT_FALSE(ReadPicFile(::testing::TempDir() + "/missing.pic", load).ok);
  Result failed = WritePicFile("/nonexistent-dir/x.pic", Small());
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.message.find("/nonexistent-dir/x.pic"), std::string::npos);
}

PicLoad ParseWith(void (*change)(PicHeader&, std::vector<uint8_t>&)) {
  PicHeader h = SmallHeaderOnly();
  std::vector<uint8_t> file = EncodePicFile(Small());
  change(h, file);
  auto head = EncodePicHeader(h);
  std::copy(head.begin(), head.end(), file.begin());
  return ParsePicFile(file.data(), file.size());
}

TEST(PicFile, MalformedFilesAreRefusedBeforeAnythingIsAllocated) {
  std::vector<uint8_t> shortFile(1119, 'P');
  PicLoad load = ParsePicFile(shortFile.data(), shortFile.size());
  EXPECT_EQ(load.kind, PicLoadKind::kNoPicture);
  EXPECT_TRUE(load.message.empty());

  load = ParseWith([](PicHeader& h, std::vector<uint8_t>&) { h.magic[2] = 'X'; });
  EXPECT_EQ(load.kind, PicLoadKind::kNoPicture);
  EXPECT_EQ(load.message, "非法的PIC文件!");

  // Another kind opens as a plain picture of the header's size, without blocks.
  load = ParseWith([](PicHeader& h, std::vector<uint8_t>&) { h.kind = 1; });
  EXPECT_EQ(load.kind, PicLoadKind::kPlainPicture);
  EXPECT_TRUE(load.picture.blocks.pgt.empty());

  auto refused = [](void (*change)(PicHeader&, std::vector<uint8_t>&)) {
    PicLoad l = ParseWith(change);
    return l.kind == PicLoadKind::kNoPicture && l.message.rfind("非法的PIC文件!", 0) == 0;
  };
  EXPECT_TRUE(refused([](PicHeader&, std::vector<uint8_t>& f) { f.resize(f.size() - 1); }));
  EXPECT_TRUE(refused([](PicHeader&, std::vector<uint8_t>& f) { f.push_back(0); }));
  EXPECT_TRUE(refused([](PicHeader& h, std::vector<uint8_t>&) { h.pgtSize = 0xFFFFFFFF; }));
  EXPECT_TRUE(refused([](PicHeader& h, std::vector<uint8_t>&) { h.pntSize = 0xFFFFFFFC; }));
  EXPECT_TRUE(refused([](PicHeader& h, std::vector<uint8_t>&) { h.palSize = 514; }));
  EXPECT_TRUE(refused([](PicHeader& h, std::vector<uint8_t>&) { h.width = 24; }));
  EXPECT_TRUE(refused([](PicHeader& h, std::vector<uint8_t>&) { h.width = 0x80000000; }));
  EXPECT_TRUE(refused([](PicHeader& h, std::vector<uint8_t>&) { h.blockMode = 4; }));
  // Sizes that agree with each other: sections down the picture open, sections that go
  // back up are refused.
  load = ParseWith([](PicHeader& h, std::vector<uint8_t>& f) {
    h.height = 64;
    h.pntSize = 3 * 16;
    f.insert(f.begin() + kPicHeaderBytes, 3 * 16 - 6, 0);
    h.sectionRows[1] = 16;
    h.sectionRows[2] = 32;
  });
  EXPECT_EQ(load.kind, PicLoadKind::kBlockPicture);
  EXPECT_TRUE(refused([](PicHeader& h, std::vector<uint8_t>& f) {
    h.height = 64;
    h.pntSize = 3 * 16;
    f.insert(f.begin() + kPicHeaderBytes, 3 * 16 - 6, 0);
    h.sectionRows[1] = 32;
    h.sectionRows[2] = 16;
  }));
}

TEST(InfoText, LongAndShortForms) {
  PicHeader h = SmallHeaderOnly();
  h.blockMode = 2;  // 16*8: 64 bytes per block in 16 colours
  h.palFirst = 0;
  h.palUsed = 3;
  EXPECT_EQ(LongInfoText(h),
            "width:16\nheight:8\ncompress mode:Compress\ncolor mode:16 Color\n"
            "block mode:16*8\nblock:128\nPGT size:$2000\nbegin address:$0\n"
            "end address:$2000\nPAL begin:$0\ncolor:$FFFFFFF4\n");
  h.colourMode = 1;
  h.blockMode = 0;
  h.compressMode = 1;
  h.palInfo = 1;
  EXPECT_EQ(ShortInfoText(h),
            "width:16\nheight:8\nAddress:0\ncompress:No Compress\ncolor:4 Color\n"
            "blockmode:8*8\nblock:512\nPGTsize:$2000\n");
  EXPECT_EQ(LongInfoText(h).find("PAL begin"), std::string::npos);
  // The palette lines follow the unsigned field: any value above 1 shows them.
  h.palInfo = 0x80000000;
  EXPECT_NE(LongInfoText(h).find("PAL begin:$0\ncolor:$FFFFFFF4\n"), std::string::npos);
}

}  // namespace
}  // namespace tilvex
