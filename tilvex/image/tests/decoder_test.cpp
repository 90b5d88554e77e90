#include "image/decoder.h"

#include <Magick++.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/picture.h"
#include "test_files.h"

namespace tilvex {
namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;

// A picture of 80 colours in 4 x 4 blocks: few enough colours for GIF, smooth enough that
// JPEG stays close.
Rgb SourcePixel(int x, int y) {
  return MakeRgb(x / 4 * 25, y / 4 * 30, 128);
}

void WriteSource(const std::string& path, const std::string& coder) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const Rgb c = SourcePixel(x, y);
      rgb.insert(rgb.end(), {static_cast<uint8_t>(RedOf(c)), static_cast<uint8_t>(GreenOf(c)),
                             static_cast<uint8_t>(BlueOf(c))});
    }
  }
  Magick::Image image(kWidth, kHeight, "RGB", Magick::CharPixel, rgb.data());
  image.magick(coder);
  if (coder == "JPEG") image.quality(100);
  image.write(path);
}

TEST(PictureFormats, ExtensionsAreMatchedWithoutRegardToCase) {
  EXPECT_EQ(FormatOfPath("photo.Jpg"), PictureFormat::kJpeg);
  EXPECT_EQ(FormatOfPath("dir.v2/photo.jpeg"), PictureFormat::kJpeg);
  EXPECT_EQ(FormatOfPath("photo.jpeg2"), PictureFormat::kNone);
  EXPECT_EQ(FormatOfPath("scan.tif"), PictureFormat::kTiff);
  EXPECT_EQ(FormatOfPath("scan.TIFF"), PictureFormat::kTiff);
  EXPECT_EQ(FormatOfPath("a.bmp.psd"), PictureFormat::kPsd);
  EXPECT_EQ(FormatOfPath("noextension"), PictureFormat::kNone);
  EXPECT_EQ(FormatOfPath("trailing."), PictureFormat::kNone);
  EXPECT_EQ(FormatExtension(PictureFormat::kJpeg), "JPEG");
}

TEST(PictureFormats, WindowsMetafilesAreDrawnIntoPixels) {
  // A placeable metafile: a red rectangle over the whole 32 x 20 window.
  Picture picture;
  const Result loaded = DecodePictureFile(TILVEX_IMAGE_TEST_DATA "/red.wmf", picture);
  ASSERT_TRUE(loaded) << loaded.Text();
  ASSERT_GT(picture.width, 2);
  ASSERT_GT(picture.height, 2);
  const Rgb centre = picture.At(picture.width / 2, picture.height / 2);
  EXPECT_GT(RedOf(centre), 200u);
  EXPECT_LT(GreenOf(centre), 60u);
  EXPECT_LT(BlueOf(centre), 60u);
}

TEST(PictureFormats, PrintingColoursBecomeScreenColours) {
  const std::string dir = test::TempFolder("cmyk");
  for (const char* coder : {"JPEG", "TIFF"}) {
    Magick::Image cmyk(Magick::Geometry(8, 8), Magick::Color("red"));
    cmyk.colorSpace(Magick::CMYKColorspace);
    cmyk.magick(coder);
    const std::string path = dir + "/cmyk." + coder;
    cmyk.write(path);
    Picture picture;
    ASSERT_TRUE(DecodePictureFile(path, picture)) << coder;
    const Rgb rgb = picture.At(4, 4);
    EXPECT_GT(RedOf(rgb), 230u) << coder;
    EXPECT_LT(GreenOf(rgb), 25u) << coder;
    EXPECT_LT(BlueOf(rgb), 25u) << coder;
  }
}

struct WritableFormat {
  const char* coder;
  const char* extension;
  int tolerance;  // largest channel difference allowed
};

constexpr WritableFormat kWritable[] = {
    {"BMP", "bmp", 0},  {"CUR", "cur", 0},   {"ICO", "ico", 0}, {"PCX", "pcx", 0},
    {"DCX", "dcx", 0},  {"GIF", "gif", 0},   {"PNG", "png", 0}, {"TGA", "tga", 0},
    {"TIFF", "tif", 0}, {"JPEG", "Jpg", 12}, {"PSD", "psd", 0},
};

