#pragma once
// Answers the window's questions in place of a user, so no test ever blocks.
#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "prompts.h"

namespace tilvex::ui {

class FakePrompts : public Prompts {
 public:
  void Message(QWidget*, const QString& text) override { messages << text; }
  QMessageBox::StandardButton AskSave(QWidget*, const QString& text) override {
    questions << text;
    return saveAnswer;
  }
  FileAnswer ChooseFile(QWidget*, const FileRequest& request) override {
    requests.push_back(request);
    if (files.empty()) return {};
    FileAnswer answer{files.front(), request.filterIndex};
    files.pop_front();
    return answer;
  }
  QString ChooseDirectory(QWidget*, const QString&, const QString& initial) override {
    directoryStarts << initial;
    if (directories.empty()) return {};
    const QString answer = directories.front();
    directories.pop_front();
    return answer;
  }
  int Exec(QDialog& dialog) override {
    dialogTitles << dialog.windowTitle();
    return onExec ? onExec(dialog) : QDialog::Rejected;
  }
  QAction* ExecMenu(QMenu& menu, const QPoint&) override {
    menuEnabled.clear();
    for (QAction* a : menu.actions()) menuEnabled << a->isEnabled();
    for (QAction* a : menu.actions()) {
      if (a->text() == menuChoice) return a;
    }
    return nullptr;
  }
  std::optional<QColor> ChooseColour(QWidget*, const QColor&) override {
    ++colourDialogs;
    return colour;
  }
  void Beep() override { ++beeps; }

  QStringList messages;
  QStringList questions;
  QStringList dialogTitles;
  QMessageBox::StandardButton saveAnswer = QMessageBox::Cancel;
  std::deque<QString> files;
  std::vector<FileRequest> requests;
  std::deque<QString> directories;
  QStringList directoryStarts;  // where each folder prompt began
  std::function<int(QDialog&)> onExec;
  QString menuChoice;
  QList<bool> menuEnabled;
  std::optional<QColor> colour;
  int colourDialogs = 0;
  int beeps = 0;
};

}  // namespace tilvex::ui
