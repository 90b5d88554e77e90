// Block pictures made from any bytes, for the fuzz targets of the .pic readers and of what
// uses a block picture. Random bytes almost never carry a header whose sizes match the
// file's length; here the header comes from the input where it fits, and the sizes follow
// from the picture's size and the input's length, so mutations reach the code behind the
// reader's checks. A file the converter wrote passes through unchanged.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "convert/block_geometry.h"
#include "doc/pic_file.h"

namespace tilvex {

// Pictures up to this many blocks on a side keep one run short.
constexpr uint32_t kFuzzMaxBlocksPerSide = 16;

inline uint32_t FitSide(uint32_t side, int blockSide) {
  const uint32_t unit = static_cast<uint32_t>(blockSide);
  if (side != 0 && side % unit == 0 && side <= kFuzzMaxBlocksPerSide * unit) return side;
  return (1 + side % kFuzzMaxBlocksPerSide) * unit;
}

// Section rows that go down the picture, one per bank at most, then -1.
inline void FitSectionRows(PicHeader& h) {
  h.sectionRows[0] = 0;
  bool ended = false;
  for (int k = 1; k < kMaxSectionRows; ++k) {
    ended = ended || k >= kMaxPgtBanks || h.sectionRows[k] <= h.sectionRows[k - 1];
    if (ended) h.sectionRows[k] = -1;
  }
}

inline std::vector<uint8_t> FitPicFile(const uint8_t* data, size_t size) {
  std::vector<uint8_t> head(kPicHeaderBytes, 0);
  std::copy_n(data, std::min<size_t>(size, kPicHeaderBytes), head.begin());
  PicHeader h = DecodePicHeader(head.data());
  std::memcpy(h.magic, "PIC", 4);
  h.kind = 3;
  h.colourMode %= kColourModeCount;
  h.blockMode %= kBlockModeCount;
  const BlockGeometry g = GeometryOf(h.blockMode);
  h.width = FitSide(h.width, g.width);
  h.height = FitSide(h.height, g.height);
  h.pntSize = 3 * (h.width / g.width) * (h.height / g.height);
  h.palSize = kPaletteBlockSize;
  const size_t body = size > kPicHeaderBytes ? size - kPicHeaderBytes : 0;
  const size_t fixed = size_t{h.pntSize} + h.palSize;
  h.pgtSize = static_cast<uint32_t>(std::min<size_t>(body > fixed ? body - fixed : 0, kMaxPgtSize));
  FitSectionRows(h);

  BlockPicture picture;
  const uint8_t* at = data + std::min<size_t>(size, kPicHeaderBytes);
  const uint8_t* end = data + size;
  auto take = [&](std::vector<uint8_t>& block, size_t n) {
    const size_t have = std::min<size_t>(n, static_cast<size_t>(end - at));
    block.assign(at, at + have);
    block.resize(n, 0);
    at += have;
  };
  take(picture.blocks.pnt, h.pntSize);
  take(picture.blocks.pal, h.palSize);
  take(picture.blocks.pgt, h.pgtSize);
  picture.header = h;
  return EncodePicFile(picture);
}

// The block picture of FitPicFile, as the reader returns it.
inline PicLoad FitPicture(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> file = FitPicFile(data, size);
  return ParsePicFile(file.data(), file.size());
}

}  // namespace tilvex
