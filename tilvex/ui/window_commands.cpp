// The main window's command handlers: the document commands, conversion and output.
#include <algorithm>

#include <QDialog>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>

#include "app/field_rules.h"
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
  constexpr QEvent::Type kInput[] = {QEvent::MouseButtonPress,
                                     QEvent::MouseButtonRelease,
                                     QEvent::MouseButtonDblClick,
                                     QEvent::KeyPress,
                                     QEvent::KeyRelease,
                                     QEvent::Shortcut,
                                     QEvent::ShortcutOverride,
                                     QEvent::Wheel,
                                     QEvent::Drop};
  return std::find(std::begin(kInput), std::end(kInput), type) != std::end(kInput);
}

AreaRect OnScreen(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace

void MainWindow::ConnectView() {
  connect(view_, &PictureView::zoomChanged, this, &MainWindow::UpdateZoomChecks);
  connect(view_, &PictureView::normalZoomRequested, this, &MainWindow::OnNormalZoom);
  connect(view_, &PictureView::coloursPicked, this, [this] { bar_->Repaint(); });
  connect(view_, &PictureView::toolRefused, this, &MainWindow::ShowStatus);
  connect(view_, &PictureView::mouseMovedOver, this, &MainWindow::UpdateReadOuts);
  connect(view_, &PictureView::cellDoubleClicked, this, &MainWindow::EditCell);
  // After the press that asked for it has been handled.
  connect(view_, &PictureView::fillRequested, this, [this](QPoint at, Rgb rgb, const char* name) {
    QTimer::singleShot(0, this, [this, at, rgb, name] { RunFill(at, rgb, name); });
  });
  connect(view_, &PictureView::areaDragged, this, [this](const AreaRect& area) {
    if (transformation_) transformation_->SetArea(area);
    bar_->Repaint();
  });
}

void MainWindow::UpdateCommands() {
  const CommandStates allowed = AllowedCommands(document_);
  for (QAction* action : {actions_.output, actions_.tvEffect, actions_.emulate})
    action->setEnabled(allowed.showBlocks);
  for (QAction* action : {actions_.transform, actions_.save, actions_.saveAs})
    action->setEnabled(allowed.usePicture);
  actions_.undo->setText(QString::fromStdString(UndoCommandText(document_)));
  actions_.redo->setText(QString::fromStdString(RedoCommandText(document_)));
  actions_.undo->setEnabled(allowed.undo);
  actions_.redo->setEnabled(allowed.redo);
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
  if (busy_ && IsUserInput(event->type()) && watched->isWidgetType()) {
    const QWidget* window = static_cast<QWidget*>(watched)->window();
    if (window == this || window == toolBox_) return true;
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
  std::vector<std::string> recent;
  for (const QString& file : recent_) recent.push_back(file.toStdString());
  recent_ = ToQStringList(WithRecentFile(recent, path.toStdString()));
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
  if (kept_.settings) transformation_->Restore(*kept_.settings, kept_.AreaFits(document_.View()));
  transformation_->setAttribute(Qt::WA_DeleteOnClose);
  view_->SetAreaSelection(true);
  connect(transformation_, &TransformationDialog::areaEdited, this, [this] {
    view_->viewport()->update();
    bar_->Repaint();
  });
  connect(transformation_, &TransformationDialog::convertRequested, this,
          &MainWindow::RunConversion, Qt::QueuedConnection);
  // Beside the picture and clear of the palette bar, so the area can be dragged and the
  // colours seen while the dialog is open; where the user last put it once moved.
  transformation_->adjustSize();
  const int right =
      paletteDock_->isVisible() ? paletteDock_->mapToGlobal(QPoint(0, 0)).x() : geometry().right();
  const QPoint beside(right - transformation_->frameGeometry().width() - 4, geometry().top());
  transformation_->move(settings_.value(QStringLiteral("TransformationPos"), beside).toPoint());
  connect(transformation_, &QDialog::finished, this, [this] {
    view_->SetAreaSelection(false);
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
  kept_.Keep(settings, document_.View());
  BackgroundWork* asking = nullptr;
  auto review = [this, &asking](SlotTable& table) {
    if (asking->Cancelled()) return false;  // the user already said no
    bool accepted = false;
    asking->OnWindowThread([&] {
      PalSetupDialog dialog(table, prompts_, this);
      accepted = prompts_.Exec(dialog) == QDialog::Accepted;
    });
    return accepted;
  };
  const std::optional<Result> converted =
      RunWork(true, [&](WorkSnapshot snapshot, Progress& progress) {
        asking = static_cast<BackgroundWork*>(&progress);  // the worker's progress is the work
        return Document::PrepareConversion(snapshot, settings, review, progress);
      });
  view_->viewport()->update();
  if (!converted) return;
  if (!*converted) KeepProblemInSight();
  prompts_.ShowFailure(this, *converted);
  if (!*converted) return;
  if (transformation_) transformation_->accept();
  OnNormalZoom();
}

std::optional<Result> MainWindow::RunWork(bool withState, const Prepare& prepare,
                                          const std::string& openedPath) {
  if (busy_) return std::nullopt;
  BackgroundWork work(this);
  WorkSnapshot snapshot = document_.BeginWork(withState);
  PreparedEdit edit;  // stays a failure if the work cannot finish
  edit.status = UnfinishedWork();
  edit.version = snapshot.version;
  RunBusy(work, [&](Progress& progress) { edit = prepare(std::move(snapshot), progress); });
  // Cancel wins, even over work that finished before it next looked.
  if (work.Cancelled()) edit.end = PreparedEdit::End::kCancelled;
  const bool cancelled = edit.Cancelled();
  Result adopted = document_.Adopt(std::move(edit), openedPath);
  if (cancelled) return std::nullopt;
  return adopted;
}

// A fill or a recolouring: why it did not apply goes to the status bar.
void MainWindow::RunPaint(const char* working,
                          const std::function<PreparedEdit(WorkSnapshot)>& prepare) {
  const std::optional<Result> done = RunWork(true, [&](WorkSnapshot snapshot, Progress& progress) {
    progress.SetText(common::Tr(working));
    return prepare(std::move(snapshot));
  });
  if (done && !*done) ShowStatus(QString::fromStdString(done->Text()));
}

void MainWindow::RunFill(QPoint at, Rgb rgb, const char* name) {
  RunPaint("正在填充...", [&](WorkSnapshot snapshot) {
    return Document::PrepareFill(std::move(snapshot), at.x(), at.y(), rgb, name);
  });
}

void MainWindow::RunRecolour(int index, Rgb rgb) {
  const std::optional<Rgb> old = document_.ColourAt(index);
  if (const Result paint = document_.CanPaint(); !paint || !old) {
    ShowStatus(QString::fromStdString(paint.Text()));
    return;
  }
  RunPaint("正在替换颜色...", [&](WorkSnapshot snapshot) {
    return Document::PrepareRecolour(std::move(snapshot), *old, rgb);
  });
}

// The place a conversion stopped at is brought into the view, and the dialog moved off it.
void MainWindow::KeepProblemInSight() {
  const AreaRect problem = document_.ProblemArea();
  if (problem.Width() <= 0 || !transformation_) return;
  const QRect shown = view_->ShowPictureRect(problem);
  const QRect place(view_->viewport()->mapToGlobal(shown.topLeft()), shown.size());
  const std::optional<ScreenPoint> moved =
      DialogClearOf(OnScreen(transformation_->frameGeometry()), OnScreen(place),
                    OnScreen(transformation_->screen()->availableGeometry()));
  if (moved) transformation_->move(moved->x, moved->y);
}

// While work runs the window takes no input of its own, in the main window or the tool box,
// and no command runs by its shortcut; the progress and any dialog the work asks stay usable.
void MainWindow::RunBusy(BackgroundWork& work, const std::function<void(Progress&)>& job) {
  busy_ = true;
  QList<QPointer<QAction>> held;
  for (QAction* action : findChildren<QAction*>()) {
    if (action->isEnabled()) held << action;
    action->setEnabled(false);
  }
  if (transformation_) transformation_->setEnabled(false);
  work.Run(job);
  if (transformation_) transformation_->setEnabled(true);
  for (QAction* action : held) {
    if (action) action->setEnabled(true);
  }
  busy_ = false;
}

void MainWindow::OnOutput() {
  if (!document_.IsBlockPicture()) return;
  FileOutputDialog dialog(prompts_, this);
  const OutputFileNames names = DefaultOutputNames(document_.Path());
  dialog.pgtFile->setText(QString::fromStdString(names.pgt));
  dialog.pntFile->setText(QString::fromStdString(names.pnt));
  dialog.segment->setValue(document_.Header().outSegment);
  dialog.level->setValue(document_.Header().outLevel);
  if (prompts_.Exec(dialog) != QDialog::Accepted) return;
  document_.SetOutputNumbers(dialog.segment->value(), dialog.level->value());
  const std::string pgt = dialog.pgtFile->text().toStdString();
  const std::string pnt = dialog.pntFile->text().toStdString();
  ProgressWindow progress(this);
  const Result written = document_.WriteOutput(pgt, pnt, dialog.assembler->isChecked(),
                                               dialog.sixteenBit->isChecked(), progress);
  progress.Close();
  prompts_.ShowFailure(this, written);
  if (written) ShowStatus(QString::fromStdString(OutputWrittenText(pgt, pnt)));
}

// The adaptation repaints the picture with colours the console can show.
void MainWindow::Adapt(Adaptation which) {
  if (const Result paint = document_.CanPaint(); !paint) {
    prompts_.ShowFailure(this, paint);
    return;
  }
  const std::optional<Result> adapted =
      RunWork(true, [which](WorkSnapshot snapshot, Progress& progress) {
        return Document::PrepareAdaptation(std::move(snapshot), which, progress);
      });
  if (adapted) prompts_.ShowFailure(this, *adapted);
}

void MainWindow::EditCell(int x, int y) {
  const CellInfo cell = document_.CellAt(x, y);
  if (cell.index < 0) return;
  PntAttribDialog dialog(cell.code, cell.attribute, cell.switchesEditable, this);
  if (prompts_.Exec(dialog) != QDialog::Accepted) return;
  const auto code = dialog.Code();
  const auto attribute = dialog.Attribute();
  if (code && attribute)
    prompts_.ShowFailure(this, document_.SetCell(cell.index, *code, *attribute));
}

void MainWindow::OnNormalZoom() {
  view_->SetZoom(Zoom::Normal());
}

}  // namespace tilvex::ui
