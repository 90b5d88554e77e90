#pragma once
// The palette bar docked beside the picture: the colour under the mouse with its read-outs,
// the two drawing colours, the picture's colour list and the information box.
#include <QWidget>
#include <functional>
#include <vector>

#include "image/colour.h"

class QLabel;
class QTimer;

namespace tilvex::ui {

struct DrawingState;
class Prompts;

// Colour-list cells: 15 x 15, 16 apart, inside a grey area inset by 2 pixels.
class ColourListArea : public QWidget {
  Q_OBJECT

 public:
  ColourListArea(const std::vector<Rgb>& colours, Prompts& prompts, QWidget* parent = nullptr);
  // The cell under a point, or -1.
  int CellAt(const QPoint& point) const;
  QRect CellRect(int index) const;

 Q_SIGNALS:
  void collect(int index);
  void blink();
  void restore(int index);
  void recolour(int index, Rgb rgb);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  const std::vector<Rgb>& colours_;
  Prompts& prompts_;
  QTimer* blinkTimer_;
  int heldCell_ = -1;
};

class PaletteBar : public QWidget {
  Q_OBJECT

 public:
  PaletteBar(const std::vector<Rgb>& colours, DrawingState& drawing, Prompts& prompts,
             QWidget* parent = nullptr);
  // The read-outs for the pixel under the mouse, or none.
  void ShowPixel(bool over, Rgb rgb = 0, int x = 0, int y = 0);
  void SetInformation(const QString& text);
  QString Information() const;
  ColourListArea* List() const { return list_; }
  QString ReadOut(int i) const;  // R, G, B, I, X, Y

  // Repaints the drawing colours and the colour list.
  void Repaint();

 private:
  DrawingState& drawing_;
  QWidget* swatch_;
  QLabel* readOuts_[6];
  QWidget* colourPair_;
  ColourListArea* list_;
  QLabel* info_;
  bool over_ = false;
  Rgb rgb_ = 0;
};

}  // namespace tilvex::ui
