// The arithmetic under the view and the dialogs.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "app/slot_edits.h"
#include "app/view_geometry.h"

namespace tilvex {
namespace {

TEST(ViewGeometry, ZoomStepsRunFromOneSixteenthToSixteenTimes) {
  Zoom zoom = Zoom::Out(kMaxZoom);
  int steps = 0;
  while (zoom.StepIn() != zoom) {
    zoom = zoom.StepIn();
    ++steps;
  }
  EXPECT_EQ(steps, 2 * (kMaxZoom - 1));
  EXPECT_EQ(zoom, Zoom::In(kMaxZoom));
  EXPECT_EQ(Zoom::In(2).StepOut(), Zoom::Normal());
  EXPECT_EQ(Zoom::Normal().StepOut(), Zoom::Out(2));
  EXPECT_EQ(Zoom::In(3).ToPicture(8), 2);
  EXPECT_EQ(Zoom::Out(3).ToScreen(8), 2);
}

TEST(ViewGeometry, OnlyThePictureInSightIsDrawn) {
  // 3:1: screen 10..20 shows columns 3..6 (column 6 in part).
  EXPECT_EQ(VisibleSpan(Zoom::In(3), 10, 20, 100).first, 3);
  EXPECT_EQ(VisibleSpan(Zoom::In(3), 10, 20, 100).last, 7);
  EXPECT_EQ(VisibleSpan(Zoom::In(3), 10, 400, 100).last, 100);
  // 1:4: screen 5..9 shows columns 20..36, never past the picture.
  EXPECT_EQ(VisibleSpan(Zoom::Out(4), 5, 9, 100).first, 20);
  EXPECT_EQ(VisibleSpan(Zoom::Out(4), 5, 9, 100).last, 36);
  EXPECT_EQ(VisibleSpan(Zoom::Out(4), 5, 90, 30).last, 30);
  EXPECT_EQ(VisibleSpan(Zoom::Normal(), 0, 50, 20).last, 20);
}

TEST(ViewGeometry, PointsLeftOfThePictureMapToNegativePixels) {
  EXPECT_EQ(Zoom::In(4).ToPicture(-1), -1);
  EXPECT_EQ(Zoom::In(4).ToPicture(-4), -1);
  EXPECT_EQ(Zoom::In(4).ToPicture(-5), -2);
  EXPECT_EQ(Zoom::In(4).ToPicture(7), 1);
}

// Whatever the step, the picture pixel under the point stays under it: exactly when the
// new zoom magnifies, within the run of pixels one screen pixel shows when it shrinks.
TEST(ViewGeometry, ZoomingKeepsThePictureUnderThePoint) {
  std::vector<Zoom> zooms;
  for (Zoom z = Zoom::Out(kMaxZoom); zooms.empty() || z != zooms.back(); z = z.StepIn())
    zooms.push_back(z);
  for (const Zoom& from : zooms) {
    for (const Zoom& to : {from.StepIn(), from.StepOut(), Zoom::In(7), Zoom::Out(3)}) {
      for (int offset : {0, 37, 1000}) {
        for (int at : {0, 5, 299, 640}) {
          const int pixel = from.ToPicture(offset + at);
          const int after = to.ToPicture(OffsetKeepingPoint(from, to, offset, at) + at);
          EXPECT_LE(after, pixel);
          EXPECT_LT(pixel, after + std::max(1, to.zoomOut));
        }
      }
    }
  }
  // Within a magnified pixel the cursor keeps its place too: 3/4 of the way across pixel
  // 37 at 4:1 is screen 187 of pixel 37's 185..189 at 5:1.
  EXPECT_EQ(OffsetKeepingPoint(Zoom::In(4), Zoom::In(5), 100, 50), 137);
  EXPECT_EQ(OffsetKeepingPoint(Zoom::In(2), Zoom::In(2), 123, 45), 123);
}

TEST(ViewGeometry, FittingPicksTheLargestStepThatShowsTheWholePicture) {
  EXPECT_EQ(FittingZoom(256, 240, 600, 500), Zoom::In(2));
  EXPECT_EQ(FittingZoom(256, 240, 512, 480), Zoom::In(2));
  EXPECT_EQ(FittingZoom(256, 240, 511, 600), Zoom::Normal());
  EXPECT_EQ(FittingZoom(256, 240, 600, 479), Zoom::Normal());
  EXPECT_EQ(FittingZoom(1000, 100, 300, 300), Zoom::Out(4));
  EXPECT_EQ(FittingZoom(10, 10, 600, 500), Zoom::In(kMaxZoom));
  EXPECT_EQ(FittingZoom(100000, 10, 100, 100), Zoom::Out(kMaxZoom));
  EXPECT_EQ(FittingZoom(0, 0, 600, 500), Zoom::Normal());
}

TEST(ViewGeometry, DragsBecomeAreasWithinThePicture) {
  // Corners in any order, clipped to the picture on screen, in picture pixels.
  EXPECT_EQ(DraggedArea(Zoom::In(2), 50, 40, -10, 4, 20, 30), (AreaRect{0, 2, 20, 20}));
  EXPECT_EQ(DraggedArea(Zoom::Normal(), 3, 5, 17, 16, 64, 64), (AreaRect{3, 5, 17, 16}));
  // The Transformation dialog snaps to cells and stops at the picture's last cell.
  EXPECT_EQ(SnapToCells({3, 5, 17, 16}), (AreaRect{0, 0, 24, 24}));
  EXPECT_EQ(SnapToPictureCells({3, 5, 20, 30}, 20, 30), (AreaRect{0, 0, 24, 32}));
  EXPECT_EQ(SnapToPictureCells({0, 0, 255, 239}, 256, 240), (AreaRect{0, 0, 256, 240}));
  EXPECT_EQ(SnapToPictureCells({0, 0, 100, 100}, 256, 240), (AreaRect{0, 0, 104, 104}));
  // A drag out to the picture's edge (and past it, clipped to the edge on screen) ends at the
  // edge, not on a cell beyond it.
  EXPECT_EQ(SnapToPictureCells({0, 0, 256, 240}, 256, 240), (AreaRect{0, 0, 256, 240}));
}

TEST(ViewGeometry, TheDialogMovesOffTheStoppingPlaceBelowElseBeside) {
  const AreaRect screen{0, 0, 1000, 800};
  const AreaRect dialog{100, 100, 400, 300};                          // 300 x 200
  EXPECT_FALSE(DialogClearOf(dialog, {400, 100, 480, 180}, screen));  // touching is clear
  EXPECT_EQ(DialogClearOf(dialog, {150, 50, 230, 130}, screen), (ScreenPoint{100, 146}));
  // No room below: to the right of the place, or as far right as the screen allows.
  const AreaRect low{100, 500, 400, 700};
  EXPECT_EQ(DialogClearOf(low, {150, 550, 230, 600}, screen), (ScreenPoint{246, 500}));
  EXPECT_EQ(DialogClearOf(low, {150, 550, 800, 600}, screen), (ScreenPoint{700, 500}));
  // Exactly room below: the dialog's last row is the screen's.
  EXPECT_EQ(DialogClearOf(dialog, {150, 200, 230, 584}, screen), (ScreenPoint{100, 600}));
}

TEST(CellAttribute, SwitchesAndPaletteTouchOnlyTheirBits) {
  EXPECT_EQ(WithSwitch(0x0F, kSwitch2Bit, true), 0x4Fu);
  EXPECT_EQ(WithSwitch(0xFF, kSwitch2Bit, false), 0xBFu);
  EXPECT_EQ(WithSwitch(0x0F, kSwitch1Bit, true), 0x8Fu);
  EXPECT_EQ(WithSwitch(0xFF, kSwitch1Bit, false), 0x7Fu);
  EXPECT_EQ(WithPaletteNumber(0xC3, 9), 0xC9u);
  EXPECT_EQ(WithPaletteNumber(0x30, 31), 0x3Fu);
}

TEST(SlotEdits, RowsMoveThroughTheClipboardAndClearingKeepsColours) {
  SlotTable table{};
  for (int s = 0; s < kSlotsPerPalette; ++s) {
    table.At(1, s).rgb = Rgb(0x100 + s);
    table.At(1, s).used = 1;
  }
  RowClipboard clip;
  PasteRow(table, 3, clip);  // an empty clipboard pastes nothing
  EXPECT_EQ(table.At(3, 0).used, 0);
  CopyRow(table, 1, clip);
  ClearRow(table, 1);
  EXPECT_EQ(table.At(1, 5).used, 0);
  EXPECT_EQ(table.At(1, 5).rgb, Rgb(0x105));
  PasteRow(table, 3, clip);
  EXPECT_EQ(table.At(3, 5).used, 1);
  EXPECT_EQ(table.At(3, 5).rgb, Rgb(0x105));
  SwapSlots(table, 3 * kSlotsPerPalette, 3 * kSlotsPerPalette + 1);
  EXPECT_EQ(table.At(3, 0).rgb, Rgb(0x101));
}

}  // namespace
}  // namespace tilvex
