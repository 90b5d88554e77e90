#pragma once
// The walk that places the cells of a colour list: 15 x 15 cells, 16 apart, starting 2 pixels
// inside the area, left to right, and a new row when the next cell's right edge would pass
// the area's right edge. Drawing and hit-testing use the same walk.
#include <QRect>

namespace tilvex::ui {

inline QRect ColourCellRect(int index, int areaWidth) {
  constexpr int kInset = 2, kCell = 15, kPitch = 16;
  int x = kInset, y = kInset;
  for (int i = 0; i < index; ++i) {
    x += kPitch;
    if (x + kCell > areaWidth) {
      x = kInset;
      y += kPitch;
    }
  }
  return {x, y, kCell, kCell};
}

}  // namespace tilvex::ui
