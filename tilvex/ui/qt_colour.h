#pragma once
// RGB values (red in the low byte) as Qt colours and back.
#include <QColor>

#include "image/colour.h"

namespace tilvex::ui {

inline QColor ToQColor(Rgb rgb) {
  return QColor(int(RedOf(rgb)), int(GreenOf(rgb)), int(BlueOf(rgb)));
}

inline Rgb FromQColor(const QColor& colour) {
  return MakeRgb(uint32_t(colour.red()), uint32_t(colour.green()), uint32_t(colour.blue()));
}

}  // namespace tilvex::ui
