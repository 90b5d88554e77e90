#include "pal_setup_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/document.h"
#include "prompts.h"
#include "qt_colour.h"
#include "ui_text.h"

namespace tilvex::ui {
namespace {

const char kPaletteFilter[] = "调色板文件(*.pal)";

}  // namespace

SlotGrid::SlotGrid(SlotTable& table, Prompts& prompts, QWidget* parent)
    : QWidget(parent), table_(table), prompts_(prompts) {
  setFixedSize(2 + 16 * 22 + 2, 2 + 16 * 14 + 2);
}

QRect SlotGrid::CellRect(int slot) {
  return {2 + (slot % 16) * 22, 2 + (slot / 16) * 14, 21, 13};
}

int SlotGrid::SlotAt(const QPoint& point) const {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (CellRect(slot).contains(point)) return slot;
  }
  return -1;
}

void SlotGrid::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const Slot& s = table_.slots[size_t(slot)];
    const QRect r = CellRect(slot);
    if (s.used) {
      painter.fillRect(r, ToQColor(s.rgb));
    } else {
      painter.fillRect(r, Qt::white);
      painter.fillRect(r, QBrush(Qt::black, Qt::DiagCrossPattern));
    }
  }
}

void SlotGrid::mousePressEvent(QMouseEvent* event) {
  const int slot = SlotAt(event->position().toPoint());
  if (slot < 0) return;
  if (event->button() == Qt::LeftButton) dragSource_ = slot;
  if (event->button() == Qt::RightButton)
    RowMenu(slot / kSlotsPerPalette, event->globalPosition().toPoint());
}

void SlotGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || dragSource_ < 0) return;
  const int target = SlotAt(event->position().toPoint());
  if (target >= 0 && target != dragSource_) SwapSlots(table_, dragSource_, target);
  dragSource_ = -1;
  update();
}

void SlotGrid::RowMenu(int row, const QPoint& globalPosition) {
  QMenu menu(this);
  QAction* clear = menu.addAction(QStringLiteral("Line clear"));
  QAction* cut = menu.addAction(QStringLiteral("Line cut"));
  QAction* copy = menu.addAction(QStringLiteral("Line Copy"));
  QAction* paste = menu.addAction(QStringLiteral("Line paste"));
  paste->setEnabled(clipboard_.holdsRow);
  QAction* chosen = prompts_.ExecMenu(menu, globalPosition);
  if (!chosen || !chosen->isEnabled()) return;
  if (chosen == copy || chosen == cut) CopyRow(table_, row, clipboard_);
  if (chosen == clear || chosen == cut) ClearRow(table_, row);
  if (chosen == paste) PasteRow(table_, row, clipboard_);
  update();
}

PalSetupDialog::PalSetupDialog(SlotTable& table, Prompts& prompts, QWidget* parent)
    : QDialog(parent), table_(table), prompts_(prompts) {
  setWindowTitle(QStringLiteral("VT03 PAL Setup"));
  auto* group = new QGroupBox(QStringLiteral("PAL"), this);
  auto* grid = new QGridLayout(group);
  grid_ = new SlotGrid(table, prompts, group);
  auto* labels = new QVBoxLayout;
  labels->setSpacing(0);
  labels->setContentsMargins(0, 2, 0, 2);
  for (int row = 0; row < kPaletteCount; ++row) {
    auto* label =
        new QLabel(QStringLiteral("%1").arg(row, 2, 16, QLatin1Char('0')).toUpper(), group);
    label->setFixedHeight(14);
    labels->addWidget(label);
  }
  grid->addLayout(labels, 0, 0);
  grid->addWidget(grid_, 0, 1);
  auto* buttons = new QHBoxLayout;
  const char* names[4] = {"Load", "Save", "Next", "Cancel"};
  QPushButton* button[4];
  for (int i = 0; i < 4; ++i) {
    button[i] = new QPushButton(QString::fromLatin1(names[i]), this);
    buttons->addWidget(button[i]);
  }
  button[2]->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);
  connect(button[0], &QPushButton::clicked, this, &PalSetupDialog::Load);
  connect(button[1], &QPushButton::clicked, this, &PalSetupDialog::Save);
  connect(button[2], &QPushButton::clicked, this, &QDialog::accept);
  connect(button[3], &QPushButton::clicked, this, &QDialog::reject);
}

void PalSetupDialog::Load() {
  FileRequest request{
      QStringLiteral("Load"), {UiText(kPaletteFilter)}, 0, QStringLiteral("pal"), {}, false};
  const QString path = prompts_.ChooseFile(this, request).path;
  if (path.isEmpty()) return;
  prompts_.ShowFailure(this, Document::LoadPaletteInto(path.toStdString(), table_));
  grid_->update();
}

// Saved palettes get the "pal" extension, so the Load filter finds them again.
void PalSetupDialog::Save() {
  FileRequest request{
      QStringLiteral("Save"), {UiText(kPaletteFilter)}, 0, QStringLiteral("pal"), {}, true};
  const QString path = prompts_.ChooseFile(this, request).path;
  if (path.isEmpty()) return;
  prompts_.ShowFailure(this, Document::SavePalette(path.toStdString(), table_));
}

}  // namespace tilvex::ui
