#include "pal_process_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "app/document.h"
#include "colour_box.h"
#include "prompts.h"
#include "qt_colour.h"
#include "ui_text.h"

namespace tilvex::ui {
namespace {

constexpr int kMinLevel = 1;
constexpr int kMaxLevel = 255;

}  // namespace

PalProcessDialog::PalProcessDialog(Document& document, Prompts& prompts, QWidget* parent)
    : QDialog(parent), document_(document), prompts_(prompts) {
  setWindowTitle(QStringLiteral("PAL process"));
  palFile = new QLineEdit(this);
  auto* browse = new QPushButton(QStringLiteral("Brows"), this);
  connect(browse, &QPushButton::clicked, this, &PalProcessDialog::Browse);
  swatch = new ColourBox([this] { return ToQColor(target_); }, QSize(40, 40), this,
                         [this] { ChooseTarget(); });
  targetText_ = new QLabel(this);
  level = new QSpinBox(this);
  // The range the spin arrows reach includes 0 so that OK can refuse it with a message.
  level->setRange(0, kMaxLevel);
  level->setValue(kMinLevel);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &PalProcessDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("PAL File:"), this), 0, 0);
  grid->addWidget(palFile, 0, 1);
  grid->addWidget(browse, 0, 2);
  grid->addWidget(swatch, 1, 0);
  grid->addWidget(targetText_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Level"), this), 2, 0);
  grid->addWidget(level, 2, 1);
  grid->addWidget(buttons, 3, 0, 1, 3);
  targetText_->setText(TargetText());
}

QString PalProcessDialog::TargetText() const {
  return QStringLiteral("R=%1\nG=%2\nB=%3")
      .arg(RedOf(target_))
      .arg(GreenOf(target_))
      .arg(BlueOf(target_));
}

void PalProcessDialog::Browse() {
  FileRequest request{
      QStringLiteral("Open"), {UiText("调色板文件(*.pal)")}, 0, QStringLiteral("pal"), {}, false};
  const QString path = prompts_.ChooseFile(this, request).path;
  if (!path.isEmpty()) palFile->setText(path);
}

void PalProcessDialog::ChooseTarget() {
  std::optional<QColor> colour = prompts_.ChooseColour(this, Qt::black);
  if (!colour) return;
  target_ = FromQColor(*colour);
  targetText_->setText(TargetText());
  swatch->update();
}

void PalProcessDialog::accept() {
  const int levels = level->value();
  if (levels < kMinLevel || levels > kMaxLevel) {
    prompts_.Message(this, UiText("请输入 %1 到 %2 之间的整数。").arg(kMinLevel).arg(kMaxLevel));
    level->setFocus();
    return;
  }
  if (palFile->text().isEmpty()) {
    prompts_.Message(this, QStringLiteral("No PAL File Define!"));
    QDialog::reject();
    return;
  }
  const Result written =
      document_.WritePaletteSteps(palFile->text().toStdString(), target_, levels);
  prompts_.ShowFailure(this, written);
  // The steps go to the current folder, which the dialog never shows.
  if (written) Q_EMIT wrote(QDir::current().absoluteFilePath(QStringLiteral("PALStep.asm")));
  QDialog::accept();
}

void RunPaletteTool(Document& document, Prompts& prompts, QWidget* parent,
                    const std::function<void(const QString&)>& report) {
  PalProcessDialog dialog(document, prompts, parent);
  QObject::connect(&dialog, &PalProcessDialog::wrote,
                   [&report](const QString& path) { report(UiText("已写出 %1").arg(path)); });
  prompts.Exec(dialog);
}

}  // namespace tilvex::ui
