#include "convert/conversion_settings.h"

#include <algorithm>
#include <string>

#include "common/hex.h"
#include "common/translate.h"
#include "convert/block_picture.h"

namespace tilvex {
namespace {

constexpr int kMaxEndAddress = 0x2000;

int RoundUp(int value, int step) {
  return (value + step - 1) / step * step;
}

std::string Text(long long value) {
  return std::to_string(value);
}

// Without compression a block row takes the same bank space whatever its colours: the bank
// sizing of the tile passes, worked out from the area's size alone.
Result CheckUncompressedBanks(const ConversionSettings& s) {
  const BlockGeometry g = GeometryOf(s.blockMode);
  const long long blockPixels = g.width * g.height;
  const long long limit = 2ll * s.endAddress, start = 2ll * s.beginAddress;
  const long long columns = (s.area.right - s.area.left) / g.width;
  const long long rowPixels = columns * blockPixels;
  const int rows = (s.area.bottom - s.area.top) / g.height;
  long long size = start;
  int banks = 1, row = 0;
  bool bankEmpty = true;
  while (row < rows) {
    if (size + rowPixels <= limit) {
      size += rowPixels, bankEmpty = false, ++row;
      continue;
    }
    if (bankEmpty || banks == kMaxPgtBanks) break;
    size = 0, bankEmpty = true, ++banks;
  }
  if (row == rows) return Result::Ok();
  // The largest area: as many blocks as the first bank holds in a row, then the rows the
  // 16 banks hold at that width.
  const long long fitColumns = std::min(columns, (limit - start) / blockPixels);
  long long fitRows = 0;
  if (fitColumns > 0) {
    const long long fitRowPixels = fitColumns * blockPixels;
    fitRows = (limit - start) / fitRowPixels + (kMaxPgtBanks - 1) * (limit / fitRowPixels);
  }
  const std::string firstRow = Text(s.area.top + g.height * row);
  std::string message =
      bankEmpty ? common::TrFill("第{0}行的块超过一个PGT分区的容量,转换终止!", {firstRow})
                : std::string(common::Tr(kTooManyBanksMessage));
  if (fitRows > 0) {
    const long long fitHeight = std::min<long long>(rows, fitRows) * g.height;
    message += common::TrFill(kLargestAreaMessage, {Text(fitColumns * g.width), Text(fitHeight)});
  }
  return Result::Fail(message);
}

}  // namespace

WorkArea WholePictureArea(const Picture& picture, int blockMode) {
  const BlockGeometry g = GeometryOf(blockMode);
  return {0, 0, RoundUp(picture.width, g.width), RoundUp(picture.height, g.height)};
}

ConversionSettings DefaultSettings(const Picture& picture) {
  ConversionSettings settings;
  settings.area = WholePictureArea(picture, settings.blockMode);
  if (!picture.Empty()) settings.background = picture.At(0, 0);
  return settings;
}

Result CheckAreaFitsBlocks(const WorkArea& area, int blockMode) {
  const BlockGeometry g = GeometryOf(blockMode);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width % g.width != 0 || height % g.height != 0)
    return Result::Fail(common::Tr(kAreaMismatchMessage));
  return Result::Ok();
}

Result CheckConversion(const Picture& picture, const ConversionSettings& settings) {
  if (settings.endAddress > kMaxEndAddress) {
    return Result::Fail(common::Tr("结束地址不能超过$2000,转换终止!"));
  }
  if (settings.beginAddress >= settings.endAddress) {
    return Result::Fail(common::Tr("起始地址必须小于结束地址,转换终止!"));
  }
  const BlockGeometry g = GeometryOf(settings.blockMode);
  // Name-table codes count code units from the bank start, so the first tile must start on one.
  if (2 * settings.beginAddress % g.codeUnit != 0) {
    return Result::Fail(common::TrFill("起始地址必须是${0}的整数倍,转换终止!",
                                       {common::HexText(uint32_t(g.codeUnit / 2))}));
  }
  const WorkArea& a = settings.area;
  if (Result fits = CheckAreaFitsBlocks(a, settings.blockMode); !fits) return fits;
  const long long width = (long long)a.right - a.left;
  const long long height = (long long)a.bottom - a.top;
  if (a.left < 0 || a.top < 0 || a.left >= picture.width || a.top >= picture.height || width <= 0 ||
      height <= 0) {
    return Result::Fail(common::TrFill("转换区域({0},{1},{2},{3})不在图像({4}x{5})之内,转换终止!",
                                       {Text(a.left), Text(a.top), Text(a.right), Text(a.bottom),
                                        Text(picture.width), Text(picture.height)}));
  }
  if (width > kMaxBlockPictureSide || height > kMaxBlockPictureSide) {
    return Result::Fail(
        common::TrFill("转换区域的宽和高不能超过{0},转换终止!", {Text(kMaxBlockPictureSide)}));
  }
  if (settings.compressMode == 1) return CheckUncompressedBanks(settings);
  return Result::Ok();
}

}  // namespace tilvex
