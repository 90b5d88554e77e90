#pragma once
// "VT03 PAL Setup": the palettes the analysis gathered, shown for review before the tiles are
// made. Slots are swapped by dragging, rows cleared, cut, copied and pasted, and the table
// is loaded from or saved to palette files. "Next" goes on with the conversion.
#include <QDialog>

#include "app/slot_edits.h"
#include "image/slot_table.h"

namespace tilvex::ui {

class Prompts;

class SlotGrid : public QWidget {
  Q_OBJECT

 public:
  SlotGrid(SlotTable& table, Prompts& prompts, QWidget* parent = nullptr);
  // Slot number under a point, or -1.
  int SlotAt(const QPoint& point) const;
  static QRect CellRect(int slot);
  const RowClipboard& Clipboard() const { return clipboard_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void RowMenu(int row, const QPoint& globalPosition);

  SlotTable& table_;
  Prompts& prompts_;
  RowClipboard clipboard_;
  int dragSource_ = -1;
};

class PalSetupDialog : public QDialog {
  Q_OBJECT

 public:
  PalSetupDialog(SlotTable& table, Prompts& prompts, QWidget* parent = nullptr);
  SlotGrid* Grid() const { return grid_; }

 private:
  void Load();
  void Save();

  SlotTable& table_;
  Prompts& prompts_;
  SlotGrid* grid_;
};

}  // namespace tilvex::ui
