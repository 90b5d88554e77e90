#include "image/decoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "common/translate.h"
#include "image/format_decoders.h"
#include "image/magick_decoder.h"

namespace tilvex {
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

using FormatReader = DecodeStatus (*)(std::span<const uint8_t>, Picture&);

// A format read by our own code or a small library from the whole file in memory; what the
// reader leaves unsupported goes to ImageMagick.
class FileDecoder : public PictureDecoder {
 public:
  FileDecoder(PictureFormat format, FormatReader reader) : format_(format), reader_(reader) {}

  Result Decode(const std::string& path, Picture& out) override {
    std::vector<uint8_t> bytes;
    Result read = ReadPictureFile(path, bytes);
    if (!read) return read;
    const std::string name(FormatExtension(format_));
    switch (reader_(bytes, out)) {
      case DecodeStatus::kOk:
        return Result::Ok();
      case DecodeStatus::kUnsupported:
        bytes = std::vector<uint8_t>();
        if (PictureDecoder* general = MagickDecoderFor(format_)) return general->Decode(path, out);
        return Result::Fail({}, path + " uses a " + name + " form this program cannot read");
      case DecodeStatus::kTooLarge:
        return Result::Fail(common::Tr(kPictureTooLargeMessage), path + " is too large a picture");
      case DecodeStatus::kInvalid:
      default:
        return Result::Fail({}, path + " is not a readable " + name + " picture");
    }
  }

 private:
  PictureFormat format_;
  FormatReader reader_;
};

}  // namespace

Result ReadPictureFile(const std::string& path, std::vector<uint8_t>& out) {
  out = std::vector<uint8_t>();
  // Opened without waiting, so that a pipe or a device named as a picture is refused
  // instead of blocking the program.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Result::Fail({}, "cannot open " + path + ": " + std::strerror(errno));
  struct stat info {};
  Result result;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    result = Result::Fail({}, path + " is not a regular file");
  } else if (static_cast<uint64_t>(info.st_size) > kMaxPictureFileBytes) {
    result = Result::Fail({}, path + " is too large");
  } else {
    try {
      out.resize(static_cast<size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
      result = Result::Fail({}, "not enough memory to read " + path);
    }
    // One read for the whole file; a file that shrinks meanwhile keeps what was read.
    size_t done = 0;
    while (result && done < out.size()) {
      const ssize_t got = read(fd, out.data() + done, out.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) result = Result::Fail({}, "cannot read " + path);
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    out.resize(done);
  }
  close(fd);
  if (!result) out = std::vector<uint8_t>();
  return result;
}

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

DecodeStatus SizePicture(Picture& out, int64_t width, int64_t height, uint64_t maxPixels) {
  out = Picture();
  if (width > kMaxPictureSide || height > kMaxPictureSide) return DecodeStatus::kTooLarge;
  if (width < 1 || height < 1) return DecodeStatus::kInvalid;
  const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  if (pixels > maxPixels) return DecodeStatus::kTooLarge;
  try {
    out.pixels.resize(pixels * 3);
  } catch (const std::bad_alloc&) {
    out = Picture();
    return DecodeStatus::kTooLarge;
  }
  out.width = static_cast<int32_t>(width);
  out.height = static_cast<int32_t>(height);
  return DecodeStatus::kOk;
}

PictureDecoder* DecoderFor(PictureFormat format) {
  static FileDecoder bmp(PictureFormat::kBmp, DecodeBmpFile);
  static FileDecoder png(PictureFormat::kPng, DecodePngFile);
  static FileDecoder jpeg(PictureFormat::kJpeg, DecodeJpegFile);
  static FileDecoder gif(PictureFormat::kGif, DecodeGifFile);
  switch (format) {
    case PictureFormat::kBmp:
      return &bmp;
    case PictureFormat::kPng:
      return &png;
    case PictureFormat::kJpeg:
      return &jpeg;
    case PictureFormat::kGif:
      return &gif;
    default:
      return MagickDecoderFor(format);
  }
}

Result DecodePictureFile(const std::string& path, Picture& out) {
  const PictureFormat format = FormatOfPath(path);
  if (format == PictureFormat::kNone) {
    return Result::Fail(common::Tr(kInvalidFileTypeMessage),
                        path + ": not a picture type this program reads");
  }
  PictureDecoder* decoder = DecoderFor(format);
  if (!decoder) {
    return Result::Fail(
        {}, "no decoder for " + std::string(FormatExtension(format)) + " pictures on this system");
  }
  out = Picture();
  Result decoded = decoder->Decode(path, out);
  // The ImageMagick module speaks the design's words; they reach the user translated.
  decoded.message = common::Tr(decoded.message);
  if (decoded && (out.width < 1 || out.height < 1)) {
    decoded = Result::Fail({}, path + " holds an empty picture");
  } else if (decoded && (out.width > kMaxPictureSide || out.height > kMaxPictureSide)) {
    decoded =
        Result::Fail(common::Tr(kPictureTooLargeMessage), path + " is larger than 16384 pixels");
  } else if (decoded && out.pixels.size() != out.RowBytes() * static_cast<size_t>(out.height)) {
    decoded = Result::Fail({}, path + " gave fewer pixels than its size");
  }
  if (!decoded) out = Picture();
  return decoded;
}

}  // namespace tilvex
