#pragma once
// The small progress window of conversions and outputs; keeps the window answering events
// while the work runs.
#include <QPointer>
#include <QProgressDialog>

#include "convert/progress.h"

namespace tilvex::ui {

class ProgressWindow : public Progress {
 public:
  // A cancellable window shows a Cancel button, which the long steps look at.
  explicit ProgressWindow(QWidget* parent, bool cancellable = false)
      : parent_(parent), cancellable_(cancellable) {}
  ~ProgressWindow() override { Close(); }

  void Open(int low, int high, int step) override;
  void SetText(const char* text) override;
  void Step() override;
  void Close() override;
  bool Cancelled() override;

 private:
  QWidget* parent_;
  QPointer<QProgressDialog> dialog_;
  int step_ = 1;
  bool cancellable_;
  bool cancelled_ = false;
};

}  // namespace tilvex::ui
