#pragma once
// "PAL process": palette steps from a palette file towards one colour, written as
// "PALStep.asm".
#include <QDialog>
#include <functional>

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

 Q_SIGNALS:
  // After "PALStep.asm" has been written, with where.
  void wrote(const QString& path);

 private:
  void Browse();
  void ChooseTarget();

  Document& document_;
  Prompts& prompts_;
  Rgb target_ = 0;
  QLabel* targetText_;
};

// The Tool menu's "Palette tool"; report gets the line that says what was written where.
void RunPaletteTool(Document& document, Prompts& prompts, QWidget* parent,
                    const std::function<void(const QString&)>& report);

}  // namespace tilvex::ui
