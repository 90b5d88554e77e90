#include "prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMenu>

#include "app/document.h"
#include "ui_text.h"

namespace tilvex::ui {

void Prompts::ShowFailure(QWidget* parent, const common::Result& result) {
  if (result.ok) return;
  const std::string& text = result.Text();
  Message(parent, text.empty() ? UiText("操作失败。") : QString::fromStdString(text));
}

bool Prompts::MayDropChanges(QWidget* parent, const QString& question,
                             const std::function<bool()>& save) {
  switch (AskSave(parent, question)) {
    case QMessageBox::Yes:
      return save();
    case QMessageBox::No:
      return true;
    default:
      return false;
  }
}

void Prompts::Message(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QStringLiteral("Tilvex"), text);
}

QMessageBox::StandardButton Prompts::AskSave(QWidget* parent, const QString& text) {
  return QMessageBox::question(parent, QStringLiteral("Tilvex"), text,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

FileAnswer Prompts::ChooseFile(QWidget* parent, const FileRequest& request) {
  QFileDialog dialog(parent, request.title);
  dialog.setNameFilters(request.filters);
  if (request.filterIndex >= 0 && request.filterIndex < request.filters.size())
    dialog.selectNameFilter(request.filters[request.filterIndex]);
  dialog.setDefaultSuffix(request.defaultSuffix);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.initialName.isEmpty()) dialog.selectFile(request.initialName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return {dialog.selectedFiles().first(),
          static_cast<int>(request.filters.indexOf(dialog.selectedNameFilter()))};
}

QString Prompts::ChooseDirectory(QWidget* parent, const QString& title, const QString& initial) {
  return QFileDialog::getExistingDirectory(parent, title, initial);
}

int Prompts::Exec(QDialog& dialog) {
  return dialog.exec();
}

QAction* Prompts::ExecMenu(QMenu& menu, const QPoint& globalPosition) {
  return menu.exec(globalPosition);
}

std::optional<QColor> Prompts::ChooseColour(QWidget* parent, const QColor& initial) {
  QColor chosen = QColorDialog::getColor(initial, parent);
  if (!chosen.isValid()) return std::nullopt;
  return chosen;
}

void Prompts::Beep() {
  QApplication::beep();
}

}  // namespace tilvex::ui
