#pragma once

// Picture decoders, one per format id. BMP is read by our own code; the other formats go
// through ImageMagick, started on first use with resource limits that keep a hostile file
// from exhausting memory.

#include <string>
#include <string_view>

#include "common/result.h"
#include "image/bitmap.h"
#include "image/picture.h"

namespace tilvex {
using common::Result;

enum class PictureFormat : int {
  kNone = 0,
  kBmp = 1,
  kCur = 2,
  kIco = 3,
  kPcx = 4,
  kDcx = 5,
  kGif = 6,
  kPng = 7,
  kTga = 8,
  kWmf = 9,
  kEmf = 10,
  kTiff = 11,
  kJpeg = 12,
  kPsd = 13,
};

inline constexpr char kInvalidFileTypeMessage[] = "无效的文件类型";
inline constexpr char kErrorTitle[] = "错误";

// The format of a path by its extension (text after the last ".", at most four characters,
// any case); kNone when it matches no entry of the table.
PictureFormat FormatOfPath(std::string_view path);

// The first extension of a format in the table, upper case ("BMP", "TIFF", "JPEG"); empty
// for kNone.
std::string_view FormatExtension(PictureFormat format);

class PictureDecoder {
 public:
  virtual ~PictureDecoder() = default;
  // Decodes the file into 32-bit bottom-up rows. A failure has an empty message (the
  // program shows none of its own) and a detail for the command line.
  virtual Result Decode(const std::string& path, DecodedPicture& out) = 0;
};

// The decoder for a format, or nullptr when the format has none on this system (EMF).
PictureDecoder* DecoderFor(PictureFormat format);

// Decodes a file by its extension: invalid type gives kInvalidFileTypeMessage.
Result DecodePictureFile(const std::string& path, DecodedPicture& out);
// The same, into a plain picture; a picture that does not fit in memory gives
// kPictureTooLargeMessage.
Result DecodePictureFile(const std::string& path, Picture& out);

}  // namespace tilvex
