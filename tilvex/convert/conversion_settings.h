// What a conversion is asked to do: the one settings type the window, the command line and
// the batch fill, and the one rule that decides whether an area fits the block size.
#pragma once

#include <string>

#include "common/result.h"
#include "convert/block_geometry.h"
#include "convert/colour_reduction.h"
#include "convert/palette_gathering.h"
#include "image/colour.h"
#include "image/picture.h"

namespace tilvex {
using common::Result;

inline constexpr char kAreaMismatchMessage[] = "当前区域与块大小不匹配!";
inline constexpr uint16_t kDefaultEndAddress = 0x2000;
inline constexpr char kTooManyBanksMessage[] = "PGT超过16个分区,转换终止!";
// Added to a bank failure: the width and height of the largest area that fits.
inline constexpr char kLargestAreaMessage[] = "可转换的最大区域为{0}x{1}。";

struct ConversionSettings {
  WorkArea area;
  uint8_t colourMode = 0;    // 0 = 16 colours per palette, 1 = 4
  uint8_t blockMode = 0;     // "8*8", "8*16", "16*8", "16*16"
  uint8_t compressMode = 0;  // 0 = "Compress", 1 = "No Compress"
  uint8_t colourSpace = 0;   // 0 4K HSL, 1 4K RGB, 2 64 NES
  uint16_t beginAddress = 0;
  uint16_t endAddress = kDefaultEndAddress;
  Rgb background = 0;
  // Palettes taken instead of the analysed ones; empty: the analysis decides.
  std::string palettesFile;
  // What to do with a picture whose colours the palettes cannot hold: refuse it (the
  // default), or reduce its colours first.
  ReduceOptions reduce;
};

// The whole picture, its size rounded up to whole blocks, so that the last column and row
// of pixels reach the block picture. Pixels past the edge count as black.
WorkArea WholePictureArea(const Picture& picture, int blockMode);

// What the Transformation dialog shows when it opens: the whole picture, 16 colours, 8 x 8
// blocks, compression, the HSL colour space, addresses 0 to $2000, the top-left pixel as
// the background.
ConversionSettings DefaultSettings(const Picture& picture);

// Width and height whole multiples of the block; else kAreaMismatchMessage.
Result CheckAreaFitsBlocks(const WorkArea& area, int blockMode);

// Everything a conversion needs before it starts: addresses, the block fit, an area that
// starts inside the picture and is not absurdly large, and without compression (where
// every block takes a tile of its own, whatever the colours) the bank limits. An area may
// reach past the right and bottom edges; the pixels there count as black.
Result CheckConversion(const Picture& picture, const ConversionSettings& settings);

}  // namespace tilvex
