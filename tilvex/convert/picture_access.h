// How the converter reaches the picture buffer's pixels and the palette slots.
#pragma once

#include <cstdint>
#include <cstring>

#include "image/colour_tables.h"
#include "image/picture_buffer.h"
#include "image/slot_table.h"

namespace tilvex {

using Picture = PictureBuffer;

inline bool ReadPixel(const Picture& picture, int x, int y, Rgb& rgb) {
  PixelRead read = picture.GetPixel(x, y);
  rgb = read.rgb;
  return read.ok();
}

inline bool WritePixel(Picture& picture, int x, int y, Rgb rgb) {
  return picture.SetPixel(x, y, rgb) == PixelAccess::kOk;
}

// Pixel row y (blue, green, red bytes from the left), or null when the row is outside the
// picture or the picture is not 24-bit. For loops that read many pixels of a row.
inline const uint8_t* PixelRow(const Picture& picture, int y) {
  const uint8_t* rows = picture.PixelRows();
  if (!rows || picture.BitCount() != 24 || y < 0 || y >= picture.Height()) return nullptr;
  return rows + size_t{picture.Stride()} * static_cast<size_t>(picture.Height() - 1 - y);
}

inline Rgb RgbAt(const uint8_t* row, int x) {
  const uint8_t* p = row + 3 * x;
  return MakeRgb(p[2], p[1], p[0]);
}

// Every pixel black; the row filler is left alone.
inline void FillBlack(Picture& picture) {
  uint8_t* rows = picture.PixelRows();
  if (!rows || picture.BitCount() != 24) return;
  for (int32_t y = 0; y < picture.Height(); ++y) {
    std::memset(rows + size_t{picture.Stride()} * y, 0, 3 * size_t(picture.Width()));
  }
}

// A blank white 24-bit picture installed in a buffer of its own (kind 3).
inline Picture MakeBlankPicture(int width, int height) {
  Picture picture;
  if (auto block = picture.CreateBlank(width, height, kPictureKindBlock)) {
    picture.Install(std::move(*block));
  }
  return picture;
}

inline int PictureWidth(const Picture& picture) {
  return picture.Width();
}
inline int PictureHeight(const Picture& picture) {
  return picture.Height();
}

inline bool SlotUsed(const SlotTable& t, int p, int s) {
  return t.At(p, s).used != 0;
}
inline Rgb SlotRgb(const SlotTable& t, int p, int s) {
  return t.At(p, s).rgb;
}
inline void SetSlot(SlotTable& t, int p, int s, Rgb rgb) {
  t.At(p, s) = {rgb, 1};
}
inline void ClearSlot(SlotTable& t, int p, int s) {
  t.At(p, s).used = 0;
}

inline ColourCode RgbToCodeIn(const ColourTables& tables, uint8_t space, Rgb rgb) {
  return RgbToCode(ColourSpaceOf(space), tables, rgb);
}
inline Rgb CodeToRgbIn(const ColourTables& tables, uint8_t space, ColourCode code) {
  return CodeToRgb(ColourSpaceOf(space), tables, code);
}

}  // namespace tilvex
