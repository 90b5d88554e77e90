// Block geometry of a block picture: block sizes, code units and PGT byte counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/slot_table.h"

namespace tilvex {

constexpr int kBlockModeCount = 4;
constexpr int kColourModeCount = 2;
constexpr int kMaxPgtBanks = 16;
constexpr int kMaxSectionRows = 256;
constexpr int kBankPixels = 16384;  // one PGT bank: 256 tiles of 8 x 8 pixels
constexpr int kPaletteBlockSize = 512;

// Width and height of one block, the pixels one name-table code stands for, by block mode.
struct BlockGeometry {
  int width;
  int height;
  int codeUnit;
};

inline BlockGeometry GeometryOf(int blockMode) {
  static constexpr BlockGeometry kTable[kBlockModeCount] = {
      {8, 8, 64}, {8, 16, 64}, {16, 8, 128}, {16, 16, 128}};
  return kTable[blockMode & 3];
}

// 0 = 16 colours (4 bits per pixel), 1 = 4 colours (2 bits per pixel).
inline int PixelsPerByte(int colourMode) {
  return colourMode == 1 ? 4 : 2;
}
inline int ColoursPerPalette(int colourMode) {
  return colourMode == 1 ? 4 : 16;
}
inline int BankBytes(int colourMode) {
  return kBankPixels / PixelsPerByte(colourMode);
}
inline int BytesPerCodeUnit(int colourMode, int blockMode) {
  return GeometryOf(blockMode).codeUnit / PixelsPerByte(colourMode);
}
inline int BytesPerBlock(int colourMode, int blockMode) {
  BlockGeometry g = GeometryOf(blockMode);
  return g.width * g.height / PixelsPerByte(colourMode);
}

// The three data blocks of a block picture, laid out as in the .pic file.
struct BlockData {
  std::vector<uint8_t> pnt;  // cells x u16 codes, then cells x u8 attributes
  std::vector<uint8_t> pal;  // 256 u16 colour codes, palette-major
  std::vector<uint8_t> pgt;  // packed tile pixels, bank after bank

  size_t Cells() const { return pnt.size() / 3; }
  uint16_t Code(size_t cell) const {
    return static_cast<uint16_t>(pnt[2 * cell] | pnt[2 * cell + 1] << 8);
  }
  uint8_t Attribute(size_t cell) const { return pnt[2 * Cells() + cell]; }
  // The one writer of a cell: its code, low byte first, and its attribute byte.
  void SetCell(size_t cell, uint16_t code, uint8_t attribute) {
    pnt[2 * cell] = static_cast<uint8_t>(code);
    pnt[2 * cell + 1] = static_cast<uint8_t>(code >> 8);
    pnt[2 * Cells() + cell] = attribute;
  }
  uint16_t PaletteEntry(size_t i) const {
    return static_cast<uint16_t>(pal[2 * i] | pal[2 * i + 1] << 8);
  }
};

}  // namespace tilvex
