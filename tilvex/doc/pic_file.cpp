#include "doc/pic_file.h"

#include <cstdio>
#include <cstring>

#include "common/file_io.h"
#include "common/le_bytes.h"
#include "common/translate.h"
#include "doc/file_writes.h"

namespace tilvex {
using common::GetU16;
using common::GetU32;
using common::PutU16;
using common::PutU32;
using common::ReadFileBytes;
namespace {

constexpr const char* kInvalidPic = "非法的PIC文件!";
// Largest file that can hold a valid block picture: header, PNT of the largest picture,
// palette and PGT.
constexpr size_t kMaxPicFileSize = kPicHeaderBytes + 3ull * (kMaxPicSide / 8) * (kMaxPicSide / 8) +
                                   kPaletteBlockSize + kMaxPgtSize;

const char* const kBlockModeNames[] = {"8*8", "8*16", "16*8", "16*16"};
const char* const kColourModeNames[] = {"16 Color", "4 Color"};
const char* const kCompressModeNames[] = {"Compress", "No Compress"};

template <size_t N>
const char* NameOf(const char* const (&names)[N], unsigned index) {
  return index < N ? names[index] : "";
}

PicLoad Refuse(const std::string& why) {
  PicLoad load;
  load.message = std::string(common::Tr(kInvalidPic)) + "\n" + why;
  return load;
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

}  // namespace

std::array<uint8_t, kPicHeaderBytes> EncodePicHeader(const PicHeader& h) {
  std::array<uint8_t, kPicHeaderBytes> b{};
  std::memcpy(&b[0], h.magic, 4);
  std::memcpy(&b[4], h.filler, 10);
  b[14] = h.palFirst;
  b[15] = h.palUsed;
  PutU32(&b[16], h.palInfo);
  b[20] = h.kind;
  b[21] = h.colourMode;
  b[22] = h.blockMode;
  b[23] = h.address;
  PutU32(&b[24], h.pntSize);
  PutU32(&b[28], h.palSize);
  PutU32(&b[32], h.pgtSize);
  PutU32(&b[36], h.width);
  PutU32(&b[40], h.height);
  b[44] = h.compressMode;
  b[45] = h.outSegment;
  b[46] = h.outLevel;
  b[47] = h.colourSpace;
  for (int i = 0; i < kMaxSectionRows; ++i)
    PutU32(&b[48 + 4 * i], static_cast<uint32_t>(h.sectionRows[i]));
  for (int i = 0; i < kMaxPgtBanks; ++i)
    PutU16(&b[1072 + 2 * i], static_cast<uint16_t>(h.sectionFill[i]));
  PutU16(&b[1104], h.beginAddress);
  PutU16(&b[1106], h.endAddress);
  std::memcpy(&b[1108], h.reserved, 12);
  return b;
}

PicHeader DecodePicHeader(const uint8_t* b) {
  PicHeader h{};
  std::memcpy(h.magic, &b[0], 4);
  std::memcpy(h.filler, &b[4], 10);
  h.palFirst = b[14];
  h.palUsed = b[15];
  h.palInfo = GetU32(&b[16]);
  h.kind = b[20];
  h.colourMode = b[21];
  h.blockMode = b[22];
  h.address = b[23];
  h.pntSize = GetU32(&b[24]);
  h.palSize = GetU32(&b[28]);
  h.pgtSize = GetU32(&b[32]);
  h.width = GetU32(&b[36]);
  h.height = GetU32(&b[40]);
  h.compressMode = b[44];
  h.outSegment = b[45];
  h.outLevel = b[46];
  h.colourSpace = b[47];
  for (int i = 0; i < kMaxSectionRows; ++i)
    h.sectionRows[i] = static_cast<int32_t>(GetU32(&b[48 + 4 * i]));
  for (int i = 0; i < kMaxPgtBanks; ++i)
    h.sectionFill[i] = static_cast<int16_t>(GetU16(&b[1072 + 2 * i]));
  h.beginAddress = GetU16(&b[1104]);
  h.endAddress = GetU16(&b[1106]);
  std::memcpy(h.reserved, &b[1108], 12);
  return h;
}

PicHeader NewPicHeader() {
  PicHeader h{};
  std::memcpy(h.magic, "PIC", 4);
  std::memcpy(h.filler, "         ", 10);
  h.palInfo = 2;
  h.endAddress = 0x2000;
  for (int i = 1; i < kMaxSectionRows; ++i) h.sectionRows[i] = -1;
  return h;
}

PicLoad ParsePicFile(const uint8_t* data, size_t size) {
  PicLoad load;
  if (size < kPicHeaderBytes) return load;  // no picture and no message
  if (std::memcmp(data, "PIC", 3) != 0) {
    load.message = common::Tr(kInvalidPic);
    return load;
  }
  PicHeader h = DecodePicHeader(data);
  if (h.width > kMaxPicSide || h.height > kMaxPicSide) {
    return Refuse(
        common::TrFill("图片尺寸{0}x{1}过大", {std::to_string(h.width), std::to_string(h.height)}));
  }
  load.picture.header = h;
  if (h.kind != kBlockPictureKind) {
    load.kind = PicLoadKind::kPlainPicture;
    return load;
  }

  if (h.colourMode >= kColourModeCount || h.blockMode >= kBlockModeCount) {
    return Refuse(common::Tr("颜色模式或块模式无效"));
  }
  const BlockGeometry g = GeometryOf(h.blockMode);
  if (h.width == 0 || h.height == 0 || h.width % g.width != 0 || h.height % g.height != 0) {
    return Refuse(common::TrFill("图片尺寸{0}x{1}不是块大小的整数倍",
                                 {std::to_string(h.width), std::to_string(h.height)}));
  }
  const uint64_t cells = uint64_t{h.width / g.width} * (h.height / g.height);
  if (h.pntSize != 3 * cells) return Refuse(common::Tr("PNT大小与图片尺寸不符"));
  if (h.palSize != kPaletteBlockSize) return Refuse(common::Tr("调色板大小不是512"));
  if (h.pgtSize > kMaxPgtSize) return Refuse(common::Tr("PGT大小超过16个分区"));
  if (h.sectionRows[0] != 0) return Refuse(common::Tr("分区表无效"));
  int banks = 1;
  for (int k = 1; k < kMaxSectionRows && h.sectionRows[k] != -1; ++k) {
    // Sections follow each other down the picture; a row that goes back is not ours.
    if (h.sectionRows[k] <= h.sectionRows[k - 1]) {
      return Refuse(common::Tr("分区表无效"));
    }
    ++banks;
  }
  if (banks > kMaxPgtBanks) return Refuse(common::Tr("PGT分区超过16个"));
  const uint64_t expected = uint64_t{kPicHeaderBytes} + h.pntSize + h.palSize + h.pgtSize;
  if (expected != size) return Refuse(common::Tr("文件长度与头部记录的大小不符"));

  const uint8_t* at = data + kPicHeaderBytes;
  BlockData& blocks = load.picture.blocks;
  blocks.pnt.assign(at, at + h.pntSize);
  at += h.pntSize;
  blocks.pal.assign(at, at + h.palSize);
  at += h.palSize;
  blocks.pgt.assign(at, at + h.pgtSize);
  load.kind = PicLoadKind::kBlockPicture;
  return load;
}

Result ReadPicFile(const std::string& path, PicLoad& load) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, kMaxPicFileSize + 1, bytes).ok) {
    return Result::Fail(std::string(), "cannot open " + path);
  }
  if (bytes.size() > kMaxPicFileSize) {
    load = Refuse(common::Tr("文件长度与头部记录的大小不符"));
    return Result::Ok();
  }
  load = ParsePicFile(bytes.data(), bytes.size());
  return Result::Ok();
}

