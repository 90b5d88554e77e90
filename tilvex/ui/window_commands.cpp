// The main window's command handlers: the document commands, conversion and output.
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDockWidget>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>

#include "about_dialog.h"
#include "background_work.h"
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

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

void MainWindow::ConnectView() {
  connect(view_, &PictureView::zoomChanged, this, &MainWindow::UpdateZoomChecks);
  connect(view_, &PictureView::normalZoomRequested, this, &MainWindow::OnNormalZoom);
  connect(view_, &PictureView::coloursPicked, this, [this] { bar_->Repaint(); });
  connect(view_, &PictureView::toolRefused, this, &MainWindow::ShowStatus);
  connect(view_, &PictureView::mouseMovedOver, this, &MainWindow::UpdateReadOuts);
  connect(view_, &PictureView::cellDoubleClicked, this, &MainWindow::EditCell);
  connect(view_, &PictureView::areaDragged, this, [this](const AreaRect& area) {
    if (transformation_) transformation_->SetArea(area);
    bar_->Repaint();
  });
}

void MainWindow::UpdateCommands() {
  // The preview and the emulator show a converted picture; a plain one has nothing to show.
  for (QAction* action : {actions_.output, actions_.tvEffect, actions_.emulate})
    action->setEnabled(document_.IsBlockPicture());
  for (QAction* action : {actions_.transform, actions_.save, actions_.saveAs})
    action->setEnabled(document_.HasPicture());
  UpdateHistoryActions();
}

void MainWindow::UpdateZoomChecks() {
  const Zoom zoom = view_->CurrentZoom();
  for (int n = 2; n <= kMaxZoom; ++n) {
    actions_.zoomIn[n - 2]->setChecked(zoom.magnify && zoom.zoomIn == n);
    actions_.zoomOut[n - 2]->setChecked(!zoom.magnify && zoom.zoomOut == n);
  }
  actions_.normalZoom->setChecked(zoom.IsNormal());
}

void MainWindow::UpdateReadOuts() {
  Rgb rgb = 0;
  int x = 0, y = 0;
  const bool over = view_->PixelUnderMouse(rgb, x, y);
  bar_->ShowPixel(over, rgb, x, y);
}

// The read-out follows the mouse over the view; the lock-key lights follow the keyboard and
// the window's activation. Nothing runs while the program is idle.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (busy_ && IsUserInput(event->type()) && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    return true;
  }
  switch (event->type()) {
    case QEvent::Leave:
      if (watched == view_->viewport()) UpdateReadOuts();
      break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock)
        UpdateIndicators();
      break;
    }
    case QEvent::WindowActivate:
      if (watched == this) UpdateIndicators();
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
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

void MainWindow::OnTransform() {
  if (transformation_) {
    transformation_->raise();
    transformation_->activateWindow();
    return;
  }
  transformation_ = new TransformationDialog(document_, prompts_, this);
  if (lastSettings_) transformation_->Restore(*lastSettings_);
  transformation_->setAttribute(Qt::WA_DeleteOnClose);
  view_->SetAreaSelection(true);
  connect(transformation_, &QDialog::finished, this, [this] { view_->SetAreaSelection(false); });
  connect(transformation_, &TransformationDialog::areaEdited, this, [this] {
    view_->viewport()->update();
    bar_->Repaint();
  });
  connect(transformation_, &TransformationDialog::convertRequested, this,
          &MainWindow::RunConversion, Qt::QueuedConnection);
  // Beside the picture and clear of the palette bar, so the area can be dragged and the
  // colours seen while the dialog is open; where the user last put it once moved.
  transformation_->adjustSize();
  const QPoint kept = settings_.value(QStringLiteral("TransformationPos")).toPoint();
  const int right =
      paletteDock_->isVisible() ? paletteDock_->mapToGlobal(QPoint(0, 0)).x() : geometry().right();
  transformation_->move(
      settings_.contains(QStringLiteral("TransformationPos"))
          ? kept
          : QPoint(right - transformation_->frameGeometry().width() - 4, geometry().top()));
  connect(transformation_, &QDialog::finished, this, [this] {
    settings_.setValue(QStringLiteral("TransformationPos"), transformation_->pos());
  });
  transformation_->show();
  view_->viewport()->update();
  bar_->Repaint();
}

