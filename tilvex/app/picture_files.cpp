#include "app/picture_files.h"

#include <new>

#include "common/file_io.h"
#include "common/translate.h"
#include "image/bitmap.h"
#include "image/colour_list.h"
#include "image/picture_bmp.h"
#include "image/picture_png.h"

namespace tilvex {

SaveFormat SaveFormatOf(const std::string& path, bool blockPicture) {
  const std::string ext = common::LowerExtension(path);
  if (ext == "bmp") return SaveFormat::kBmp;
  if (ext == "png") return SaveFormat::kPng;
  if (ext == "pic" && blockPicture) return SaveFormat::kPic;
  return SaveFormat::kNone;
}

Result CannotSaveAs(const std::string& path, bool blockPicture) {
  std::string ext = common::LowerExtension(path);
  if (ext == "pic" && !blockPicture) {
    return Result::Fail(common::Tr("只有转换后的图片才能保存为 PIC 文件。"),
                        "only a converted picture is saved as .pic");
  }
  if (ext.empty()) ext = "?";
  return Result::Fail(
      common::TrFill("不能保存为 {0} 文件。请用“另存为”选择 BMP、PNG 或 PIC。", {ext}),
      "no writer for ." + ext + " files");
}

Result NewBlankPicture(int32_t width, int32_t height, Picture& out) {
  if (width <= 0 || width > kMaxPictureSide || height <= 0 || height > kMaxPictureSide) {
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
  out = std::move(picture);
  return Result::Ok();
}

Result WriteDocumentFile(const DocumentState& state, const std::string& path) {
  const bool block = state.kind == kBlockPictureKind;
  switch (SaveFormatOf(path, block)) {
    case SaveFormat::kPic:
      return WritePicFile(path, state.block);
    case SaveFormat::kBmp:
    case SaveFormat::kPng: {
      const std::vector<uint8_t> bytes = SaveFormatOf(path, block) == SaveFormat::kBmp
                                             ? BmpFileBytes(state.picture)
                                             : PngFileBytes(state.picture);
      if (bytes.empty()) {
        return Result::Fail(common::Tr("没有可保存的图片。"), "there is no picture to save");
      }
      return common::WriteFileReplacing(path, bytes);
    }
    case SaveFormat::kNone:
      break;
  }
  return CannotSaveAs(path, block);
}

std::string SizeInfoText(int width, int height) {
  return "width:" + std::to_string(width) + "\nheight:" + std::to_string(height) + "\n";
}

void CollectAreaColours(DocumentState& state) {
  const WorkArea& a = state.area;
  CollectColours(state.picture, a.left, a.top, a.right - a.left, a.bottom - a.top, state.colours);
}

}  // namespace tilvex
