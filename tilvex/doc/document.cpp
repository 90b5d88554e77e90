#include "doc/document.h"

#include <new>

#include "common/file_io.h"
#include "common/translate.h"
#include "image/bitmap.h"
#include "image/decoder.h"
#include "image/picture_bmp.h"

namespace tilvex {

Result NewPicture(Document& document, int32_t width, int32_t height) {
  // Until the New dialog has run, the blank picture is 0 x 0: no picture at all.
  if (width == 0 || height == 0) {
    document.picture = Picture();
    document.area = WorkArea{};
    return Result::Ok();
  }
  if (width < 0 || width > kMaxPictureSide || height < 0 || height > kMaxPictureSide) {
    return Result::Fail(common::Tr(kPictureTooLargeMessage), "picture size out of range");
  }
  Picture picture;
  picture.width = width;
  picture.height = height;
  try {
    picture.pixels.assign(picture.RowBytes() * size_t(height), 0xFF);
  } catch (const std::bad_alloc&) {
    return Result::Fail(common::Tr(kPictureTooLargeMessage), "not enough memory for the picture");
  }
  document.picture = std::move(picture);
  document.area = WorkArea{0, 0, width, height};
  return Result::Ok();
}

Result OpenPicture(Document& document, const std::string& path) {
  Picture picture;
  if (Result decoded = DecodePictureFile(path, picture); !decoded) return decoded;
  document.picture = std::move(picture);
  document.kind = kPictureKindDecoded;
  document.area = WorkArea{0, 0, document.picture.width, document.picture.height};
  return Result::Ok();
}

void TakeConversion(Document& document, Conversion conversion) {
  if (!conversion.status.ok) return;
  document.block = std::move(conversion.picture);
  document.slots = conversion.slots;
  document.kind = kBlockPictureKind;
}

Result SaveDocument(const Document& document, const std::string& path) {
  const std::string ext = common::LowerExtension(path);
  if (ext == "bmp") {
    const std::vector<uint8_t> bytes = BmpFileBytes(document.picture);
    if (bytes.empty()) return Result::Fail({}, "there is no picture to save as BMP");
    return common::WriteFileReplacing(path, bytes);
  }
  if (ext == "pic" && document.kind == kBlockPictureKind) {
    return WritePicFile(path, document.block);
  }
  // Nothing to write for this kind or extension. The file is still created, so a name that
  // cannot be written fails as any save does; an existing file keeps its contents.
  return common::CreateFileKeeping(path);
}

}  // namespace tilvex
