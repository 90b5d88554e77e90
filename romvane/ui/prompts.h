#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

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
  QString folder;  // where the dialog opens, when set
};

// Every modal question the window asks goes through one object, so tests can answer
// in place of a user and nothing blocks.
class Prompts {
 public:
  virtual ~Prompts() = default;
  // A modal message box with an OK button and the platform's default caption.
  virtual void Message(QWidget* parent, const QString& text);
  // A modal question; gives the button pressed (Cancel when the box was closed).
  virtual QMessageBox::StandardButton Ask(QWidget* parent, const QString& text,
                                          QMessageBox::StandardButtons buttons);
  // The chosen file's full path, or empty when the user cancelled.
  virtual QString ChooseFile(QWidget* parent, const FileRequest& request);
  // Existing files to open, several at once; empty when the user cancelled.
  virtual QStringList ChooseFiles(QWidget* parent, const FileRequest& request);
  // Runs a dialog modally and gives its result code.
  virtual int Exec(QDialog& dialog);
  // Shows a popup menu at a screen position and gives the chosen action, if any.
  virtual QAction* ExecMenu(QMenu& menu, const QPoint& globalPosition);
};

}  // namespace romvane
