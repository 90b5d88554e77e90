#pragma once

#include <QDialog>

#include "cart/attribute_info.h"

class QComboBox;
class QLabel;

namespace romvane {

// "Attribute": one game's row texts, its place in the last build and its header
// settings. Only the mirroring choice is applied, by the window, after OK.
class AttributeDialog : public QDialog {
  Q_OBJECT

 public:
  AttributeDialog(const GameAttributes& attributes, QWidget* parent = nullptr);

  // The "Mirroring:" choice: 1 "Vertical", 0 "Horizontal", -1 none.
  int MirroringChoice() const;

 private:
  QLabel* AddValue(const char* name, const QString& text);
  QComboBox* AddChoice(const char* name, const QStringList& items, int selected);
  void ShowPlace(const BlockPlace& place, QLabel* begin, QLabel* end, QLabel* page);

  QComboBox* mirroring_ = nullptr;
};

}  // namespace romvane
