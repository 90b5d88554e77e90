#include "image/decoder.h"

#include <Magick++.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/picture_buffer.h"
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

  PictureBuffer picture;
  const Result refused = picture.LoadDecoded("photo.jpeg2");
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.message, kInvalidFileTypeMessage);
}

TEST(PictureFormats, EmfHasNoDecoderAndFailsWithoutAMessage) {
  const std::string dir = test::TempFolder("emf");
  test::WriteBytes(dir + "/a.emf", {1, 0, 0, 0});
  EXPECT_EQ(DecoderFor(PictureFormat::kEmf), nullptr);
  PictureBuffer picture;
  const Result result = picture.LoadDecoded(dir + "/a.emf");
  EXPECT_FALSE(result);
  EXPECT_TRUE(result.message.empty());
  EXPECT_FALSE(result.detail.empty());
}

TEST(PictureFormats, WindowsMetafilesAreDrawnIntoPixels) {
  // A placeable metafile: a red rectangle over the whole 32 x 20 window.
  PictureBuffer picture;
  const Result loaded = picture.LoadDecoded(TILVEX_IMAGE_TEST_DATA "/red.wmf");
  ASSERT_TRUE(loaded) << loaded.Text();
  ASSERT_GT(picture.Width(), 2);
  ASSERT_GT(picture.Height(), 2);
  const Rgb centre = picture.GetPixel(picture.Width() / 2, picture.Height() / 2).rgb;
  EXPECT_GT(RedOf(centre), 200u);
  EXPECT_LT(GreenOf(centre), 60u);
  EXPECT_LT(BlueOf(centre), 60u);
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
    PictureBuffer picture;
    const Result loaded = picture.LoadDecoded(path);
    ASSERT_TRUE(loaded) << loaded.Text();
    EXPECT_EQ(picture.kind, kPictureKindDecoded);
    EXPECT_EQ(picture.BitCount(), 24);
    ASSERT_EQ(picture.Width(), kWidth);
    ASSERT_EQ(picture.Height(), kHeight);
    int worst = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const Rgb got = picture.GetPixel(x, y).rgb, want = SourcePixel(x, y);
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
    PictureBuffer picture;

    test::WriteBytes(damaged, {});
    EXPECT_FALSE(picture.LoadDecoded(damaged));

    test::WriteBytes(damaged, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8));
    EXPECT_FALSE(picture.LoadDecoded(damaged));

    // Half a file or scrambled bytes may still give a picture from what is readable, but
    // never a crash or a picture of impossible size.
    test::WriteBytes(damaged,
                     std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    if (picture.LoadDecoded(damaged)) EXPECT_EQ(picture.Width(), kWidth);
    std::vector<uint8_t> scrambled = bytes;
    for (size_t i = 0; i < scrambled.size(); i += 7) scrambled[i] ^= 0x5A;
    test::WriteBytes(damaged, scrambled);
    if (picture.LoadDecoded(damaged)) {
      EXPECT_GE(picture.Width(), 1);
      EXPECT_LE(picture.Width(), kMaxPictureSide);
    }
  }
}

TEST(PictureFormats, HugeDeclaredSizesFailWithAClearMessage) {
  const std::string dir = test::TempFolder("huge");
  std::vector<uint8_t> bmp = test::BmpFile(3, 3, 24, {}, std::vector<uint8_t>(36, 0));
  test::PutU32(bmp, 18, 1000000);
  test::WriteBytes(dir + "/huge.bmp", bmp);
  PictureBuffer picture;
  const Result result = picture.LoadDecoded(dir + "/huge.bmp");
  EXPECT_FALSE(result);
  EXPECT_EQ(result.message, kPictureTooLargeMessage);

  // A PNG header claiming 20000 x 20000 pixels.
  Magick::Image small(Magick::Geometry(2, 2), Magick::Color("red"));
  small.magick("PNG");
  Magick::Blob blob;
  small.write(&blob);
  std::vector<uint8_t> png(static_cast<const uint8_t*>(blob.data()),
                           static_cast<const uint8_t*>(blob.data()) + blob.length());
  png[16] = 0;
  png[17] = 0;
  png[18] = 0x4E;
  png[19] = 0x20;
  png[20] = 0;
  png[21] = 0;
  png[22] = 0x4E;
  png[23] = 0x20;
  test::WriteBytes(dir + "/huge.png", png);
  EXPECT_FALSE(picture.LoadDecoded(dir + "/huge.png"));
  EXPECT_FALSE(picture.HasImage());
}

}  // namespace
}  // namespace tilvex
