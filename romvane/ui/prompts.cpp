#include "prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

namespace romvane {

void Prompts::Message(QWidget* parent, const QString& text) {
  // The messages end with a line break of their own; the box does not need it.
  QString shown = text;
  while (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
  QMessageBox box(QMessageBox::NoIcon, QString(), shown, QMessageBox::Ok, parent);
  box.exec();
}

QString Prompts::ChooseFile(QWidget* parent, const FileRequest& request) {
  QFileDialog dialog(parent, request.title, QString(), request.filter);
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
