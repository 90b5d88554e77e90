// The limits of a reduced conversion: what fails before the slow work, what a large picture
// costs, and that the palettes hold colours the console shows in every colour space.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "convert/colour_reduction.h"
#include "convert/device_colours.h"
#include "converter_fixture.h"

namespace tilvex {
namespace {

using testing::Convert;
using testing::FilledPicture;
using testing::Settings;
using testing::TestTables;
using testing::WholeOf;

const Rgb kBlack = 0;

// Pixels drawn at random from 48 colours: no two tiles alike, three times the colours a
// palette holds.
Picture Noise(int w, int h) {
  uint32_t seed = 7;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
  std::vector<Rgb> colours(48);
  for (Rgb& c : colours) c = next() & 0xFFFFFF;
  Picture picture = FilledPicture(w, h, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) picture.Set(x, y, colours[next() % colours.size()]);
  }
  return picture;
}

// Remembers the texts the progress window was given.
class TextSpy : public Progress {
 public:
  void SetText(const char* text) override { texts.emplace_back(text); }
  std::vector<std::string> texts;
};

ConversionSettings Reducing(ConversionSettings settings) {
  settings.reduce.reduce = true;
  return settings;
}

TEST(BankLimits, UncompressedAreasTooLargeStopBeforeTheReductionAndNameWhatFits) {
  // Two blocks a row, four blocks a bank: 16 banks hold 32 of the 34 rows.
  const Picture tall = Noise(16, 8 * 34);
  ConversionSettings settings = Reducing(Settings(0, 0, false));
  settings.endAddress = 0x80;
  TextSpy spy;
  Conversion c = Convert(tall, WholeOf(tall), kBlack, settings, {}, spy);
  EXPECT_EQ(c.status.message, "PGT超过16个分区,转换终止!可转换的最大区域为16x256。");
  EXPECT_TRUE(spy.texts.empty()) << spy.texts.front();
  EXPECT_TRUE(Convert(tall, {0, 0, 16, 256}, kBlack, settings).status.ok);

  // A row of four blocks with three to a bank: only three blocks of one row fit.
  const Picture wide = Noise(32, 8);
  settings.endAddress = 0x60;
  c = Convert(wide, WholeOf(wide), kBlack, settings, {}, spy);
  EXPECT_EQ(c.status.message, "第0行的块超过一个PGT分区的容量,转换终止!可转换的最大区域为24x8。");
  EXPECT_TRUE(spy.texts.empty());
  EXPECT_TRUE(Convert(wide, {0, 0, 24, 8}, kBlack, settings).status.ok);
}

TEST(BankLimits, CompressedPicturesThatCannotFitStopBeforeThePaletteReview) {
  // 8 distinct tiles a row fill a bank of 512 pixels, so 17 rows need 17 banks.
  const Picture picture = Noise(64, 8 * 17);
  ConversionSettings settings = Reducing(Settings(0, 0, true));
  settings.endAddress = 0x100;
  bool reviewed = false;
  PaletteChoice review;
  review.review = [&](SlotTable&) { return reviewed = true; };
  const Conversion c = Convert(picture, WholeOf(picture), kBlack, settings, review);
  EXPECT_EQ(c.status.message, "PGT超过16个分区,转换终止!可转换的最大区域为64x128。");
  EXPECT_FALSE(reviewed);
  EXPECT_TRUE(Convert(picture, {0, 0, 64, 128}, kBlack, settings, review).status.ok);
  EXPECT_TRUE(reviewed);

  // Without a review the conversion names the same area.
  EXPECT_EQ(Convert(picture, WholeOf(picture), kBlack, settings).status.message, c.status.message);
}

// A picture with more areas than the search looks at: every area, seen or not, still takes
// a palette of its own kind of colours.
TEST(LargeReduction, AreasTheSearchSkippedTakeTheirBestPalette) {
  const int w = 16 * 40, h = 16 * 30;  // 1200 areas
  Picture picture = FilledPicture(w, h, 0);
  uint32_t seed = 3;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245u + 12345u;
      const uint32_t shade = 64 + (seed >> 16) % 160;
      // Left half reds, right half blues, bands of green between the area rows.
      const uint32_t green = uint32_t(y / 16 % 4 * 40);
      picture.Set(x, y, x < w / 2 ? MakeRgb(shade, green, 0) : MakeRgb(0, green, shade));
    }
  }
  ReduceOptions options;
  options.reduce = true;
  const ReducedPicture reduced = ReduceColours(picture, WholeOf(picture), kBlack, 0,
                                               ColourSpace::kRgb4K, TestTables(), options);
  ASSERT_TRUE(reduced.status.ok);
  double worst = 0;
  for (int ay = 0; ay < h; ay += 16) {
    for (int ax = 0; ax < w; ax += 16) {
      double sum = 0;
      for (int y = ay; y < ay + 16; ++y) {
        for (int x = ax; x < ax + 16; ++x)
          sum += ColourDistance(picture.At(x, y), reduced.picture.At(x, y));
      }
      worst = std::max(worst, std::sqrt(sum / 256));
    }
  }
  // 15 colours over 160 shades of one channel: about 5 levels apart; the wrong kind of
  // palette would be 100 or more away.
  EXPECT_LT(worst, 24) << "an area took a palette of the other kind";
}

// Every colour space snaps the palettes to colours it shows, the window's default HSL one
// included, so the block picture draws what the reduction chose.
TEST(LargeReduction, PalettesHoldOnlyShownColoursInEverySpace) {
  ColourTables tables;
  ASSERT_TRUE(LoadColourTables(tables).ok);
  const Picture picture = Noise(64, 48);
  for (ColourSpace space : {ColourSpace::kHsl4K, ColourSpace::kRgb4K, ColourSpace::kNes64}) {
    SCOPED_TRACE(int(space));
    for (int mode : {0, 1}) {
      ReduceOptions options;
      options.reduce = true;
      const ReducedPicture reduced =
          ReduceColours(picture, WholeOf(picture), kBlack, mode, space, tables, options);
      ASSERT_TRUE(reduced.status.ok);
      const DeviceColours device(space, tables);
      for (const Slot& slot : reduced.slots.slots) {
        if (slot.used != 0) EXPECT_EQ(device.Nearest(slot.rgb), slot.rgb);
      }
    }
  }
}

}  // namespace
}  // namespace tilvex
