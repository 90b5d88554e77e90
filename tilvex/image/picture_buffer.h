#pragma once

// The one picture the program works on: the bitmap block, the block-picture header and the
// conversion engine that belong to it, and the working area.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "doc/pic_header.h"
#include "image/bitmap.h"
#include "image/colour.h"

namespace tilvex {
using common::Result;

// The conversion engine, defined in convert/ as `class TileConverter`. The buffer holds it
// through a shared_ptr so this library needs only the declaration.
class TileConverter;
class PictureBuffer;

inline constexpr int kPictureKindDecoded = -1;
inline constexpr int kPictureKindBlock = 3;

inline constexpr char kNot24BitMessage[] = "请将位图转换为24位色处理!";

// Right and bottom are exclusive.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

enum class PixelAccess {
  kOk,
  kOutside,   // coordinates outside the picture, or no picture: no message
  kNot24Bit,  // the window shows kNot24BitMessage
};

struct PixelRead {
  PixelAccess access = PixelAccess::kOutside;
  Rgb rgb = 0;
  bool ok() const { return access == PixelAccess::kOk; }
};

// Produces the bytes of a .pic file for a block picture; supplied by the document layer.
using PicFileWriter = std::function<std::optional<std::vector<uint8_t>>(const PictureBuffer&)>;

class PictureBuffer {
 public:
  PicHeader header;
  std::shared_ptr<TileConverter> converter;
  int kind = 0;  // picture kind: -1 decoded, 3 block picture, else as given to CreateBlank
  Rect area;     // the working area; the whole picture after each install

  bool HasImage() const { return !image_.empty(); }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  uint32_t Stride() const { return stride_; }
  uint16_t BitCount() const { return bitCount_; }
  bool HasDisplayPalette() const { return displayPalette_; }
  const BitmapBlock& Image() const { return image_; }

  // Pixel access on a 24-bit picture; rows are counted from the top.
  PixelRead GetPixel(int32_t x, int32_t y) const;
  PixelAccess SetPixel(int32_t x, int32_t y, Rgb rgb);

  // The pixel rows (bottom-up, Stride() bytes each) for loops that walk them directly.
  uint8_t* PixelRows();
  const uint8_t* PixelRows() const;

  // A blank 24-bit picture (not installed); sets the picture kind.
  std::optional<BitmapBlock> CreateBlank(int32_t width, int32_t height, int newKind);
  // The New command's picture: installed, with a halftone palette for drawing. 0 x 0 (the
  // size before the New dialog has run) leaves no image and succeeds.
  Result CreateNew(int32_t width, int32_t height);
  // Takes the block as the image, releasing the old one (also when the block is refused,
  // which leaves no image). Refuses blocks whose header or length is not sound.
  bool Install(BitmapBlock block);
  // Releases the image, leaving none.
  void Clear();

  // Decodes a picture file and installs it as a 24-bit picture of kind -1. A file that
  // cannot be decoded leaves the picture and its kind as they were. Messages: an unknown
  // extension gives kInvalidFileTypeMessage, a picture too large kPictureTooLargeMessage;
  // a decoder failure has none (the caller reports the file as unreadable).
  Result LoadDecoded(const std::string& path);

  // The picture as BMP file bytes; fails unless the header is the 40-byte form.
  std::optional<std::vector<uint8_t>> SaveBmp() const;
  // Saves by extension: "bmp" writes a BMP, "pic" the block picture through picWriter
  // (kind 3 only); other extensions and kinds write nothing: the file is created empty when
  // missing and kept as it is otherwise, and a file that cannot be created fails the save.
  // The old file is replaced only once the new one is complete.
  Result Save(const std::string& path, const PicFileWriter& picWriter = nullptr) const;

 private:
  BitmapBlock image_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  uint32_t stride_ = 0;
  uint16_t bitCount_ = 0;
  size_t pixelOffset_ = 0;
  bool displayPalette_ = false;
};

}  // namespace tilvex
