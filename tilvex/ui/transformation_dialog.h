#pragma once
// "VT03 Transformation": the area, colours, block size, compression, colour space and
// addresses of a conversion. Modeless; the view's area drags and the fields stay in step.
#include <QDialog>

#include "app/document.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace tilvex::ui {

class Prompts;

class TransformationDialog : public QDialog {
  Q_OBJECT

 public:
  TransformationDialog(Document& document, Prompts& prompts, QWidget* parent = nullptr);

  // The view's drag: X, Y, Width and High follow it.
  void SetArea(const AreaRect& area);
  // The settings as the fields give them; false (after the message) when the area does not
  // fit the block size.
  bool ReadSettings(ConversionSettings& settings);
  // The fields of an earlier conversion. Its area only for a picture of the size it was
  // made for (samePicture), and only where the picture still holds it: a picture of another
  // size starts whole.
  void Restore(const ConversionSettings& settings, bool samePicture);

 Q_SIGNALS:
  void areaEdited();
  void convertRequested(const ConversionSettings& settings);

 private:
  bool AreaFitsBlocks();
  void OnBlockChosen();
  void ShowArea(const AreaRect& area);
  void OnFieldEdited();
  void UpdateCounts();
  void OnNext();

  Document& document_;
  Prompts& prompts_;
  QSpinBox* x_;
  QSpinBox* y_;
  QSpinBox* width_;
  QSpinBox* high_;
  QLabel* used_;
  QLabel* available_;
  QLineEdit* start_;
  QLineEdit* end_;
  QComboBox* colourSpace_;
  QComboBox* colourSum_;
  QComboBox* charSize_;
  QComboBox* mode_;
  QWidget* background_;
  QCheckBox* reduce_;
  QComboBox* dither_;
  Rgb backgroundRgb_ = 0;
  bool backgroundPicked_ = false;  // the user chose it; a reduction keeps it
  bool syncing_ = false;
  bool areaChosen_ = false;  // the user dragged or typed an area
};

}  // namespace tilvex::ui
