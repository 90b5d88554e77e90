#include "prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QMenu>
#include <QMessageBox>
#include <QSpacerItem>
#include "ui_text.h"

namespace romvane {
namespace {

// The window manager shortens a caption wider than its box; a short message would
// leave only a few letters of the program's name.
void FitCaption(QMessageBox& box) {
  const QString caption =
      box.windowTitle().isEmpty() ? QApplication::applicationName() : box.windowTitle();
  const int wanted = box.fontMetrics().horizontalAdvance(caption) + 8 * box.fontMetrics().height();
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
}

// Buttons in the window's language, whether or not Qt's own translation is installed.
void NameButtons(QMessageBox& box) {
  const struct {
    QMessageBox::StandardButton button;
    const char* text;
  } names[] = {{QMessageBox::Ok, "确定"},
               {QMessageBox::Save, "保存"},
               {QMessageBox::Discard, "不保存"},
               {QMessageBox::Cancel, "取消"}};
  for (const auto& n : names) {
    if (QAbstractButton* b = box.button(n.button)) b->setText(UiText(n.text));
  }
}

}  // namespace

void Prompts::Message(QWidget* parent, const QString& text) {
  // The messages end with a line break of their own; the box does not need it.
  QString shown = text;
  while (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
  QMessageBox box(QMessageBox::NoIcon, QString(), shown, QMessageBox::Ok, parent);
  NameButtons(box);
  FitCaption(box);
  box.exec();
}

QMessageBox::StandardButton Prompts::Ask(QWidget* parent, const QString& text,
                                         QMessageBox::StandardButtons buttons) {
  QMessageBox box(QMessageBox::Question, QString(), text, buttons, parent);
  NameButtons(box);
  FitCaption(box);
  const int pressed = box.exec();
  return buttons.testFlag(static_cast<QMessageBox::StandardButton>(pressed))
             ? static_cast<QMessageBox::StandardButton>(pressed)
             : QMessageBox::Cancel;
}

QStringList Prompts::ChooseFiles(QWidget* parent, const FileRequest& request) {
  QFileDialog dialog(parent, request.title, request.folder, request.filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString Prompts::ChooseFile(QWidget* parent, const FileRequest& request) {
  QFileDialog dialog(parent, request.title, request.folder, request.filter);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (!request.initialName.isEmpty()) dialog.selectFile(request.initialName);
  // A save asks before replacing an existing file (the dialog's default behaviour).
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

int Prompts::Exec(QDialog& dialog) {
  return dialog.exec();
}

QAction* Prompts::ExecMenu(QMenu& menu, const QPoint& globalPosition) {
  return menu.exec(globalPosition);
}

}  // namespace romvane
