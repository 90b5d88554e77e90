#include "image/decoder.h"

#include <Magick++.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

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

  Picture picture;
  const Result refused = DecodePictureFile("photo.jpeg2", picture);
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.message, kInvalidFileTypeMessage);
}

TEST(PictureFormats, EmfHasNoDecoderAndFailsWithoutAMessage) {
  const std::string dir = test::TempFolder("emf");
  test::WriteBytes(dir + "/a.emf", {1, 0, 0, 0});
  EXPECT_EQ(DecoderFor(PictureFormat::kEmf), nullptr);
  Picture picture;
  const Result result = DecodePictureFile(dir + "/a.emf", picture);
  EXPECT_FALSE(result);
  EXPECT_TRUE(result.message.empty());
  EXPECT_FALSE(result.detail.empty());
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

TEST(PictureFormats, PrintingColoursAndGreysBecomeScreenColours) {
  const std::string dir = test::TempFolder("spaces");
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
  Magick::Image grey(Magick::Geometry(4, 4), Magick::Color("gray50"));
  grey.type(Magick::GrayscaleType);
  grey.magick("PNG");
  grey.write(dir + "/grey.png");
  Picture picture;
  ASSERT_TRUE(DecodePictureFile(dir + "/grey.png", picture));
  EXPECT_EQ(picture.At(1, 1), MakeRgb(0x7F, 0x7F, 0x7F));
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
    std::vector<uint8_t> want(w * h * 3);
    reference.write(0, 0, w, h, "RGB", Magick::CharPixel, want.data());
    Picture got;
    const Result decoded = DecodePictureFile(path, got);
    ASSERT_TRUE(decoded) << decoded.Text();
    ASSERT_EQ(got.width, static_cast<int32_t>(w));
    ASSERT_EQ(got.height, static_cast<int32_t>(h));
    EXPECT_EQ(got.pixels, want);
  }
}

// Whether the general decoder module is loaded into this process.
bool GeneralDecoderLoaded() {
  std::ifstream maps("/proc/self/maps");
  const std::string text{std::istreambuf_iterator<char>(maps), std::istreambuf_iterator<char>()};
  return text.find("libtilvex_magick") != std::string::npos;
}

TEST(PictureFormats, CommonFormatsNeverLoadTheGeneralDecoder) {
  // Other tests of this program load the module: the check runs in a fresh process.
  if (!std::getenv("TILVEX_FRESH_PROCESS")) {
    const std::string filter =
        "--gtest_filter=PictureFormats.CommonFormatsNeverLoadTheGeneralDecoder";
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      setenv("TILVEX_FRESH_PROCESS", "1", 1);
      execl("/proc/self/exe", "tilvex_image_test", filter.c_str(), static_cast<char*>(nullptr));
      _exit(2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return;
  }
  const std::string dir = test::TempFolder("alone");
  for (const char* name : {"a.bmp", "a.png", "a.jpg", "a.gif"}) {
    Magick::Image image = RichSource();
    image.write(dir + "/" + name);
    Picture picture;
    EXPECT_TRUE(DecodePictureFile(dir + "/" + name, picture)) << name;
  }
  EXPECT_FALSE(GeneralDecoderLoaded());
}

uint32_t Crc32(const std::vector<uint8_t>& bytes, size_t from) {
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = from; i < bytes.size(); ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
  }
  return ~crc;
}

void AppendChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
  for (int shift = 24; shift >= 0; shift -= 8)
    png.push_back(static_cast<uint8_t>(data.size() >> shift));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  const uint32_t crc = Crc32(png, start);
  for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<uint8_t>(crc >> shift));
}

// A PNG file of the given size whose only data is a tiny stored (uncompressed) block.
std::vector<uint8_t> PngOfSize(uint32_t width, uint32_t height) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  for (uint32_t value : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8)
      header.push_back(static_cast<uint8_t>(value >> shift));
  }
  header.insert(header.end(), {8, 2, 0, 0, 0});
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT",
              {0x78, 0x01, 0x01, 0x01, 0x00, 0xFE, 0xFF, 0x00, 0x00, 0x01, 0x00, 0x01});
  AppendChunk(png, "IEND", {});
  return png;
}

TEST(PictureFormats, HugeDeclaredSizesFailWithAClearMessage) {
  const std::string dir = test::TempFolder("huge");
  std::vector<uint8_t> bmp = test::BmpFile(3, 3, 24, {}, std::vector<uint8_t>(36, 0));
  test::PutU32(bmp, 18, 1000000);
  test::WriteBytes(dir + "/huge.bmp", bmp);
  Picture picture;
  const Result result = DecodePictureFile(dir + "/huge.bmp", picture);
  EXPECT_FALSE(result);
  EXPECT_EQ(result.message, kPictureTooLargeMessage);

  // PNG headers claiming more than the program takes: refused before any pixel is made,
  // and said to be too large.
  for (const auto& [w, h] : {std::pair{20000u, 20000u}, {16385u, 1u}, {30000u, 30000u}}) {
    test::WriteBytes(dir + "/huge.png", PngOfSize(w, h));
    const Result refused = DecodePictureFile(dir + "/huge.png", picture);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.message, kPictureTooLargeMessage) << w << " x " << h;
    EXPECT_TRUE(picture.Empty());
  }

  // The same through the general decoder: a TGA one pixel wider than the limit.
  std::vector<uint8_t> wide(18 + 16385 * 3, 0);
  wide[2] = 2;  // uncompressed true colour
  test::PutU16(wide, 12, 16385);
  test::PutU16(wide, 14, 1);
  wide[16] = 24;
  test::WriteBytes(dir + "/wide.tga", wide);
  EXPECT_EQ(DecodePictureFile(dir + "/wide.tga", picture).message, kPictureTooLargeMessage);

  // Zero-size pictures.
  test::WriteBytes(dir + "/zero.png", PngOfSize(0, 5));
  EXPECT_FALSE(DecodePictureFile(dir + "/zero.png", picture));
  std::vector<uint8_t> tga(18 + 15, 0);
  tga[2] = 2;    // uncompressed true colour
  tga[14] = 5;   // height 5, width 0
  tga[16] = 24;  // bits per pixel
  test::WriteBytes(dir + "/zero.tga", tga);
  EXPECT_FALSE(DecodePictureFile(dir + "/zero.tga", picture));
  EXPECT_TRUE(picture.Empty());

  // 16000 x 16000 is within the sides allowed, but its pixels are more than the decoder
  // may hold in memory.
  test::WriteBytes(dir + "/big.png", PngOfSize(16000, 16000));
  const Result big = DecodePictureFile(dir + "/big.png", picture);
  EXPECT_FALSE(big);
  EXPECT_EQ(big.message, kPictureTooLargeMessage) << big.detail;
}

}  // namespace
}  // namespace tilvex
