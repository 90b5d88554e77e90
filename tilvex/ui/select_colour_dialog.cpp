#include "select_colour_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "colour_box.h"
#include "colour_cells.h"
#include "qt_colour.h"

namespace tilvex::ui {
namespace {

constexpr int kPanelSide = 16 * 16 + 2 * 2;  // sixteen cells a row, sixteen rows

QString ValueTextOf(Rgb rgb) {
  return QStringLiteral("R=%1\nG=%2\nB=%3").arg(RedOf(rgb)).arg(GreenOf(rgb)).arg(BlueOf(rgb));
}

}  // namespace

ColourCellPanel::ColourCellPanel(const std::vector<Rgb>& colours, QWidget* parent)
    : QWidget(parent), colours_(colours) {
  setFixedSize(kPanelSide, kPanelSide);
}

QRect ColourCellPanel::CellRect(int index) const {
  const QRect cell = ColourCellRect(index, width());
  return cell.bottom() < height() ? cell : QRect();
}

int ColourCellPanel::CellAt(const QPoint& point) const {
  const int count = int(std::min<size_t>(colours_.size(), 256));
  for (int i = 0; i < count; ++i) {
    const QRect cell = CellRect(i);
    if (cell.isEmpty()) break;
    if (cell.contains(point)) return i;
  }
  return -1;
}

void ColourCellPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(192, 192, 192));
  const int count = int(std::min<size_t>(colours_.size(), 256));
  for (int i = 0; i < count; ++i) {
    const QRect cell = CellRect(i);
    if (cell.isEmpty()) break;
    p.fillRect(cell, ToQColor(colours_[size_t(i)]));
  }
}

void ColourCellPanel::mousePressEvent(QMouseEvent* event) {
  const int cell = CellAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && cell >= 0) Q_EMIT chosen(cell);
}

void ColourCellPanel::mouseDoubleClickEvent(QMouseEvent* event) {
  const int cell = CellAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && cell >= 0) Q_EMIT confirmed(cell);
}

SelectColourDialog::SelectColourDialog(const std::vector<Rgb>& colours, Rgb current,
                                       QWidget* parent)
    : QDialog(parent), colours_(colours), chosen_(current) {
  setWindowTitle(QStringLiteral("Select Color"));
  panel_ = new ColourCellPanel(colours, this);
  swatch_ = new ColourBox([this] { return ToQColor(chosen_); }, QSize(48, 48), this);
  value_ = new QLabel(ValueTextOf(chosen_), this);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(panel_, &ColourCellPanel::chosen, this, &SelectColourDialog::Choose);
  connect(panel_, &ColourCellPanel::confirmed, this, [this](int index) {
    Choose(index);
    accept();
  });
  auto* side = new QVBoxLayout;
  side->addWidget(swatch_);
  side->addWidget(value_);
  side->addStretch();
  side->addWidget(buttons);
  buttons->setOrientation(Qt::Vertical);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(panel_);
  layout->addLayout(side);
}

QString SelectColourDialog::ValueText() const {
  return value_->text();
}

void SelectColourDialog::Choose(int index) {
  chosen_ = colours_[size_t(index)];
  value_->setText(ValueTextOf(chosen_));
  swatch_->update();
}

}  // namespace tilvex::ui
