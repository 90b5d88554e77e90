#pragma once

#include <QFontMetrics>
#include <QWidget>

namespace romvane {

// Dialog units of the window's font: a quarter of the average character width across,
// an eighth of the character height down, so the layout follows the font.
class DialogUnits {
 public:
  explicit DialogUnits(const QWidget* widget) {
    const QFontMetrics fm(widget->font());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = (fm.horizontalAdvance(letters) / 26 + 1) / 2;
    baseY_ = fm.height();
  }
  int X(int units) const { return units * baseX_ / 4; }
  int Y(int units) const { return units * baseY_ / 8; }

 private:
  int baseX_ = 6;
  int baseY_ = 13;
};

}  // namespace romvane