TEST(PictureFormats, EveryWritableFormatDecodesToTheSamePixels) {
  const std::string dir = test::TempFolder("formats");
  for (const WritableFormat& format : kWritable) {
    SCOPED_TRACE(format.coder);
    const std::string path = dir + "/source." + format.extension;
    WriteSource(path, format.coder);
    Picture picture;
    const Result loaded = DecodePictureFile(path, picture);
    ASSERT_TRUE(loaded) << loaded.Text();
    ASSERT_EQ(picture.width, kWidth);
    ASSERT_EQ(picture.height, kHeight);
    int worst = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const Rgb got = picture.At(x, y), want = SourcePixel(x, y);
        for (int shift : {0, 8, 16}) {
          worst = std::max(worst, std::abs(static_cast<int>(got >> shift & 0xFF) -
                                           static_cast<int>(want >> shift & 0xFF)));
        }
      }
    }
    EXPECT_LE(worst, format.tolerance);
  }
}

TEST(PictureFormats, TruncatedAndCorruptFilesOfEveryFormatFailCleanly) {
  const std::string dir = test::TempFolder("damaged");
  for (const WritableFormat& format : kWritable) {
    SCOPED_TRACE(format.coder);
    const std::string source = dir + "/source." + format.extension;
    WriteSource(source, format.coder);
    const std::vector<uint8_t> bytes = test::ReadBytes(source);
    const std::string damaged = dir + "/damaged." + format.extension;
    Picture picture;

    test::WriteBytes(damaged, {});
    EXPECT_FALSE(DecodePictureFile(damaged, picture));

    test::WriteBytes(damaged, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8));
    EXPECT_FALSE(DecodePictureFile(damaged, picture));

    // Half a file or scrambled bytes may still give a picture from what is readable, but
    // never a crash or a picture of impossible size.
    test::WriteBytes(damaged,
                     std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    if (DecodePictureFile(damaged, picture)) {
      EXPECT_EQ(picture.width, kWidth);
    }
    std::vector<uint8_t> scrambled = bytes;
    for (size_t i = 0; i < scrambled.size(); i += 7) scrambled[i] ^= 0x5A;
    test::WriteBytes(damaged, scrambled);
    if (DecodePictureFile(damaged, picture)) {
      EXPECT_GE(picture.width, 1);
      EXPECT_LE(picture.width, kMaxPictureSide);
    }
  }
}

// Sizes past the limits and PNG files of no width are command-line cases; the general
// decoder's message for an empty TGA comes from ImageMagick, so it is checked here.
TEST(PictureFormats, AnEmptyPictureFromTheGeneralDecoderFails) {
  const std::string dir = test::TempFolder("zero");
  std::vector<uint8_t> tga(18 + 15, 0);
  tga[2] = 2;    // uncompressed true colour
  tga[14] = 5;   // height 5, width 0
  tga[16] = 24;  // bits per pixel
  test::WriteBytes(dir + "/zero.tga", tga);
  Picture picture;
  EXPECT_FALSE(DecodePictureFile(dir + "/zero.tga", picture));
  EXPECT_TRUE(picture.Empty());
}

// A picture with smooth areas, edges and noise in 16-bit channels, so that every decoder
// path (filters, chroma, rounding of 16-bit samples) has something to get wrong.
Magick::Image RichSource() {
  constexpr int w = 37, h = 29;
  std::vector<uint16_t> rgb;
  uint32_t noise = 12345;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      noise = noise * 1103515245 + 12345;
      const uint16_t n = static_cast<uint16_t>(noise >> 16);
      rgb.insert(rgb.end(), {static_cast<uint16_t>(x * 1771 + (n & 0x3FF)),
                             static_cast<uint16_t>(x < w / 2 ? y * 2259 : 65535 - y * 97),
                             static_cast<uint16_t>((x + y) % 5 == 0 ? n : 20000)});
    }
  }
  return Magick::Image(w, h, "RGB", Magick::ShortPixel, rgb.data());
}

struct Variant {
  const char* name;        // file name, its extension choosing our reader
  const char* coder;       // what ImageMagick writes
  Magick::ImageType type;  // UndefinedType keeps the colours
  bool interlaced;
};