// The conversion runs on a worker; the palette review is asked on the window's thread. A
// refused picture keeps the dialog open with its settings, the stopping place shown.
void MainWindow::RunConversion(const ConversionSettings& settings) {
  if (busy_) return;
  lastSettings_ = settings;
  BackgroundWork work(this);
  auto review = [this, &work](SlotTable& table) {
    bool accepted = false;
    work.OnWindowThread([&] {
      PalSetupDialog dialog(table, prompts_, this);
      accepted = prompts_.Exec(dialog) == QDialog::Accepted;
    });
    return accepted;
  };
  tilvex::Document::PreparedEdit edit{UnfinishedWork(), {}, "", false};
  RunBusy(work, [&](Progress& progress) {
    edit = document_.PrepareConversion(settings, review, progress);
  });
  if (work.Cancelled()) return;
  const Result converted = document_.Adopt(std::move(edit));
  view_->viewport()->update();
  if (!converted) KeepProblemInSight();
  prompts_.ShowFailure(this, converted);
  if (!converted) return;
  if (transformation_) transformation_->accept();
  OnNormalZoom();
}

// The place a conversion stopped at is brought into the view, and the dialog moved off it:
// below it where the screen has room, else beside it.
void MainWindow::KeepProblemInSight() {
  const AreaRect problem = document_.ProblemArea();
  if (problem.Width() <= 0 || !transformation_) return;
  const QRect shown = view_->ShowPictureRect(problem);
  const QRect area(view_->viewport()->mapToGlobal(shown.topLeft()), shown.size());
  QRect frame = transformation_->frameGeometry();
  if (!frame.intersects(area)) return;
  const QRect screen = transformation_->screen()->availableGeometry();
  if (area.bottom() + 16 + frame.height() <= screen.bottom()) {
    frame.moveTop(area.bottom() + 16);
  } else {
    frame.moveLeft(std::min(area.right() + 16, screen.right() - frame.width()));
  }
  transformation_->move(frame.topLeft());
}

// While work runs the window takes no input of its own; the progress and any dialog the
// work asks stay usable.
void MainWindow::RunBusy(BackgroundWork& work, const std::function<void(Progress&)>& job) {
  busy_ = true;
  if (transformation_) transformation_->setEnabled(false);
  work.Run(job);
  if (transformation_) transformation_->setEnabled(true);
  busy_ = false;
}

void MainWindow::OnOutput() {
  if (!document_.IsBlockPicture()) return;
  FileOutputDialog dialog(prompts_, this);
  const QString base = ReplaceExtension(DocumentPath(), {});
  dialog.pgtFile->setText(base + QStringLiteral("_pgt.bin"));
  dialog.pntFile->setText(base + QStringLiteral("_pnt.asm"));
  dialog.segment->setValue(document_.Header().outSegment);
  dialog.level->setValue(document_.Header().outLevel);
  if (prompts_.Exec(dialog) != QDialog::Accepted) return;
  document_.SetOutputNumbers(dialog.segment->value(), dialog.level->value());
  const QString pgt = dialog.pgtFile->text();
  const QString pnt = dialog.pntFile->text();
  ProgressWindow progress(this);
  const Result written =
      document_.WriteOutput(pgt.toStdString(), pnt.toStdString(), dialog.assembler->isChecked(),
                            dialog.sixteenBit->isChecked(), progress);
  progress.Close();
  prompts_.ShowFailure(this, written);
  if (written) {
    ShowStatus(UiText("已写出 %1 和 %2")
                   .arg(QFileInfo(pgt).absoluteFilePath(), QFileInfo(pnt).absoluteFilePath()));
  }
}

// The adaptation repaints the picture with colours the console can show.
void MainWindow::Adapt(Adaptation which) {
  if (busy_) return;
  BackgroundWork work(this);
  tilvex::Document::PreparedEdit edit{UnfinishedWork(), {}, "", false};
  RunBusy(work, [&](Progress&) { edit = document_.PrepareAdaptation(which); });
  if (work.Cancelled()) return;
  prompts_.ShowFailure(this, document_.Adopt(std::move(edit)));
}

void MainWindow::EditCell(int x, int y) {
  const CellInfo cell = document_.CellAt(x, y);
  if (cell.index < 0) return;
  PntAttribDialog dialog(cell.code, cell.attribute, document_.Header().address != 2, this);
  if (prompts_.Exec(dialog) != QDialog::Accepted) return;
  document_.SetCell(cell.index, dialog.Code(), dialog.Attribute());
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
