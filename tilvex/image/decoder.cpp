#include "image/decoder.h"

#include <cctype>
#include <new>
#include <vector>

#include "common/file_io.h"
#include "image/magick_decoder.h"

namespace tilvex {
using common::ReadFileBytes;
namespace {

struct FormatName {
  const char* extension;
  PictureFormat format;
};

// The first extension of each format is its name; TIFF and JPEG have a short second one.
constexpr FormatName kFormatNames[] = {
    {"BMP", PictureFormat::kBmp},   {"CUR", PictureFormat::kCur},   {"ICO", PictureFormat::kIco},
    {"PCX", PictureFormat::kPcx},   {"DCX", PictureFormat::kDcx},   {"GIF", PictureFormat::kGif},
    {"PNG", PictureFormat::kPng},   {"TGA", PictureFormat::kTga},   {"WMF", PictureFormat::kWmf},
    {"EMF", PictureFormat::kEmf},   {"TIFF", PictureFormat::kTiff}, {"TIF", PictureFormat::kTiff},
    {"JPEG", PictureFormat::kJpeg}, {"JPG", PictureFormat::kJpeg},  {"PSD", PictureFormat::kPsd},
};

// Largest picture file handed to a decoder.
constexpr size_t kMaxPictureFileBytes = size_t{512} << 20;

class BmpDecoder : public PictureDecoder {
 public:
  Result Decode(const std::string& path, DecodedPicture& out) override {
    std::vector<uint8_t> bytes;
    Result read = ReadFileBytes(path, kMaxPictureFileBytes, bytes, true);
    if (!read) return read;
    switch (DecodeBmpFile(bytes, out)) {
      case BmpDecodeStatus::kOk:
        return Result::Ok();
      case BmpDecodeStatus::kUnsupported:
        // Run-length and embedded pictures: the general decoder knows them.
        if (PictureDecoder* general = MagickDecoderFor(PictureFormat::kBmp)) {
          return general->Decode(path, out);
        }
        return Result::Fail({}, path + " uses a BMP compression this program cannot read");
      case BmpDecodeStatus::kTooLarge:
        return Result::Fail(kPictureTooLargeMessage, path + " is larger than 16384 pixels");
      case BmpDecodeStatus::kInvalid:
      default:
        return Result::Fail({}, path + " is not a readable BMP picture");
    }
  }
};

}  // namespace

PictureFormat FormatOfPath(std::string_view path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return PictureFormat::kNone;
  const std::string_view ext = path.substr(dot + 1);
  if (ext.size() > 4) return PictureFormat::kNone;
  for (const FormatName& name : kFormatNames) {
    const std::string_view candidate(name.extension);
    if (candidate.size() != ext.size()) continue;
    bool same = true;
    for (size_t i = 0; i < ext.size() && same; ++i) {
      same = std::toupper(static_cast<unsigned char>(ext[i])) == candidate[i];
    }
    if (same) return name.format;
  }
  return PictureFormat::kNone;
}

std::string_view FormatExtension(PictureFormat format) {
  for (const FormatName& name : kFormatNames) {
    if (name.format == format) return name.extension;
  }
  return {};
}

PictureDecoder* DecoderFor(PictureFormat format) {
  static BmpDecoder bmp;
  if (format == PictureFormat::kBmp) return &bmp;
  return MagickDecoderFor(format);
}

Result DecodePictureFile(const std::string& path, DecodedPicture& out) {
  const PictureFormat format = FormatOfPath(path);
  if (format == PictureFormat::kNone) {
    return Result::Fail(kInvalidFileTypeMessage, path + ": not a picture type this program reads");
  }
  PictureDecoder* decoder = DecoderFor(format);
  if (!decoder) {
    return Result::Fail(
        {}, "no decoder for " + std::string(FormatExtension(format)) + " pictures on this system");
  }
  out = DecodedPicture();
  Result decoded = decoder->Decode(path, out);
  if (!decoded) return decoded;
  if (out.width < 1 || out.height < 1) return Result::Fail({}, path + " holds an empty picture");
  if (out.width > kMaxPictureSide || out.height > kMaxPictureSide) {
    return Result::Fail(kPictureTooLargeMessage, path + " is larger than 16384 pixels");
  }
  return Result::Ok();
}

Result DecodePictureFile(const std::string& path, Picture& out) {
  DecodedPicture decoded;
  if (Result r = DecodePictureFile(path, decoded); !r) return r;
  try {
    out.width = decoded.width;
    out.height = decoded.height;
    out.pixels.resize(size_t(decoded.width) * size_t(decoded.height) * 3);
  } catch (const std::bad_alloc&) {
    out = Picture();
    return Result::Fail(kPictureTooLargeMessage, "not enough memory for " + path);
  }
  for (int32_t y = 0; y < out.height; ++y) {
    const uint8_t* in =
        decoded.pixels.data() + size_t(4) * size_t(out.width) * size_t(out.height - 1 - y);
    uint8_t* row = out.Row(y);
    for (int32_t x = 0; x < out.width; ++x, in += 4, row += 3) {
      row[0] = in[2];
      row[1] = in[1];
      row[2] = in[0];
    }
  }
  return Result::Ok();
}

}  // namespace tilvex
