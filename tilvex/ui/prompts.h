#pragma once
// Every modal question Tilvex's window asks goes through one object, so tests can answer in
// place of a user and nothing blocks.
#include <QColor>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "common/result.h"

class QAction;
class QDialog;
class QMenu;
class QPoint;
class QWidget;

namespace tilvex::ui {

// A file dialog: title, filters in order, the filter chosen first, default suffix.
struct FileRequest {
  QString title;
  QStringList filters;
  int filterIndex = 0;
  QString defaultSuffix;
  QString initialName;
  bool save = false;
};

struct FileAnswer {
  QString path;  // empty when cancelled
  int filterIndex = 0;
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual void Message(QWidget* parent, const QString& text);
  // Yes, No or Cancel.
  virtual QMessageBox::StandardButton AskSave(QWidget* parent, const QString& text);
  virtual FileAnswer ChooseFile(QWidget* parent, const FileRequest& request);
  // An existing folder, starting at initial; empty when cancelled.
  virtual QString ChooseDirectory(QWidget* parent, const QString& title, const QString& initial);
  virtual int Exec(QDialog& dialog);
  virtual QAction* ExecMenu(QMenu& menu, const QPoint& globalPosition);
  virtual std::optional<QColor> ChooseColour(QWidget* parent, const QColor& initial);
  virtual void Beep();

  // A failure reaches the user with its message (else its detail); success shows nothing.
  // Cancelled work never gets here: it is a value of the work's result.
  void ShowFailure(QWidget* parent, const common::Result& result);

  // The question before unsaved work is dropped: Yes saves (and goes on only when that
  // worked), No goes on, Cancel stops. True to go on.
  bool MayDropChanges(QWidget* parent, const QString& question, const std::function<bool()>& save);
};

}  // namespace tilvex::ui