constexpr Variant kVariants[] = {
    {"rgb.png", "PNG24", Magick::UndefinedType, false},
    {"rgba.png", "PNG32", Magick::TrueColorMatteType, false},
    {"deep.png", "PNG48", Magick::UndefinedType, false},
    {"deepa.png", "PNG64", Magick::TrueColorMatteType, false},
    {"palette.png", "PNG8", Magick::UndefinedType, false},
    {"adam7.png", "PNG24", Magick::UndefinedType, true},
    {"grey.png", "PNG", Magick::GrayscaleType, false},
    {"bilevel.png", "PNG", Magick::BilevelType, false},
    {"colour.jpg", "JPEG", Magick::UndefinedType, false},
    {"progressive.jpeg", "JPEG", Magick::UndefinedType, true},
    {"grey.jpg", "JPEG", Magick::GrayscaleType, false},
    {"palette.gif", "GIF", Magick::UndefinedType, false},
    {"interlaced.gif", "GIF", Magick::UndefinedType, true},
};

// Transparent pixels become white, half-transparent edges half white, opaque ones keep their
// colour, in every reader: PNG (8 and 16 bits, alpha channel or a transparent palette entry)
// and the formats ImageMagick reads for us.
TEST(PictureFormats, TransparentPixelsShowWhiteBehindThem) {
  const std::string dir = test::TempFolder("alpha");
  const uint8_t rgba[] = {200, 0, 0, 255, 200, 0, 0, 0, 200, 0, 0, 128, 0, 0, 0, 0};
  for (const char* name : {"PNG32:alpha.png", "PNG64:deep.png", "PNG8:palette.png",
                           "TIFF:alpha.tif", "TGA:alpha.tga"}) {
    SCOPED_TRACE(name);
    Magick::Image image(4, 1, "RGBA", Magick::CharPixel, rgba);
    const std::string spec = name, path = dir + "/" + spec.substr(spec.find(':') + 1);
    image.write(spec.substr(0, spec.find(':') + 1) + path);
    Picture got;
    ASSERT_TRUE(DecodePictureFile(path, got).ok);
    ASSERT_EQ(got.width, 4);
    EXPECT_EQ(got.At(0, 0), MakeRgb(200, 0, 0));
    EXPECT_EQ(got.At(1, 0), MakeRgb(255, 255, 255));
    EXPECT_EQ(got.At(3, 0), MakeRgb(255, 255, 255));
    if (spec.rfind("PNG8", 0) == 0) continue;  // a palette entry is either see-through or not
    EXPECT_NEAR(int(GreenOf(got.At(2, 0))), 127, 2);
    EXPECT_NEAR(int(RedOf(got.At(2, 0))), 228, 2);
  }
}

TEST(PictureFormats, CommonFormatsDecodeExactlyAsImageMagickDoes) {
  const std::string dir = test::TempFolder("exact");
  for (const Variant& variant : kVariants) {
    SCOPED_TRACE(variant.name);
    const std::string path = dir + "/" + variant.name;
    Magick::Image image = RichSource();
    if (variant.type != Magick::UndefinedType) image.type(variant.type);
    if (variant.type == Magick::TrueColorMatteType) image.opacity(20000);
    if (variant.interlaced) image.interlaceType(Magick::PlaneInterlace);
    image.write(std::string(variant.coder) + ":" + path);

    Magick::Image reference(path);
    const size_t w = reference.columns(), h = reference.rows();
    // A picture with an alpha channel shows over white, as ImageMagick flattens it.
    const bool transparent = reference.matte();
    if (transparent) {
      Magick::Image white(Magick::Geometry(w, h), Magick::ColorRGB(1.0, 1.0, 1.0));
      white.composite(reference, 0, 0, Magick::OverCompositeOp);
      reference = white;
    }
    std::vector<uint8_t> want(w * h * 3);
    reference.write(0, 0, w, h, "RGB", Magick::CharPixel, want.data());
    Picture got;
    const Result decoded = DecodePictureFile(path, got);
    ASSERT_TRUE(decoded) << decoded.Text();
    ASSERT_EQ(got.width, static_cast<int32_t>(w));
    ASSERT_EQ(got.height, static_cast<int32_t>(h));
    if (!transparent) {
      EXPECT_EQ(got.pixels, want);
      continue;
    }
    // Composition rounds in floating point there, in integers here.
    for (size_t i = 0; i < want.size(); ++i) ASSERT_NEAR(got.pixels[i], want[i], 1) << i;
  }
}

}  // namespace
}  // namespace tilvex