std::vector<uint8_t> EncodePicFile(const BlockPicture& picture) {
  const PicHeader& header = picture.header;
  const BlockData& blocks = picture.blocks;
  std::array<uint8_t, kPicHeaderBytes> head = EncodePicHeader(header);
  std::vector<uint8_t> bytes(head.begin(), head.end());
  // The sizes in the header say how much of each block belongs to the file.
  auto append = [&](const std::vector<uint8_t>& block, uint32_t size) {
    size_t n = std::min<size_t>(size, block.size());
    bytes.insert(bytes.end(), block.begin(), block.begin() + static_cast<ptrdiff_t>(n));
    bytes.resize(bytes.size() + (size - n), 0);
  };
  append(blocks.pnt, header.pntSize);
  append(blocks.pal, header.palSize);
  append(blocks.pgt, header.pgtSize);
  return bytes;
}

Result WritePicFile(const std::string& path, const BlockPicture& picture) {
  if (picture.header.kind != kBlockPictureKind) return Result::Ok();  // only block pictures
  return WriteOutputFile(path, EncodePicFile(picture));
}

std::string LongInfoText(const PicHeader& h) {
  const int perBlock = BytesPerBlock(h.colourMode & 1, h.blockMode & 3);
  std::string text;
  text += Format("width:%d\n", static_cast<int>(h.width));
  text += Format("height:%d\n", static_cast<int>(h.height));
  text += Format("compress mode:%s\n", NameOf(kCompressModeNames, h.compressMode));
  text += Format("color mode:%s\n", NameOf(kColourModeNames, h.colourMode));
  text += Format("block mode:%s\n", NameOf(kBlockModeNames, h.blockMode));
  text += Format("block:%d\n", static_cast<int>(h.pgtSize / perBlock));
  text += Format("PGT size:$%X\n", h.pgtSize);
  text += Format("begin address:$%X\n", static_cast<unsigned>(h.beginAddress));
  text += Format("end address:$%X\n", static_cast<unsigned>(h.endAddress));
  if (h.palInfo > 1) {
    text += Format("PAL begin:$%X\n", static_cast<unsigned>(h.palFirst));
    text += Format("color:$%X\n", static_cast<unsigned>(static_cast<int>(h.palUsed) - 15));
  }
  return text;
}

std::string ShortInfoText(const PicHeader& h) {
  const int perBlock = BytesPerBlock(h.colourMode & 1, h.blockMode & 3);
  std::string text;
  text += Format("width:%d\n", static_cast<int>(h.width));
  text += Format("height:%d\n", static_cast<int>(h.height));
  text += Format("Address:%d\n", static_cast<int>(h.address));
  text += Format("compress:%s\n", NameOf(kCompressModeNames, h.compressMode));
  text += Format("color:%s\n", NameOf(kColourModeNames, h.colourMode));
  text += Format("blockmode:%s\n", NameOf(kBlockModeNames, h.blockMode));
  text += Format("block:%d\n", static_cast<int>(h.pgtSize / perBlock));
  text += Format("PGTsize:$%X\n", h.pgtSize);
  return text;
}

}  // namespace tilvex
