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
#include "background_work.h"
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
    UpdateTitle();
  }
}

// "name.pic* — Tilvex": the document's file and whether it has unsaved changes.
void MainWindow::UpdateTitle() {
  if (!document_.HasPicture()) {
    setWindowTitle(QStringLiteral("Tilvex"));
    return;
  }
  const QString mark = document_.IsModified() ? QStringLiteral("*") : QString();
  setWindowTitle(QString::fromStdString(document_.DisplayName()) + mark +
                 QStringLiteral(" \u2014 Tilvex"));
}

// The Edit menu names the step that Undo and Redo would take.
void MainWindow::UpdateHistoryActions() {
  const auto named = [](const char* command, const std::string& step, const char* key) {
    QString text = QString::fromUtf8(command);
    if (!step.empty()) text += QLatin1Char(' ') + QString::fromStdString(step);
    return text + QLatin1Char('\t') + QString::fromUtf8(key);
  };
  actions_.undo->setText(named("(&U)ndo", document_.UndoName(), "Ctrl+Z"));
  actions_.redo->setText(named("(&R)edo", document_.RedoName(), "Ctrl+Y"));
  actions_.undo->setEnabled(document_.CanUndo());
  actions_.redo->setEnabled(document_.CanRedo());
}

void MainWindow::OnUndo() {
  document_.Undo();
}

void MainWindow::OnRedo() {
  document_.Redo();
}

void MainWindow::ShowStatus(const QString& text) {
  statusBar()->showMessage(text);
}

bool MainWindow::OpenFile(const QString& name, bool remember) {
  if (busy_) return false;
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
    prompts_.Message(this, opened->message.empty() ? UiText("无法打开文档。\n%1").arg(path)
                                                   : QString::fromStdString(opened->message));
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
    if (!document_.Path().empty()) {
      prompts_.ShowFailure(this,
                           CannotSaveAs(document_.Path(), document_.Kind() == kBlockPictureKind));
    }
    return OnSaveAs();
  }
  const Result saved = document_.Save();
  prompts_.ShowFailure(this, saved);
  if (saved) ShowStatus(UiText("已保存 %1").arg(DocumentPath()));
  return saved.ok;
}

// A block picture saves as .pic, BMP or PNG; a plain picture as BMP or PNG.
bool MainWindow::OnSaveAs() {
  if (!document_.HasPicture()) return false;
  const bool block = document_.Kind() == kBlockPictureKind;
  FileRequest request{{}, {QStringLiteral("Bitmap(*.bmp)"), QStringLiteral("PNG(*.png)")},
                      0,  QStringLiteral("bmp"),
                      {}, true};
  if (block) {
    request.filters.prepend(QStringLiteral("Bitmap(*.pic)"));
    request.defaultSuffix = QStringLiteral("pic");
  }
  if (!document_.Path().empty()) request.initialName = ReplaceExtension(DocumentPath(), {});
  const QString path = prompts_.ChooseFile(this, request).path;
  if (path.isEmpty()) return false;
  if (!document_.CanSaveAs(path.toStdString())) {
    prompts_.ShowFailure(this, CannotSaveAs(path.toStdString(), block));
    return false;
  }
  const bool imageOnly = document_.SavesOnlyTheImage(path.toStdString());
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Result saved = document_.SaveAs(path.toStdString());
  QApplication::restoreOverrideCursor();
  prompts_.ShowFailure(this, saved);
  if (!saved) return false;
  if (imageOnly) {
    ShowStatus(UiText("已保存图像 %1;块数据(图块、调色板、单元格)尚未保存,请另存为 .pic。").arg(path));
    return false;  // the block data is still unsaved
  }
  AddRecent(path);
  ShowStatus(UiText("已保存 %1").arg(path));
  return true;
}

bool MainWindow::MaybeSave() {
  if (!document_.IsModified()) return true;
  const QString name = QString::fromStdString(document_.DisplayName());
  return prompts_.MayDropChanges(this, UiText("是否保存对 %1 的修改?").arg(name),
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
