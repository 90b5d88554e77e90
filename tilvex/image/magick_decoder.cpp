#include "image/magick_decoder.h"

#include <Magick++.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "image/file_io.h"

namespace tilvex {
namespace {

constexpr size_t kMaxPictureFileBytes = size_t{512} << 20;

// ImageMagick starts on the first picture that needs it, so that a program that only reads
// BMP files never pays for it. The limits keep a hostile file (a tiny file declaring a huge
// picture, a bomb of frames) from exhausting memory or filling the disk: no pixel cache on
// disk at all, and the system's own policy may lower the others further.
void StartMagick() {
  static std::once_flag started;
  std::call_once(started, [] {
    Magick::InitializeMagick(nullptr);
    Magick::ResourceLimits::width(kMaxPictureSide);
    Magick::ResourceLimits::height(kMaxPictureSide);
    Magick::ResourceLimits::memory(MagickCore::MagickSizeType{1} << 30);
    Magick::ResourceLimits::map(MagickCore::MagickSizeType{1} << 30);
    Magick::ResourceLimits::disk(0);
    Magick::ResourceLimits::listLength(64);
    Magick::ResourceLimits::thread(1);
  });
}

class MagickDecoder : public PictureDecoder {
 public:
  explicit MagickDecoder(const char* coder) : coder_(coder) {}

  Result Decode(const std::string& path, DecodedPicture& out) override {
    std::vector<uint8_t> bytes;
    Result read = ReadFileBytes(path, kMaxPictureFileBytes, bytes, true);
    if (!read) return read;
    if (bytes.empty()) return Result::Fail({}, path + " is empty");
    StartMagick();
    try {
      Magick::Image image;
      image.quiet(true);
      // The coder is named, never guessed from the contents, and only the first frame read.
      image.magick(coder_);
      image.subImage(0);
      image.subRange(1);
      try {
        image.read(Magick::Blob(bytes.data(), bytes.size()));
      } catch (const Magick::Warning&) {
        // A damaged but readable picture: keep what was decoded.
      }
      bytes = std::vector<uint8_t>();
      const size_t width = image.columns(), height = image.rows();
      if (width < 1 || height < 1) return Result::Fail({}, path + " holds an empty picture");
      if (width > size_t{kMaxPictureSide} || height > size_t{kMaxPictureSide}) {
        return Result::Fail(kPictureTooLargeMessage, path + " is larger than 16384 pixels");
      }
      // Printing colours (CMYK JPEG, TIFF, PSD) and other spaces become screen colours.
      if (image.colorSpace() != Magick::sRGBColorspace &&
          image.colorSpace() != Magick::GRAYColorspace) {
        image.colorSpace(Magick::sRGBColorspace);
      }
      out.width = static_cast<int32_t>(width);
      out.height = static_cast<int32_t>(height);
      out.pixels.assign(width * height * 4, 0);
      // Rows arrive top-down; the picture keeps them bottom-up.
      for (size_t y = 0; y < height; ++y) {
        uint8_t* row = out.pixels.data() + (height - 1 - y) * width * 4;
        image.write(0, static_cast<ssize_t>(y), width, 1, "BGRA", Magick::CharPixel, row);
      }
      return Result::Ok();
    } catch (const std::bad_alloc&) {
      out = DecodedPicture();
      return Result::Fail(kPictureTooLargeMessage, "not enough memory for " + path);
    } catch (const Magick::ErrorCache& e) {
      // The pixels would not fit in the memory the limits allow.
      out = DecodedPicture();
      return Result::Fail(kPictureTooLargeMessage, path + ": " + e.what());
    } catch (const Magick::ErrorResourceLimit& e) {
      out = DecodedPicture();
      return Result::Fail(kPictureTooLargeMessage, path + ": " + e.what());
    } catch (const std::exception& e) {
      out = DecodedPicture();
      return Result::Fail({}, path + ": " + e.what());
    }
  }

 private:
  const char* coder_;
};

bool CanRead(const char* coder) {
  StartMagick();
  try {
    return Magick::CoderInfo(coder).isReadable();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

PictureDecoder* MagickDecoderFor(PictureFormat format) {
  const char* coder = nullptr;
  switch (format) {
    case PictureFormat::kBmp:
      coder = "BMP";
      break;
    case PictureFormat::kCur:
      coder = "CUR";
      break;
    case PictureFormat::kIco:
      coder = "ICO";
      break;
    case PictureFormat::kPcx:
      coder = "PCX";
      break;
    case PictureFormat::kDcx:
      coder = "DCX";
      break;
    case PictureFormat::kGif:
      coder = "GIF";
      break;
    case PictureFormat::kPng:
      coder = "PNG";
      break;
    case PictureFormat::kTga:
      coder = "TGA";
      break;
    case PictureFormat::kWmf:
      coder = "WMF";
      break;
    case PictureFormat::kTiff:
      coder = "TIFF";
      break;
    case PictureFormat::kJpeg:
      coder = "JPEG";
      break;
    case PictureFormat::kPsd:
      coder = "PSD";
      break;
    case PictureFormat::kEmf:  // no reader on this system
    case PictureFormat::kNone:
    default:
      return nullptr;
  }
  static std::mutex guard;
  static std::vector<std::pair<const char*, std::unique_ptr<MagickDecoder>>> decoders;
  std::lock_guard<std::mutex> lock(guard);
  for (auto& [name, decoder] : decoders) {
    if (std::strcmp(name, coder) == 0) return decoder.get();
  }
  if (!CanRead(coder)) return nullptr;
  decoders.emplace_back(coder, std::make_unique<MagickDecoder>(coder));
  return decoders.back().second.get();
}

}  // namespace tilvex
