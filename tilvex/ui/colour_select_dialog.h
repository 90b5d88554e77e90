#pragma once
// "Colors Select": picks one of the two drawing colours by red, green and blue or by hue,
// saturation and value, on the triangle and disc panels or in the six number fields.
#include <QDialog>
#include <QSpinBox>
#include <optional>

#include "image/colour.h"
#include "palette/hsv.h"

namespace tilvex::ui {

class Prompts;
class TrianglePanel;
class WheelPanel;

// A number field that takes any number typed and clamps it to its range at once, rather
// than refusing the keystroke.
class ClampingSpinBox : public QSpinBox {
  Q_OBJECT

 public:
  using QSpinBox::QSpinBox;
  // Shows the number even while the user is typing in the field.
  void ShowNumber(int value);

 protected:
  QValidator::State validate(QString& text, int& pos) const override;
  int valueFromText(const QString& text) const override;
};

class ColourSelectDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ColourSelectDialog(Rgb initial, QWidget* parent = nullptr);
  Rgb Chosen() const;
  RgbColour Channels() const { return rgb_; }
  HsvColour HueSaturationValue() const { return hsv_; }
  TrianglePanel* Triangle() const { return triangle_; }
  WheelPanel* Wheel() const { return wheel_; }
  // Red, Green, Blue, Hue, Saturation, Light.
  QSpinBox* Field(int i) const { return fields_[i]; }

 private:
  void OnRgbField();
  void OnHsvField();
  void SetRgb(RgbColour rgb);
  void SetHsv(HsvColour hsv);
  void ShowValues();

  RgbColour rgb_;
  HsvColour hsv_;
  Rgb old_;
  TrianglePanel* triangle_;
  WheelPanel* wheel_;
  ClampingSpinBox* fields_[6];
  QWidget* newSwatch_;
  bool syncing_ = false;
};

// Opens "Colors Select" on a colour; the chosen colour, or nothing when cancelled.
std::optional<Rgb> AskDrawingColour(Prompts& prompts, QWidget* parent, Rgb initial);

}  // namespace tilvex::ui
