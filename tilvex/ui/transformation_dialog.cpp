#include "transformation_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/field_rules.h"
#include "app/view_geometry.h"
#include "prompts.h"
#include "qt_colour.h"
#include "select_colour_dialog.h"
#include "ui_text.h"

namespace tilvex::ui {
namespace {

QSpinBox* NumberField(QWidget* parent, int value) {
  auto* box = new QSpinBox(parent);
  box->setRange(0, 16384);
  box->setValue(value);
  return box;
}

QComboBox* List(QWidget* parent, const QStringList& items) {
  auto* box = new QComboBox(parent);
  box->addItems(items);
  return box;
}

class ColourSwatch : public QWidget {
 public:
  ColourSwatch(const Rgb& rgb, QWidget* parent, std::function<void()> clicked)
      : QWidget(parent), rgb_(rgb), clicked_(std::move(clicked)) {
    setFixedSize(40, 20);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) clicked_();
  }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), ToQColor(rgb_));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }

 private:
  const Rgb& rgb_;
  std::function<void()> clicked_;
};

}  // namespace

TransformationDialog::TransformationDialog(Document& document, Prompts& prompts, QWidget* parent)
    : QDialog(parent), document_(document), prompts_(prompts) {
  setWindowTitle(QStringLiteral("VT03 Transformation"));
  const Picture& picture = document.View();
  const ConversionSettings defaults = DefaultSettings(picture);
  backgroundRgb_ = defaults.background;
  auto* form = new QFormLayout;
  x_ = NumberField(this, 0);
  y_ = NumberField(this, 0);
  width_ = NumberField(this, defaults.area.right);
  high_ = NumberField(this, defaults.area.bottom);
  used_ = new QLabel(this);
  available_ = new QLabel(this);
  start_ = new QLineEdit(QStringLiteral("0"), this);
  end_ = new QLineEdit(QStringLiteral("2000"), this);
  start_->setObjectName(QStringLiteral("startAddress"));
  end_->setObjectName(QStringLiteral("endAddress"));
  colourSpace_ = List(this, {QStringLiteral("VT03 NEW(4K HSL)"), QStringLiteral("TFT RGB(4K RGB)"),
                             QStringLiteral("VT03 OLD(64 NES)")});
  colourSum_ = List(this, {QStringLiteral("16"), QStringLiteral("4")});
  charSize_ = List(this, {QStringLiteral("8*8"), QStringLiteral("8*16"), QStringLiteral("16*8"),
                          QStringLiteral("16*16")});
  mode_ = List(this, {QStringLiteral("Compress"), QStringLiteral("No Compress")});
  background_ = new ColourSwatch(backgroundRgb_, this, [this] {
    SelectColourDialog select(document_.Colours(), backgroundRgb_, this);
    if (prompts_.Exec(select) != QDialog::Accepted) return;
    backgroundRgb_ = select.Chosen();
    backgroundPicked_ = true;
    background_->update();
  });
  // The reduction is ours, not the design's: its controls speak the user's language.
  reduce_ = new QCheckBox(UiText("减少颜色"), this);
  reduce_->setObjectName(QStringLiteral("reduceColours"));
  reduce_->setToolTip(
      UiText("某个区域颜色过多或调色板容纳不下时,挑选调色板并重绘图片,而不是停止转换"));
  dither_ = List(this, {UiText("不抖动"), UiText("有序抖动"), QStringLiteral("Floyd-Steinberg")});
  dither_->setObjectName(QStringLiteral("dither"));
  dither_->setEnabled(false);
  connect(reduce_, &QCheckBox::toggled, dither_, &QWidget::setEnabled);
  auto* pal = new QHBoxLayout;
  pal->addWidget(new QLineEdit(this));
  pal->addWidget(new QPushButton(QStringLiteral("..."), this));
  form->addRow(QStringLiteral("X"), x_);
  form->addRow(QStringLiteral("Y"), y_);
  form->addRow(QStringLiteral("Width"), width_);
  form->addRow(QStringLiteral("High"), high_);
  form->addRow(UiText("Used Color："), used_);
  form->addRow(QStringLiteral("avilable color:"), available_);
  form->addRow(QStringLiteral("Start Address"), start_);
  form->addRow(QStringLiteral("End Address"), end_);
  form->addRow(QStringLiteral("Color Mode"), colourSpace_);
  form->addRow(QStringLiteral("Color SUM"), colourSum_);
  form->addRow(QStringLiteral("Char Size"), charSize_);
  form->addRow(QStringLiteral("Mode"), mode_);
  form->addRow(QStringLiteral("Backgroud Color"), background_);
  form->addRow(QStringLiteral("PAL"), pal);
  form->addRow(QString(), reduce_);
  form->addRow(UiText("抖动"), dither_);
  auto* buttons = new QHBoxLayout;
  auto* next = new QPushButton(QStringLiteral("Next"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  next->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(next);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  for (QSpinBox* box : {x_, y_, width_, high_})
    connect(box, &QSpinBox::valueChanged, this, &TransformationDialog::OnFieldEdited);
  connect(colourSpace_, &QComboBox::currentIndexChanged, this, &TransformationDialog::UpdateCounts);
  connect(charSize_, &QComboBox::currentIndexChanged, this, &TransformationDialog::OnBlockChosen);
  connect(next, &QPushButton::clicked, this, &TransformationDialog::OnNext);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // A rectangle chosen with the Select tool beforehand is the area to convert.
  const AreaRect selected = document_.Area();
  const AreaRect whole{0, 0, picture.width, picture.height};
  if (selected.Width() > 0 && selected.Height() > 0 && !(selected == whole)) {
    const AreaRect area = SnapToPictureCells(selected, picture.width, picture.height);
    areaChosen_ = true;
    document_.SetArea(area);
    ShowArea(area);
  } else {
    document_.SetArea({0, 0, defaults.area.right, defaults.area.bottom});
  }
  UpdateCounts();
}

// The whole picture stays whole under another block size until the user sets an area.
void TransformationDialog::OnBlockChosen() {
  if (areaChosen_) {
    AreaFitsBlocks();
    return;
  }
  const WorkArea whole = WholePictureArea(document_.View(), charSize_->currentIndex());
  const AreaRect area{whole.left, whole.top, whole.right, whole.bottom};
  document_.SetArea(area);
  ShowArea(area);
  Q_EMIT areaEdited();
}

void TransformationDialog::UpdateCounts() {
  used_->setText(QString::number(document_.Colours().size()));
  available_->setText(
      QString::number(document_.AvailableColourCount(colourSpace_->currentIndex())));
}

void TransformationDialog::SetArea(const AreaRect& area) {
  areaChosen_ = true;
  ShowArea(area);
}

void TransformationDialog::ShowArea(const AreaRect& area) {
  syncing_ = true;
  x_->setValue(area.left);
  y_->setValue(area.top);
  width_->setValue(area.Width());
  high_->setValue(area.Height());
  syncing_ = false;
  UpdateCounts();
}

// X and Y move the left and top edges; Width and High set the right and bottom ones.
void TransformationDialog::OnFieldEdited() {
  if (syncing_) return;
  areaChosen_ = true;
  AreaRect area = document_.Area();
  if (sender() == x_) area.left = x_->value();
  if (sender() == y_) area.top = y_->value();
  if (sender() == width_) area.right = area.left + width_->value();
  if (sender() == high_) area.bottom = area.top + high_->value();
  document_.SetArea(area);
  UpdateCounts();
  Q_EMIT areaEdited();
}

bool TransformationDialog::AreaFitsBlocks() {
  const WorkArea area{0, 0, width_->value(), high_->value()};
  const Result fits = CheckAreaFitsBlocks(area, charSize_->currentIndex());
  if (fits) return true;
  prompts_.Message(this, QString::fromStdString(fits.message));
  return false;
}

bool TransformationDialog::ReadSettings(ConversionSettings& s) {
  if (!AreaFitsBlocks()) return false;
  uint32_t begin = 0, end = 0;
  Result read = ReadHexField(start_->text().toStdString(), kLargestAddress, "Start Address", begin);
  if (read) read = ReadHexField(end_->text().toStdString(), kLargestAddress, "End Address", end);
  if (!read) {
    prompts_.Message(this, QString::fromStdString(read.message));
    return false;
  }
  s.area = {x_->value(), y_->value(), x_->value() + width_->value(), y_->value() + high_->value()};
  s.colourSpace = static_cast<uint8_t>(colourSpace_->currentIndex());
  s.colourMode = static_cast<uint8_t>(colourSum_->currentIndex());
  s.blockMode = static_cast<uint8_t>(charSize_->currentIndex());
  s.compressMode = static_cast<uint8_t>(mode_->currentIndex());
  s.beginAddress = static_cast<uint16_t>(begin);
  s.endAddress = static_cast<uint16_t>(end);
  s.background = backgroundRgb_;
  s.reduce.reduce = reduce_->isChecked();
  s.reduce.dither = static_cast<Dither>(dither_->currentIndex());
  s.reduce.chooseBackground = !backgroundPicked_;
  return true;
}

void TransformationDialog::Restore(const ConversionSettings& s, bool samePicture) {
  colourSpace_->setCurrentIndex(s.colourSpace);
  colourSum_->setCurrentIndex(s.colourMode);
  charSize_->setCurrentIndex(s.blockMode);
  mode_->setCurrentIndex(s.compressMode);
  start_->setText(QString::number(s.beginAddress, 16).toUpper());
  end_->setText(QString::number(s.endAddress, 16).toUpper());
  reduce_->setChecked(s.reduce.reduce);
  dither_->setCurrentIndex(static_cast<int>(s.reduce.dither));
  backgroundPicked_ = !s.reduce.chooseBackground;
  if (backgroundPicked_) backgroundRgb_ = s.background;
  const Picture& picture = document_.View();
  const WorkArea whole = WholePictureArea(picture, s.blockMode);
  if (samePicture && !areaChosen_ && s.area.left < s.area.right && s.area.top < s.area.bottom &&
      s.area.right <= whole.right && s.area.bottom <= whole.bottom) {
    const AreaRect area{s.area.left, s.area.top, s.area.right, s.area.bottom};
    areaChosen_ = true;
    document_.SetArea(area);
    ShowArea(area);
    Q_EMIT areaEdited();
  }
}

void TransformationDialog::OnNext() {
  ConversionSettings settings;
  if (!ReadSettings(settings)) return;
  // The window closes the dialog once the conversion has succeeded.
  Q_EMIT convertRequested(settings);
}

}  // namespace tilvex::ui
