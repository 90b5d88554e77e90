#include "image/colour_list.h"
#include "image/colour_set.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "test_files.h"

namespace tilvex {
namespace {

// A white picture.
Picture WhitePicture(int32_t w, int32_t h) {
  return Picture{w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 3, 0xFF)};
}

TEST(ColourList, ListsColoursInRowOrderOfFirstAppearance) {
  Picture picture = WhitePicture(3, 2);
  picture.Set(2, 0, MakeRgb(1, 0, 0));
  picture.Set(0, 1, MakeRgb(2, 0, 0));
  picture.Set(1, 1, MakeRgb(1, 0, 0));
  ColourList list;
  CollectColours(picture, 0, 0, 3, 2, list);
  ASSERT_EQ(list.count, 3u);
  EXPECT_EQ(list.colours[0], 0xFFFFFFu);
  EXPECT_EQ(list.colours[1], MakeRgb(1, 0, 0));
  EXPECT_EQ(list.colours[2], MakeRgb(2, 0, 0));
  EXPECT_EQ(list.IndexOf(MakeRgb(2, 0, 0)), 2);
  EXPECT_EQ(list.IndexOf(MakeRgb(3, 0, 0)), -1);

  // Pixels outside the picture count as black.
  CollectColours(picture, 2, 1, 2, 1, list);
  ASSERT_EQ(list.count, 2u);
  EXPECT_EQ(list.colours[1], 0u);
}

TEST(ColourList, StopsAtExactlyTheFirst256Colours) {
  Picture picture = WhitePicture(20, 20);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) picture.Set(x, y, MakeRgb(x, y, 9));
  }
  ColourList list;
  CollectColours(picture, 0, 0, 20, 20, list);
  ASSERT_EQ(list.count, 256u);
  EXPECT_EQ(list.colours[255], MakeRgb(15, 12, 9));  // row 12, column 15 is the 256th
}

TEST(ColourCollection, TheColourSetKeepsEachColourOnceAsItGrows) {
  ColourSet set(4);
  for (Rgb rgb = 0; rgb < 70000; rgb += 7) ASSERT_TRUE(set.Add(rgb * 257 & 0xFFFFFF)) << rgb;
  for (Rgb rgb = 0; rgb < 70000; rgb += 7) ASSERT_FALSE(set.Add(rgb * 257 & 0xFFFFFF)) << rgb;
  EXPECT_EQ(set.Count(), 10000u);
  EXPECT_TRUE(set.Add(0xFFFFFE));
}

TEST(Adaptation, TableAdaptationsRepaintEveryPixelWithItsNearest) {
  Picture picture = WhitePicture(3, 1);
  picture.Set(0, 0, MakeRgb(250, 10, 10));
  picture.Set(1, 0, MakeRgb(10, 10, 240));
  ColourTables tables;
  tables.codes.assign(kCodeTableSize, 0xFF000000);
  tables.codes[7] = MakeRgb(255, 0, 0);
  tables.codes[8] = MakeRgb(0, 0, 255);
  tables.codes[9] = MakeRgb(200, 200, 200);
  tables.RebuildIndex();
  AdaptHsl4K(picture, tables, 3, 1);
  EXPECT_EQ(picture.At(0, 0), MakeRgb(255, 0, 0));
  EXPECT_EQ(picture.At(1, 0), MakeRgb(0, 0, 255));
  EXPECT_EQ(picture.At(2, 0), MakeRgb(200, 200, 200));

  picture.Set(2, 0, MakeRgb(255, 255, 255));
  tables.nes.fill(MakeRgb(0, 255, 0));
  tables.nes[3] = MakeRgb(250, 0, 0);
  tables.nes[40] = MakeRgb(0, 0, 250);
  AdaptNes64(picture, tables, 2, 1);  // only the rectangle
  EXPECT_EQ(picture.At(0, 0), MakeRgb(250, 0, 0));
  EXPECT_EQ(picture.At(1, 0), MakeRgb(0, 0, 250));
  EXPECT_EQ(picture.At(2, 0), MakeRgb(255, 255, 255));
}

// A picture of far more colours than the 256 a colour list holds: every pixel is adapted,
// and adapting the result again changes nothing.
TEST(Adaptation, ManyColourPicturesAdaptWholeAndOnce) {
  Picture picture = WhitePicture(64, 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 64; ++x) picture.Set(x, y, MakeRgb(x * 4 + 1, y * 8 + 3, (x * y) % 251));
  }
  ColourTables tables;
  tables.codes.assign(kCodeTableSize, 0xFF000000);
  for (uint32_t code = 2; code < 4096; code += 3) {
    tables.codes[code] = MakeRgb((code * 37) % 256, (code * 11) % 256, (code * 5) % 256);
  }
  tables.codes[1] = MakeRgb(0, 0, 0);
  tables.RebuildIndex();
  for (int i = 0; i < 64; ++i) tables.nes[size_t(i)] = MakeRgb(i * 4, 255 - i * 4, (i * 29) % 256);

  for (bool hsl : {true, false}) {
    Picture adapted = picture;
    hsl ? AdaptHsl4K(adapted, tables, 64, 32) : AdaptNes64(adapted, tables, 64, 32);
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 64; ++x) {
        const Rgb source = picture.At(x, y);
        const Rgb expected = hsl ? tables.codes[RgbToCode(ColourSpace::kHsl4K, tables, source)]
                                 : tables.nes[NearestNesColour(tables.nes, source)];
        ASSERT_EQ(adapted.At(x, y), expected & 0xFFFFFF) << x << "," << y;
      }
    }
    Picture again = adapted;
    hsl ? AdaptHsl4K(again, tables, 64, 32) : AdaptNes64(again, tables, 64, 32);
    EXPECT_EQ(again.pixels, adapted.pixels) << (hsl ? "hsl" : "nes");
  }
}

TEST(Adaptation, MenuCommandsReadTheirTablesAndReportMissingOnes) {
  const std::string dir = test::TempFolder("adapt");
  Picture picture = WhitePicture(2, 1);
  ASSERT_TRUE(AdaptHsl4K(picture, 2, 1));
  ASSERT_TRUE(AdaptNes64(picture, 2, 1));
  ASSERT_EQ(setenv("TILVEX_DIR", dir.c_str(), 1), 0);
  EXPECT_EQ(AdaptHsl4K(picture, 2, 1).message, kCodeTableMessage);
  EXPECT_EQ(AdaptNes64(picture, 2, 1).message, kNesTableMessage);
  unsetenv("TILVEX_DIR");
}

}  // namespace
}  // namespace tilvex
