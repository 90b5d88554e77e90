// The main window's command handlers: the document commands, conversion and output.
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDockWidget>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>

#include "about_dialog.h"
#include "main_window.h"
#include "pal_setup_dialog.h"
#include "palette_bar.h"
#include "progress_window.h"
#include "project_view.h"
#include "prompts.h"
#include "small_dialogs.h"
#include "transformation_dialog.h"
#include "ui_text.h"

namespace tilvex::ui {
namespace {

QString WithoutExtension(const QString& path) {
  const QFileInfo info(path);
  if (info.suffix().isEmpty()) return path;
  return path.left(path.size() - info.suffix().size() - 1);
}

}  // namespace

void MainWindow::ConnectView() {
  connect(view_, &PictureView::zoomChanged, this, &MainWindow::UpdateZoomChecks);
  connect(view_, &PictureView::normalZoomRequested, this, &MainWindow::OnNormalZoom);
  connect(view_, &PictureView::coloursPicked, this, [this] { bar_->Repaint(); });
  connect(view_, &PictureView::pictureModified, this, [this] { modified_ = true; });
  connect(view_, &PictureView::cellDoubleClicked, this, &MainWindow::EditCell);
  connect(view_, &PictureView::areaDragged, this, [this](const AreaRect& area) {
    if (transformation_) transformation_->SetArea(area);
    bar_->Repaint();
  });
}

void MainWindow::UpdateCommands() {
  Action(QStringLiteral("Output...\tF5"))->setEnabled(document_.IsBlockPicture());
  for (const char* text : {"(&T)ransform\tCtrl+T", "(&S)ave\tCtrl+S", "Save (&A)s..."})
    Action(QString::fromUtf8(text))->setEnabled(document_.HasPicture());
}

void MainWindow::UpdateZoomChecks() {
  const Zoom zoom = view_->CurrentZoom();
  for (int n = 2; n <= kMaxZoom; ++n) {
    zoomInActions_[n - 2]->setChecked(zoom.magnify && zoom.zoomIn == n);
    zoomOutActions_[n - 2]->setChecked(!zoom.magnify && zoom.zoomOut == n);
  }
  normalAction_->setChecked(zoom.IsNormal());
}

void MainWindow::UpdateReadOuts() {
  Rgb rgb = 0;
  int x = 0, y = 0;
  const bool over = view_->PixelUnderMouse(rgb, x, y);
  bar_->ShowPixel(over, rgb, x, y);
}

void MainWindow::AddRecent(const QString& path) {
  recent_.removeAll(path);
  recent_.prepend(path);
  recent_ = recent_.mid(0, 4);
  settings_.setValue(QStringLiteral("RecentFiles"), recent_);
  RebuildRecentMenu();
}

void MainWindow::RebuildRecentMenu() {
  recentMenu_->clear();
  for (int i = 0; i < recent_.size(); ++i) {
    const QString path = recent_[i];
    QAction* action = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
    connect(action, &QAction::triggered, this, [this, path] {
      if (MaybeSave()) OpenFile(path, false);
    });
  }
  recentMenu_->setEnabled(!recent_.isEmpty());
}

void MainWindow::ShowDocumentState() {
  bar_->SetInformation(QString::fromStdString(document_.InfoText()));
  bar_->Repaint();
  view_->PictureChanged();
  UpdateCommands();
}

bool MainWindow::OpenFile(const QString& name, bool remember) {
  const QString path = QFileInfo(name).absoluteFilePath();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Outcome opened = document_.Open(path.toStdString());
  QApplication::restoreOverrideCursor();
  if (!opened.ok) {
    prompts_.Message(this, opened.message.empty() ? UiText("无法打开文档。\n%1").arg(path)
                                                  : QString::fromStdString(opened.message));
    return false;
  }
  if (!opened.message.empty()) prompts_.Message(this, QString::fromStdString(opened.message));
  // The Transformation dialog's area belonged to the picture just replaced.
  if (transformation_) transformation_->close();
  if (remember) pathName_ = path;
  documentPath_ = path;
  modified_ = false;
  AddRecent(path);
  ShowDocumentState();
  OnNormalZoom();
  return true;
}

void MainWindow::OnNew() {
  NewPictureDialog dialog(this);
  if (prompts_.Exec(dialog) != QDialog::Accepted) return;
  newWidth_ = dialog.width->value();
  newHeight_ = dialog.high->value();
}

void MainWindow::OnOpen() {
  if (!MaybeSave()) return;
  FileRequest request{UiText("打开图像文件"), PromptFilters(true), openFilterIndex_, {}, {}, false};
  const FileAnswer answer = prompts_.ChooseFile(this, request);
  if (answer.path.isEmpty()) return;
  openFilterIndex_ = std::max(0, answer.filterIndex);
  OpenFile(answer.path);
}

bool MainWindow::OnSave() {
  if (documentPath_.isEmpty()) return OnSaveAs();
  return SaveTo(documentPath_);
}

// The kind of picture decides the choice: a plain picture saves as BMP only.
bool MainWindow::OnSaveAs() {
  FileRequest request{{}, {QStringLiteral("Bitmap(*.bmp)")}, 0, QStringLiteral("bmp"), {}, true};
  if (document_.Kind() != -1) {
    request.filters.prepend(QStringLiteral("Bitmap(*.pic)"));
    request.defaultSuffix = QStringLiteral("pic");
  }
  if (!documentPath_.isEmpty()) request.initialName = WithoutExtension(documentPath_);
  const QString path = prompts_.ChooseFile(this, request).path;
  return !path.isEmpty() && SaveTo(path);
}

bool MainWindow::SaveTo(const QString& path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Outcome saved = document_.Save(path.toStdString());
  QApplication::restoreOverrideCursor();
  if (!saved.ok) {
    prompts_.Message(this, QString::fromStdString(saved.message));
    return false;
  }
  modified_ = false;
  return true;
}

bool MainWindow::MaybeSave() {
  if (!modified_) return true;
  const QString name =
      documentPath_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(documentPath_).fileName();
  switch (prompts_.AskSave(this, UiText("是否保存对 %1 的修改?").arg(name))) {
    case QMessageBox::Yes:
      return OnSave();
    case QMessageBox::No:
      return true;
    default:
      return false;
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!MaybeSave() || !tree_->MaybeSave()) {
    event->ignore();
    return;
  }
  if (transformation_) transformation_->close();
  event->accept();
}

void MainWindow::OnRefresh() {
  if (pathName_.isEmpty() || !MaybeSave()) return;
  OpenFile(pathName_);
}

void MainWindow::OnTransform() {
  if (transformation_) {
    transformation_->raise();
    transformation_->activateWindow();
    return;
  }
  transformation_ = new TransformationDialog(document_, prompts_, this);
  transformation_->setAttribute(Qt::WA_DeleteOnClose);
  view_->SetAreaSelection(true);
  connect(transformation_, &QDialog::finished, this, [this] { view_->SetAreaSelection(false); });
  connect(transformation_, &TransformationDialog::areaEdited, this, [this] {
    view_->viewport()->update();
    bar_->Repaint();
  });
  connect(transformation_, &TransformationDialog::convertRequested, this,
          &MainWindow::RunConversion, Qt::QueuedConnection);
  // Beside the picture, so the area can be dragged while the dialog is open.
  transformation_->adjustSize();
  const QRect frame = geometry();
  transformation_->move(frame.right() - transformation_->width(), frame.top());
  transformation_->show();
  view_->viewport()->update();
  bar_->Repaint();
}

void MainWindow::RunConversion(const ConversionSettings& settings) {
  ProgressWindow progress(this, settings.reduce.reduce);
  auto review = [this](SlotTable& table) {
    PalSetupDialog dialog(table, prompts_, this);
    return prompts_.Exec(dialog) == QDialog::Accepted;
  };
  const Outcome converted = document_.Convert(settings, review, progress);
  progress.Close();
  if (!converted.ok) {
    if (!converted.message.empty())
      prompts_.Message(this, QString::fromStdString(converted.message));
    return;
  }
  ConversionFinished();
}

// The converted picture is an unsaved block picture whose path already ends in ".pic".
void MainWindow::ConversionFinished() {
  if (!documentPath_.isEmpty()) {
    documentPath_ = WithoutExtension(documentPath_) + QStringLiteral(".pic");
    AddRecent(documentPath_);
  }
  modified_ = false;
  ShowDocumentState();
  OnNormalZoom();
}

void MainWindow::OnOutput() {
  if (!document_.IsBlockPicture()) return;
  FileOutputDialog dialog(prompts_, this);
  const QString base = WithoutExtension(documentPath_);
  dialog.pgtFile->setText(base + QStringLiteral("_pgt.bin"));
  dialog.pntFile->setText(base + QStringLiteral("_pnt.asm"));
  dialog.segment->setValue(document_.Header().outSegment);
  dialog.level->setValue(document_.Header().outLevel);
  if (prompts_.Exec(dialog) != QDialog::Accepted) return;
  document_.SetOutputNumbers(dialog.segment->value(), dialog.level->value());
  ProgressWindow progress(this);
  const Outcome written = document_.WriteOutput(
      dialog.pgtFile->text().toStdString(), dialog.pntFile->text().toStdString(),
      dialog.assembler->isChecked(), dialog.sixteenBit->isChecked(), progress);
  progress.Close();
  if (!written.ok) prompts_.Message(this, QString::fromStdString(written.message));
}

// The adaptation repaints the picture with colours the console can show; the picture then
// differs from its file, so it counts as changed.
void MainWindow::Adapt(Adaptation which) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Outcome adapted = document_.Adapt(which);
  QApplication::restoreOverrideCursor();
  if (!adapted.ok) prompts_.Message(this, QString::fromStdString(adapted.message));
  modified_ = true;
  bar_->Repaint();
  view_->PictureChanged();
}

void MainWindow::EditCell(int x, int y) {
  const CellInfo cell = document_.CellAt(x, y);
  if (cell.index < 0) return;
  PntAttribDialog dialog(cell.code, cell.attribute, document_.Header().address != 2, this);
  if (prompts_.Exec(dialog) != QDialog::Accepted) return;
  document_.SetCell(cell.index, dialog.Code(), dialog.Attribute());
  modified_ = true;
  view_->PictureChanged();
}

void MainWindow::OnNormalZoom() {
  view_->SetZoom(Zoom::Normal());
}

void MainWindow::OnNextPane() {
  (view_->hasFocus() ? static_cast<QWidget*>(tree_) : static_cast<QWidget*>(view_))->setFocus();
}

void MainWindow::OnAbout() {
  AboutDialog dialog(prompts_, this);
  prompts_.Exec(dialog);
}

}  // namespace tilvex::ui
