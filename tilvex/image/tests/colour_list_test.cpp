#include "image/colour_list.h"

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

TEST(Adaptation, TableAdaptationsRepaintListedColoursWithTheirNearest) {
  Picture picture = WhitePicture(3, 1);
  picture.Set(0, 0, MakeRgb(250, 10, 10));
  picture.Set(1, 0, MakeRgb(10, 10, 240));
  ColourList list;
  CollectColours(picture, 0, 0, 2, 1, list);  // the white pixel is not listed
  ColourTables tables;
  tables.codes.assign(kCodeTableSize, 0xFF000000);
  tables.codes[7] = MakeRgb(255, 0, 0);
  tables.codes[8] = MakeRgb(0, 0, 255);
  tables.RebuildIndex();
  AdaptHsl4K(picture, list, tables, 3, 1);
  EXPECT_EQ(picture.At(0, 0), MakeRgb(255, 0, 0));
  EXPECT_EQ(picture.At(1, 0), MakeRgb(0, 0, 255));
  EXPECT_EQ(picture.At(2, 0), MakeRgb(255, 255, 255));  // missing from the list

  tables.nes.fill(MakeRgb(0, 255, 0));
  tables.nes[3] = MakeRgb(250, 0, 0);
  tables.nes[40] = MakeRgb(0, 0, 250);
  CollectColours(picture, 0, 0, 2, 1, list);
  AdaptNes64(picture, list, tables, 3, 1);
  EXPECT_EQ(picture.At(0, 0), MakeRgb(250, 0, 0));
  EXPECT_EQ(picture.At(1, 0), MakeRgb(0, 0, 250));
  EXPECT_EQ(picture.At(2, 0), MakeRgb(255, 255, 255));
}

TEST(Adaptation, MenuCommandsReadTheirTablesAndReportMissingOnes) {
  const std::string dir = test::TempFolder("adapt");
  Picture picture = WhitePicture(2, 1);
  ColourList list;
  CollectColours(picture, 0, 0, 2, 1, list);
  ASSERT_TRUE(AdaptHsl4K(picture, list, 2, 1));
  ASSERT_TRUE(AdaptNes64(picture, list, 2, 1));
  EXPECT_EQ(picture.At(0, 0), MakeRgb(255, 255, 255));
  ASSERT_EQ(setenv("TILVEX_DIR", dir.c_str(), 1), 0);
  EXPECT_EQ(AdaptHsl4K(picture, list, 2, 1).message, kCodeTableMessage);
  EXPECT_EQ(AdaptNes64(picture, list, 2, 1).message, kNesTableMessage);
  unsetenv("TILVEX_DIR");
}

}  // namespace
}  // namespace tilvex
