// The block-picture file (.pic): header, PNT, palette and PGT blocks, and the information
// texts shown for a block picture.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "convert/block_picture.h"

namespace tilvex {
using common::Result;

// Largest PGT block: 16 banks of 8192 bytes.
constexpr uint32_t kMaxPgtSize = kMaxPgtBanks * 8192;
// Pictures larger than this on either side are refused before anything is allocated; the
// converter makes none larger.
constexpr uint32_t kMaxPicSide = kMaxBlockPictureSide;

std::array<uint8_t, kPicHeaderBytes> EncodePicHeader(const PicHeader& header);
PicHeader DecodePicHeader(const uint8_t* bytes);  // kPicHeaderBytes bytes

// A header as a new document holds it: "PIC", spaces, palInfo 2, end address 0x2000,
// sectionRows 0 then -1.
PicHeader NewPicHeader();

enum class PicLoadKind {
  kNoPicture,     // too short, or not a PIC file (message says which, may be empty)
  kPlainPicture,  // valid header whose kind is not a block picture: a black picture
  kBlockPicture,  // header and all three blocks
};

struct PicLoad {
  PicLoadKind kind = PicLoadKind::kNoPicture;
  std::string message;   // for the user; empty when nothing is to be shown
  BlockPicture picture;  // the header of any picture; the blocks of a block picture
};

// Parses a whole .pic file already in memory. Every size is checked against the file
// length and against the others before it is used.
PicLoad ParsePicFile(const uint8_t* data, size_t size);

// Reads a .pic file; Result fails only when the file cannot be opened or read.
Result ReadPicFile(const std::string& path, PicLoad& load);

// The .pic bytes of a block picture: the header, then each block cut or padded with zeros
// to the size the header gives it.
std::vector<uint8_t> EncodePicFile(const BlockPicture& picture);

// Writes the .pic file of a block picture (replacing an existing one whole); a picture of
// another kind writes nothing.
Result WritePicFile(const std::string& path, const BlockPicture& picture);

// The information box texts: long after opening a .pic file, short after a conversion.
std::string LongInfoText(const PicHeader& header);
std::string ShortInfoText(const PicHeader& header);

}  // namespace tilvex
