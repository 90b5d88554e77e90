#pragma once

// Picture decoders, one per format id. BMP is read by our own code, PNG, JPEG and GIF by
// small libraries of their own; the other formats go through ImageMagick, loaded on first
// use with resource limits that keep a hostile file from exhausting memory.

#include <string>
#include <string_view>
#include <vector>

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

// Largest picture file handed to a decoder.
inline constexpr size_t kMaxPictureFileBytes = size_t{512} << 20;

// Reads a whole picture file: a regular file of at most kMaxPictureFileBytes, read into a
// buffer of its exact size.
Result ReadPictureFile(const std::string& path, std::vector<uint8_t>& out);

// The format of a path by its extension (text after the last ".", at most four characters,
// any case); kNone when it matches no entry of the table.
PictureFormat FormatOfPath(std::string_view path);

// The first extension of a format in the table, upper case ("BMP", "TIFF", "JPEG"); empty
// for kNone.
std::string_view FormatExtension(PictureFormat format);

class PictureDecoder {
 public:
  virtual ~PictureDecoder() = default;
  // Decodes the file into the picture. A failure has an empty message (the program shows
  // none of its own) unless the picture is too large, and a detail for the command line.
  virtual Result Decode(const std::string& path, Picture& out) = 0;
};

// The decoder for a format, or nullptr when the format has none on this system (EMF).
PictureDecoder* DecoderFor(PictureFormat format);

// Decodes a file by its extension into `out`: invalid type gives kInvalidFileTypeMessage, a
// picture past the size limits kPictureTooLargeMessage. `out` is empty after a failure.
Result DecodePictureFile(const std::string& path, Picture& out);

}  // namespace tilvex
