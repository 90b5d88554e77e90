#include "progress_window.h"

#include <QCoreApplication>

#include "ui_text.h"

namespace tilvex::ui {

void ProgressWindow::Open(int low, int high, int step) {
  Close();
  dialog_ = new QProgressDialog(parent_);
  if (cancellable_) {
    dialog_->setCancelButtonText(UiText("取消"));
    // Cancel hides the window at once; the work stops at its next step.
    QObject::connect(dialog_, &QProgressDialog::canceled, [this] { cancelled_ = true; });
  } else {
    dialog_->setCancelButton(nullptr);
  }
  dialog_->setRange(low, high);
  dialog_->setValue(low);
  dialog_->setMinimumDuration(300);
  dialog_->setWindowModality(Qt::WindowModal);
  step_ = step;
  QCoreApplication::processEvents();
}

void ProgressWindow::SetText(const char* text) {
  if (!dialog_) return;
  dialog_->setLabelText(QString::fromUtf8(text));
  QCoreApplication::processEvents();
}

void ProgressWindow::Step() {
  if (!dialog_) return;
  dialog_->setValue(std::min(dialog_->maximum(), dialog_->value() + step_));
  QCoreApplication::processEvents();
}

bool ProgressWindow::Cancelled() {
  QCoreApplication::processEvents();
  return cancelled_;
}

void ProgressWindow::Close() {
  if (dialog_) {
    dialog_->hide();
    delete dialog_;
  }
}

}  // namespace tilvex::ui
