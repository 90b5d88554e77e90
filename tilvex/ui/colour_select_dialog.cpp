#include "colour_select_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "colour_box.h"
#include "colour_panels.h"
#include "prompts.h"
#include "qt_colour.h"

namespace tilvex::ui {
namespace {

QGroupBox* FieldGroup(QWidget* parent, const char* title, const char* const labels[3],
                      ClampingSpinBox* fields[3], int top) {
  auto* group = new QGroupBox(QString::fromLatin1(title), parent);
  auto* grid = new QGridLayout(group);
  for (int i = 0; i < 3; ++i) {
    fields[i] = new ClampingSpinBox(group);
    fields[i]->setRange(0, i == 0 ? top : 255);
    fields[i]->setObjectName(QString::fromLatin1(labels[i]));
    grid->addWidget(new QLabel(QString::fromLatin1(labels[i]), group), i, 0);
    grid->addWidget(fields[i], i, 1);
  }
  return group;
}

}  // namespace

QValidator::State ClampingSpinBox::validate(QString& text, int&) const {
  if (text.isEmpty()) return QValidator::Intermediate;
  if (text.size() > 9) return QValidator::Invalid;
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); })
             ? QValidator::Acceptable
             : QValidator::Invalid;
}

void ClampingSpinBox::ShowNumber(int value) {
  const QString text = QString::number(value);
  if (lineEdit()->text() != text) lineEdit()->setText(text);
}

int ClampingSpinBox::valueFromText(const QString& text) const {
  return std::clamp(text.toInt(), minimum(), maximum());
}

ColourSelectDialog::ColourSelectDialog(Rgb initial, QWidget* parent)
    : QDialog(parent), old_(initial) {
  setWindowTitle(QStringLiteral("Colors Select"));
  triangle_ = new TrianglePanel(this);
  wheel_ = new WheelPanel(this);
  static const char* const kRgbLabels[3] = {"Red", "Green", "Blue"};
  static const char* const kHsvLabels[3] = {"Hue", "Saturation", "Light"};
  QGroupBox* rgbGroup = FieldGroup(this, "RGB", kRgbLabels, fields_, 255);
  QGroupBox* hsvGroup = FieldGroup(this, "HSL", kHsvLabels, fields_ + 3, 359);
  auto* oldSwatch = new ColourBox([this] { return ToQColor(old_); }, QSize(48, 32), this);
  newSwatch_ = new ColourBox([this] { return ToQColor(Chosen()); }, QSize(48, 32), this);
  auto* swatches = new QGridLayout;
  swatches->addWidget(new QLabel(QStringLiteral("Old"), this), 0, 0);
  swatches->addWidget(oldSwatch, 0, 1);
  swatches->addWidget(new QLabel(QStringLiteral("New"), this), 1, 0);
  swatches->addWidget(newSwatch_, 1, 1);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* panels = new QHBoxLayout;
  panels->addWidget(triangle_);
  panels->addSpacing(12);
  panels->addWidget(wheel_);
  auto* lower = new QHBoxLayout;
  lower->addWidget(rgbGroup);
  lower->addWidget(hsvGroup);
  lower->addLayout(swatches);
  lower->addWidget(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(panels);
  layout->addLayout(lower);

  rgb_ = {int(RedOf(initial)), int(GreenOf(initial)), int(BlueOf(initial))};
  hsv_ = RgbToHsv(rgb_);
  ShowValues();
  for (int i = 0; i < 6; ++i) {
    connect(fields_[i], &QSpinBox::valueChanged, this,
            i < 3 ? &ColourSelectDialog::OnRgbField : &ColourSelectDialog::OnHsvField);
  }
  connect(triangle_, &TrianglePanel::rgbDragged, this, &ColourSelectDialog::SetRgb);
  connect(wheel_, &WheelPanel::hsvDragged, this, &ColourSelectDialog::SetHsv);
}

Rgb ColourSelectDialog::Chosen() const {
  return MakeRgb(uint32_t(rgb_.red), uint32_t(rgb_.green), uint32_t(rgb_.blue));
}

void ColourSelectDialog::OnRgbField() {
  if (!syncing_) SetRgb({fields_[0]->value(), fields_[1]->value(), fields_[2]->value()});
}

void ColourSelectDialog::OnHsvField() {
  if (!syncing_) SetHsv({fields_[3]->value(), fields_[4]->value(), fields_[5]->value()});
}

void ColourSelectDialog::SetRgb(RgbColour rgb) {
  rgb_ = rgb;
  hsv_ = RgbToHsv(rgb);
  ShowValues();
}

void ColourSelectDialog::SetHsv(HsvColour hsv) {
  hsv_ = hsv;
  rgb_ = HsvToRgb(hsv);
  ShowValues();
}

// Fields, panels and the "New" swatch all show the current values; a field holding a
// number past its range is rewritten with the clamped one.
void ColourSelectDialog::ShowValues() {
  syncing_ = true;
  const int values[6] = {rgb_.red, rgb_.green, rgb_.blue, hsv_.hue, hsv_.saturation, hsv_.value};
  for (int i = 0; i < 6; ++i) {
    fields_[i]->setValue(values[i]);
    fields_[i]->ShowNumber(values[i]);
  }
  syncing_ = false;
  triangle_->SetRgb(rgb_);
  wheel_->SetHsv(hsv_);
  newSwatch_->update();
}

std::optional<Rgb> AskDrawingColour(Prompts& prompts, QWidget* parent, Rgb initial) {
  ColourSelectDialog dialog(initial, parent);
  if (prompts.Exec(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.Chosen();
}

}  // namespace tilvex::ui
