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
#include "qt_launcher.h"

namespace romvane {

class FakePrompts : public Prompts {
 public:
  void Message(QWidget*, const QString& text) override { messages << text; }

  QMessageBox::StandardButton Ask(QWidget*, const QString& text,
                                  QMessageBox::StandardButtons) override {
    questions << text;
    return answer;
  }

  QString ChooseFile(QWidget*, const FileRequest& request) override {
    requests.push_back(request);
    if (files.empty()) return {};
    const QString answer = files.front();
    files.pop_front();
    return answer;
  }

  // Each answer is one queued entry of files, split at line feeds.
  QStringList ChooseFiles(QWidget* parent, const FileRequest& request) override {
    const QString answer = ChooseFile(parent, request);
    return answer.isEmpty() ? QStringList() : answer.split(QLatin1Char('\n'));
  }

  int Exec(QDialog& dialog) override {
    ++dialogsShown;
    return onExec ? onExec(dialog) : QDialog::Rejected;
  }

  QAction* ExecMenu(QMenu& menu, const QPoint&) override {
    menuTexts.clear();
    for (QAction* a : menu.actions())
      menuTexts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    for (QAction* a : menu.actions()) {
      if (a->text() == menuChoice) return a;
    }
    return nullptr;
  }

  QStringList messages;
  QStringList questions;
  QMessageBox::StandardButton answer = QMessageBox::Discard;
  std::deque<QString> files;
  std::vector<FileRequest> requests;
  std::function<int(QDialog&)> onExec;
  int dialogsShown = 0;
  QString menuChoice;
  QStringList menuTexts;
};

// Records every program started; the menu build script really runs.
class RecordingLauncher : public Launcher {
 public:
  bool Start(const Command& command) override {
    started.push_back(command);
    if (command.program == "sh") return real.Start(command);
    return emulatorStarts;
  }
  StartedProcess StartWatched(const Command& command) override {
    if (command.program != "sh" || !watchScripts) return Launcher::StartWatched(command);
    started.push_back(command);
    return real.StartWatched(command);
  }
  std::vector<Command> started;
  bool emulatorStarts = true;
  bool watchScripts = true;  // false: the build polls for the menu as with a plain start
  QtLauncher real;
};

}  // namespace romvane
