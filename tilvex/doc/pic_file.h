// The block-picture file (.pic): header, PNT, palette and PGT blocks, and the information
// texts shown for a block picture.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "convert/block_geometry.h"
#include "doc/pic_header.h"
#include "image/picture_buffer.h"

namespace tilvex {
using common::Result;

// Largest PGT block: 16 banks of 8192 bytes.
constexpr uint32_t kMaxPgtSize = kMaxPgtBanks * 8192;
// Pictures larger than this on either side are refused before anything is allocated.
constexpr uint32_t kMaxPicSide = 8192;

std::array<uint8_t, kPicHeaderBytes> EncodePicHeader(const PicHeader& header);
PicHeader DecodePicHeader(const uint8_t* bytes);  // kPicHeaderBytes bytes

// A header as a new picture buffer holds it: "PIC", spaces, palInfo 2, end address 0x2000,
// sectionRows 0 then -1.
PicHeader NewPicHeader();

enum class PicLoadKind {
  kNoPicture,     // too short, or not a PIC file (message says which, may be empty)
  kPlainPicture,  // valid header whose kind is not a block picture: a black picture
  kBlockPicture,  // header and all three blocks
};

struct PicLoad {
  PicLoadKind kind = PicLoadKind::kNoPicture;
  std::string message;  // for the user; empty when nothing is to be shown
  PicHeader header{};
  BlockData blocks;
};

// Parses a whole .pic file already in memory. Every size is checked against the file
// length and against the others before it is used.
PicLoad ParsePicFile(const uint8_t* data, size_t size);

// Reads a .pic file; Result fails only when the file cannot be opened or read.
Result ReadPicFile(const std::string& path, PicLoad& load);

// The .pic bytes of a block picture.
std::vector<uint8_t> EncodePicFile(const PicHeader& header, const BlockData& blocks);

// The .pic bytes of the picture buffer's block picture, for PictureBuffer::Save; nothing
// when the buffer holds no converter.
std::optional<std::vector<uint8_t>> PicFileBytes(const PictureBuffer& buffer);

// Writes the .pic file (replacing an existing one whole).
Result WritePicFile(const std::string& path, const PicHeader& header, const BlockData& blocks);

// The information box texts: long after opening a .pic file, short after a conversion.
std::string LongInfoText(const PicHeader& header);
std::string ShortInfoText(const PicHeader& header);

}  // namespace tilvex
