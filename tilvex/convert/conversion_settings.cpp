#include "convert/conversion_settings.h"

#include <cstdio>

#include "common/translate.h"
#include "convert/block_picture.h"

namespace tilvex {
namespace {

constexpr int kMaxEndAddress = 0x2000;

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

int RoundUp(int value, int step) {
  return (value + step - 1) / step * step;
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
    return Result::Fail(Format(common::Tr("起始地址必须是$%X的整数倍,转换终止!"), g.codeUnit / 2));
  }
  const WorkArea& a = settings.area;
  if (Result fits = CheckAreaFitsBlocks(a, settings.blockMode); !fits) return fits;
  const long long width = (long long)a.right - a.left;
  const long long height = (long long)a.bottom - a.top;
  if (a.left < 0 || a.top < 0 || a.left >= picture.width || a.top >= picture.height || width <= 0 ||
      height <= 0) {
    return Result::Fail(Format(common::Tr("转换区域(%d,%d,%d,%d)不在图像(%dx%d)之内,转换终止!"),
                               a.left, a.top, a.right, a.bottom, picture.width, picture.height));
  }
  if (width > kMaxBlockPictureSide || height > kMaxBlockPictureSide) {
    return Result::Fail(
        Format(common::Tr("转换区域的宽和高不能超过%u,转换终止!"), kMaxBlockPictureSide));
  }
  return Result::Ok();
}

}  // namespace tilvex
