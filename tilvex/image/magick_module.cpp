// The ImageMagick decoder module. It is loaded at run time, on the first picture that is not
// a plain BMP, so a program that only reads BMP files never loads ImageMagick at all.

#include <Magick++.h>

#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

#include "common/result.h"
#include "image/bitmap.h"
#include "image/magick_module.h"
#include "image/picture.h"

namespace tilvex {
using common::Result;
namespace {

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

// Decodes the file's bytes with the named coder. Details say what went wrong without the
// file's name, which the caller puts in front.
Result Decode(const char* coder, const uint8_t* data, size_t size, Picture& out) {
  StartMagick();
  try {
    Magick::Image image;
    image.quiet(true);
    // The coder is named, never guessed from the contents, and only the first frame read.
    image.magick(coder);
    image.subImage(0);
    image.subRange(1);
    try {
      image.read(Magick::Blob(data, size));
    } catch (const Magick::Warning&) {
      // A damaged but readable picture: keep what was decoded.
    }
    const size_t width = image.columns(), height = image.rows();
    if (width < 1 || height < 1) return Result::Fail({}, "the picture is empty");
    if (width > size_t{kMaxPictureSide} || height > size_t{kMaxPictureSide}) {
      return Result::Fail(kPictureTooLargeMessage, "larger than 16384 pixels");
    }
    // Printing colours (CMYK JPEG, TIFF, PSD) and other spaces become screen colours.
    if (image.colorSpace() != Magick::sRGBColorspace &&
        image.colorSpace() != Magick::GRAYColorspace) {
      image.colorSpace(Magick::sRGBColorspace);
    }
    // Transparent and half-transparent pixels show what lies behind them, as PNG's do.
    if (image.matte()) {
      Magick::Image behind(Magick::Geometry(width, height), Magick::ColorRGB(1.0, 1.0, 1.0));
      behind.composite(image, 0, 0, Magick::OverCompositeOp);
      image = behind;
    }
    out.width = static_cast<int32_t>(width);
    out.height = static_cast<int32_t>(height);
    out.pixels.resize(width * height * 3);
    image.write(0, 0, width, height, "RGB", Magick::CharPixel, out.pixels.data());
    return Result::Ok();
  } catch (const std::bad_alloc&) {
    out = Picture();
    return Result::Fail(kPictureTooLargeMessage, "not enough memory");
  } catch (const Magick::ErrorCache& e) {
    // The pixels would not fit in the memory the limits allow.
    out = Picture();
    return Result::Fail(kPictureTooLargeMessage, e.what());
  } catch (const Magick::ErrorResourceLimit& e) {
    out = Picture();
    return Result::Fail(kPictureTooLargeMessage, e.what());
  } catch (const std::exception& e) {
    out = Picture();
    // The side limits set at start-up are reported as an image error ("width or height
    // exceeds limit") by the pixel cache, before any pixel is made.
    if (std::strstr(e.what(), "exceeds limit")) {
      return Result::Fail(kPictureTooLargeMessage, e.what());
    }
    return Result::Fail({}, e.what());
  }
}

bool CanRead(const char* coder) {
  StartMagick();
  try {
    return Magick::CoderInfo(coder).isReadable();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace
}  // namespace tilvex

extern "C" __attribute__((visibility("default"))) bool TilvexMagickCanRead(const char* coder) {
  return tilvex::CanRead(coder);
}

extern "C" __attribute__((visibility("default"))) void TilvexMagickDecode(const char* coder,
                                                                          const uint8_t* data,
                                                                          size_t size,
                                                                          tilvex::Picture* out,
                                                                          common::Result* result) {
  *result = tilvex::Decode(coder, data, size, *out);
}
