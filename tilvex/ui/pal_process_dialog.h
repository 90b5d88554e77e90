#pragma once
// "PAL process": palette steps from a palette file towards one colour, written as
// "PALStep.asm".
#include <QDialog>

#include "image/colour.h"

class QLabel;
class QLineEdit;
class QSpinBox;

namespace tilvex {
class Document;
}

namespace tilvex::ui {

class Prompts;

class PalProcessDialog : public QDialog {
  Q_OBJECT

 public:
  PalProcessDialog(Document& document, Prompts& prompts, QWidget* parent = nullptr);
  QLineEdit* palFile;
  QSpinBox* level;
  QWidget* swatch;
  Rgb Target() const { return target_; }
  QString TargetText() const;

  void accept() override;

 private:
  void Browse();
  void ChooseTarget();

  Document& document_;
  Prompts& prompts_;
  Rgb target_ = 0;
  QLabel* targetText_;
};

// The Tool menu's "Palette tool".
void RunPaletteTool(Document& document, Prompts& prompts, QWidget* parent);

}  // namespace tilvex::ui
