#include "image/picture_buffer.h"

#include <cstring>

#include "common/file_io.h"
#include "image/decoder.h"
#include "image/picture_bmp.h"

namespace tilvex {
using common::CreateFileKeeping;
using common::LowerExtension;
using common::WriteFileReplacing;

PixelRead PictureBuffer::GetPixel(int32_t x, int32_t y) const {
  if (image_.empty()) return {};
  if (bitCount_ != 24) return {PixelAccess::kNot24Bit, 0};
  if (x < 0 || x >= width_ || y < 0 || y >= height_) return {};
  const uint8_t* p = image_.data() + pixelOffset_ + size_t{stride_} * (height_ - 1 - y) + 3 * x;
  return {PixelAccess::kOk, MakeRgb(p[2], p[1], p[0])};
}

PixelAccess PictureBuffer::SetPixel(int32_t x, int32_t y, Rgb rgb) {
  if (image_.empty()) return PixelAccess::kOutside;
  if (bitCount_ != 24) return PixelAccess::kNot24Bit;
  if (x < 0 || x >= width_ || y < 0 || y >= height_) return PixelAccess::kOutside;
  uint8_t* p = image_.data() + pixelOffset_ + size_t{stride_} * (height_ - 1 - y) + 3 * x;
  p[0] = static_cast<uint8_t>(BlueOf(rgb));
  p[1] = static_cast<uint8_t>(GreenOf(rgb));
  p[2] = static_cast<uint8_t>(RedOf(rgb));
  return PixelAccess::kOk;
}

uint8_t* PictureBuffer::PixelRows() {
  return image_.empty() ? nullptr : image_.data() + pixelOffset_;
}
const uint8_t* PictureBuffer::PixelRows() const {
  return image_.empty() ? nullptr : image_.data() + pixelOffset_;
}

std::optional<BitmapBlock> PictureBuffer::CreateBlank(int32_t width, int32_t height, int newKind) {
  kind = newKind;
  return MakeBlankBitmap(width, height);
}

Result PictureBuffer::CreateNew(int32_t width, int32_t height) {
  // Until the New dialog has run, the blank picture is 0 x 0: no image at all.
  if (width == 0 || height == 0) {
    Clear();
    return Result::Ok();
  }
  if (width < 0 || width > kMaxPictureSide || height < 0 || height > kMaxPictureSide) {
    return Result::Fail(kPictureTooLargeMessage, "picture size out of range");
  }
  const size_t rows = RowStride(24, width) * static_cast<size_t>(height);
  BitmapBlock block;
  try {
    // The New command's block carries 4 bytes more than header and rows.
    block.assign(kInfoHeaderBytes + rows + 4, 0);
  } catch (const std::bad_alloc&) {
    return Result::Fail(kPictureTooLargeMessage, "not enough memory for the picture");
  }
  WriteInfoHeader24(block.data(), width, height, 0, 0);
  std::memset(block.data() + kInfoHeaderBytes, 0xFF, rows);
  if (!Install(std::move(block))) return Result::Fail({}, "cannot install the picture");
  displayPalette_ = true;
  return Result::Ok();
}

void PictureBuffer::Clear() {
  image_ = BitmapBlock();
  width_ = height_ = 0;
  stride_ = 0;
  bitCount_ = 0;
  pixelOffset_ = 0;
  displayPalette_ = false;
  area = Rect{};
}

bool PictureBuffer::Install(BitmapBlock block) {
  Clear();
  if (block.empty()) return false;
  std::optional<BitmapInfo> info = ReadBitmapInfo(block);
  // Rows are addressed bottom-up throughout; a top-down block is not taken.
  if (!info || info->height < 0) return false;
  image_ = std::move(block);
  width_ = info->width;
  height_ = info->height;
  bitCount_ = info->bitCount;
  stride_ = info->stride;
  pixelOffset_ = info->pixelOffset;
  area = Rect{0, 0, width_, height_};
  return true;
}

Result PictureBuffer::LoadDecoded(const std::string& path) {
  Picture decoded;
  Result result = DecodePictureFile(path, decoded);
  if (!result) return result;
  std::optional<BitmapBlock> block = BitmapFromPicture(decoded);
  if (!block) return Result::Fail(kPictureTooLargeMessage, "not enough memory for " + path);
  decoded = Picture();
  if (!Install(std::move(*block))) return Result::Fail({}, "cannot install " + path);
  kind = kPictureKindDecoded;
  return Result::Ok();
}

std::optional<std::vector<uint8_t>> PictureBuffer::SaveBmp() const {
  if (image_.empty()) return std::nullopt;
  return BmpFileBytes(image_);
}

Result PictureBuffer::Save(const std::string& path, const PicFileWriter& picWriter) const {
  const std::string ext = LowerExtension(path);
  std::optional<std::vector<uint8_t>> bytes;
  if (ext == "bmp") {
    bytes = SaveBmp();
    if (!bytes) return Result::Fail({}, "only a picture with a 40-byte header is saved as BMP");
  } else if (ext == "pic" && kind == kPictureKindBlock) {
    if (!picWriter) return Result::Fail({}, "no writer for block-picture files was given");
    bytes = picWriter(*this);
    if (!bytes) return Result::Fail({}, "cannot make the block picture file");
  } else {
    // Nothing to write for this kind or extension. The file is still created, so a name that
    // cannot be written fails as any save does; an existing file keeps its contents.
    return CreateFileKeeping(path);
  }
  return WriteFileReplacing(path, *bytes);
}

}  // namespace tilvex
