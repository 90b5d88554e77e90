// The main window's file commands and how it follows the document: New, Open, Save, Save As,
// the question before unsaved work is dropped, undo and redo, the title.
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "app/picture_files.h"
#include "main_window.h"
#include "palette_bar.h"
#include "project_view.h"
#include "prompts.h"
#include "small_dialogs.h"
#include "ui_text.h"

namespace tilvex::ui {

void MainWindow::DocumentChanged(unsigned changes) {
  if (changes & kPictureChanged) view_->PictureChanged();
  if (changes & kStateChanged) {
    UpdateReadOuts();  // a new picture lies under a mouse that has not moved
    bar_->SetInformation(QString::fromStdString(document_.InfoText()));
    bar_->Repaint();
    UpdateCommands();
    setWindowTitle(QString::fromStdString(WindowTitle(document_)));
  }
}

void MainWindow::ShowStatus(const QString& text) {
  statusBar()->showMessage(text);
}

bool MainWindow::OpenFile(const QString& name, bool remember) {
  const QString path = QFileInfo(name).absoluteFilePath();
  const std::string file = path.toStdString();
  const std::optional<Result> opened = RunWork(
      false,
      [&file](WorkSnapshot snapshot, Progress& progress) {
        return Document::PrepareOpen(file, snapshot, progress);
      },
      file);
  if (!opened) return false;
  // A file that cannot be read changes nothing: not the picture, the title or the list.
  if (!opened->ok) {
    prompts_.Message(this, QString::fromStdString(OpenFailureText(*opened, file)));
    return false;
  }
  statusBar()->showMessage(UiText("就绪"));
  // The Transformation dialog's area belonged to the picture just replaced.
  if (transformation_) transformation_->close();
  if (remember) pathName_ = path;
  AddRecent(path);
  OnNormalZoom();
  return true;
}

void MainWindow::OnNew() {
  if (!MaybeSave()) return;
  NewPictureDialog dialog(this);
  if (newWidth_ > 0) dialog.width->setValue(newWidth_);
  if (newHeight_ > 0) dialog.high->setValue(newHeight_);
  if (prompts_.Exec(dialog) != QDialog::Accepted) return;
  newWidth_ = dialog.width->value();
  newHeight_ = dialog.high->value();
  if (transformation_) transformation_->close();
  prompts_.ShowFailure(this, document_.New(newWidth_, newHeight_));
  OnNormalZoom();
}

void MainWindow::OnOpen() {
  if (!MaybeSave()) return;
  FileRequest request{UiText("打开图像文件"), PromptFilters(true), openFilterIndex_, {}, {}, false};
  const FileAnswer answer = prompts_.ChooseFile(this, request);
  if (answer.path.isEmpty()) return;
  openFilterIndex_ = std::max(0, answer.filterIndex);
  OpenFile(answer.path);
}

// A file of a type the document cannot be written as (JPEG, GIF, ...) is not overwritten:
// the user is told and asked for another name.
bool MainWindow::OnSave() {
  if (!document_.HasPicture()) return false;
  if (!document_.CanSave()) {
    if (!document_.Path().empty())
      prompts_.ShowFailure(this, SaveAsRefusal(document_, document_.Path()));
    return OnSaveAs();
  }
  const Result saved = document_.Save();
  prompts_.ShowFailure(this, saved);
  if (saved) ShowStatus(QString::fromStdString(SavedText(document_.Path(), false)));
  return saved.ok;
}

// A block picture saves as .pic, BMP or PNG; a plain picture as BMP or PNG.
bool MainWindow::OnSaveAs() {
  if (!document_.HasPicture()) return false;
  const SaveAsOffer offer = SaveAsOfferFor(document_);
  const FileRequest request{{},
                            ToQStringList(offer.filters),
                            0,
                            QString::fromStdString(offer.defaultSuffix),
                            QString::fromStdString(offer.initialName),
                            true};
  const QString path = prompts_.ChooseFile(this, request).path;
  if (path.isEmpty()) return false;
  const std::string file = path.toStdString();
  if (const Result refused = SaveAsRefusal(document_, file); !refused) {
    prompts_.ShowFailure(this, refused);
    return false;
  }
  const bool imageOnly = document_.SavesOnlyTheImage(file);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Result saved = document_.SaveAs(file);
  QApplication::restoreOverrideCursor();
  prompts_.ShowFailure(this, saved);
  if (!saved) return false;
  ShowStatus(QString::fromStdString(SavedText(file, imageOnly)));
  if (imageOnly) return false;  // the block data is still unsaved
  AddRecent(path);
  return true;
}

bool MainWindow::MaybeSave() {
  if (!document_.IsModified()) return true;
  return prompts_.MayDropChanges(this, QString::fromStdString(SaveChangesQuestion(document_)),
                                 [this] { return OnSave(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (busy_ || !MaybeSave() || !tree_->MaybeSave()) {
    event->ignore();
    return;
  }
  if (transformation_) transformation_->close();
  settings_.setValue(QStringLiteral("WindowGeometry"), saveGeometry());
  settings_.setValue(QStringLiteral("WindowState"), saveState());
  settings_.setValue(QStringLiteral("ToolBoxGeometry"), toolBox_->saveGeometry());
  event->accept();
}

// A picture file dropped on the window opens as through Open.
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!busy_ && event->mimeData()->hasUrls() && event->mimeData()->urls().first().isLocalFile())
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (busy_ || urls.isEmpty() || !urls.first().isLocalFile()) return;
  event->acceptProposedAction();
  const QString path = urls.first().toLocalFile();
  // The question and the opening wait until the drop has finished.
  QTimer::singleShot(0, this, [this, path] {
    if (MaybeSave()) OpenFile(path);
  });
}

void MainWindow::OnRefresh() {
  if (pathName_.isEmpty() || !MaybeSave()) return;
  OpenFile(pathName_);
}

}  // namespace tilvex::ui
