#pragma once

#include <QString>

class QAction;
class QDialog;
class QMenu;
class QPoint;
class QWidget;

namespace romvane {

// A file dialog request: title, filter ("Name(*.ext)"), default suffix, initial name.
struct FileRequest {
  QString title;
  QString filter;
  QString defaultSuffix;
  QString initialName;
  bool save = false;
};

// Every modal question the window asks goes through one object, so tests can answer
// in place of a user and nothing blocks.
class Prompts {
 public:
  virtual ~Prompts() = default;
  // A modal message box with an OK button and the platform's default caption.
  virtual void Message(QWidget* parent, const QString& text);
  // The chosen file's full path, or empty when the user cancelled.
  virtual QString ChooseFile(QWidget* parent, const FileRequest& request);
  // Runs a dialog modally and gives its result code.
  virtual int Exec(QDialog& dialog);
  // Shows a popup menu at a screen position and gives the chosen action, if any.
  virtual QAction* ExecMenu(QMenu& menu, const QPoint& globalPosition);
};

}  // namespace romvane
