#pragma once
// "Select Color": picks one of the picture's colours from its colour list.
#include <QDialog>
#include <vector>

#include "image/colour.h"

class QLabel;

namespace tilvex::ui {

// The colour list as 15 x 15 cells, 16 apart on light grey, inset by 2 pixels; a row that
// would pass the bottom is not shown.
class ColourCellPanel : public QWidget {
  Q_OBJECT

 public:
  ColourCellPanel(const std::vector<Rgb>& colours, QWidget* parent = nullptr);
  // The cell's rectangle, empty when it is not shown.
  QRect CellRect(int index) const;
  int CellAt(const QPoint& point) const;

 Q_SIGNALS:
  void chosen(int index);
  void confirmed(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  const std::vector<Rgb>& colours_;
};

class SelectColourDialog : public QDialog {
  Q_OBJECT

 public:
  SelectColourDialog(const std::vector<Rgb>& colours, Rgb current, QWidget* parent = nullptr);
  Rgb Chosen() const { return chosen_; }
  ColourCellPanel* Panel() const { return panel_; }
  QString ValueText() const;

 private:
  void Choose(int index);

  const std::vector<Rgb>& colours_;
  Rgb chosen_;
  ColourCellPanel* panel_;
  QWidget* swatch_;
  QLabel* value_;
};

}  // namespace tilvex::ui
