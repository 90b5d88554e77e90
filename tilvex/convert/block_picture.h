#pragma once

// A block picture: what a conversion makes and a .pic file stores. Its header (the first
// 1120 bytes of every .pic file) says how the picture was converted and how big its blocks
// are; the blocks hold the name table, the palette and the packed tiles.
//
// The header mirrors the file byte for byte on a little-endian machine (natural alignment
// leaves no gaps); the static_asserts below hold it there.

#include <cstddef>
#include <cstdint>

#include "convert/block_geometry.h"

namespace tilvex {

inline constexpr uint8_t kBlockPictureKind = 3;  // the header's kind of a block picture
// A block picture is at most this wide and high.
inline constexpr uint32_t kMaxBlockPictureSide = 8192;
inline constexpr int kSectionRowCount = 256;
inline constexpr int kSectionFillCount = 16;
inline constexpr size_t kPicHeaderBytes = 1120;

struct PicHeader {
  char magic[4] = {'P', 'I', 'C', '\0'};
  char filler[10] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', '\0'};  // never read
  uint8_t palFirst = 0;      // first used entry of the 256-entry palette
  uint8_t palUsed = 0;       // used palette entries, modulo 256
  uint32_t palInfo = 2;      // 2 in every picture this program makes
  uint8_t kind = 0;          // picture kind; kBlockPictureKind for a block picture
  uint8_t colourMode = 0;    // 0 = 16 colours per block, 1 = 4 colours
  uint8_t blockMode = 0;     // 0..3: "8*8", "8*16", "16*8", "16*16"
  uint8_t address = 0;       // shown as "Address"; never set by this program
  uint32_t pntSize = 0;      // bytes of the PNT block = 3 x cells
  uint32_t palSize = 0;      // bytes of the palette block = 512
  uint32_t pgtSize = 0;      // bytes of the PGT block
  uint32_t width = 0;        // pixels, a multiple of the block width
  uint32_t height = 0;       // pixels, a multiple of the block height
  uint8_t compressMode = 0;  // 0 = "Compress", 1 = "No Compress"
  uint8_t outSegment = 0;    // SEGMENT of the File Output dialog
  uint8_t outLevel = 0;      // LEVEL of the File Output dialog
  uint8_t colourSpace = 0;   // 0 4K HSL, 1 4K RGB, 2 64 NES; other values act as 0
  int32_t sectionRows[kSectionRowCount] = {};   // rows where a PGT section begins, -1 unused
  int16_t sectionFill[kSectionFillCount] = {};  // filled PGT bytes per section
  uint16_t beginAddress = 0;
  uint16_t endAddress = 0;
  uint8_t reserved[12] = {};  // never written or read
};

static_assert(sizeof(PicHeader) == kPicHeaderBytes);
static_assert(offsetof(PicHeader, palFirst) == 14);
static_assert(offsetof(PicHeader, palInfo) == 16);
static_assert(offsetof(PicHeader, kind) == 20);
static_assert(offsetof(PicHeader, pntSize) == 24);
static_assert(offsetof(PicHeader, width) == 36);
static_assert(offsetof(PicHeader, compressMode) == 44);
static_assert(offsetof(PicHeader, colourSpace) == 47);
static_assert(offsetof(PicHeader, sectionRows) == 48);
static_assert(offsetof(PicHeader, sectionFill) == 1072);
static_assert(offsetof(PicHeader, beginAddress) == 1104);
static_assert(offsetof(PicHeader, endAddress) == 1106);
static_assert(offsetof(PicHeader, reserved) == 1108);

// The header and the three blocks of one converted picture.
struct BlockPicture {
  PicHeader header{};
  BlockData blocks;
};

}  // namespace tilvex
