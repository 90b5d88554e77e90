#pragma once
// The small progress window of conversions and outputs; keeps the window answering events
// while the work runs.
#include <QPointer>
#include <QProgressDialog>

#include "convert/progress.h"

namespace tilvex::ui {

class ProgressWindow : public Progress {
 public:
  explicit ProgressWindow(QWidget* parent) : parent_(parent) {}
  ~ProgressWindow() override { Close(); }

  void Open(int low, int high, int step) override;
  void SetText(const char* text) override;
  void Step() override;
  void Close() override;

 private:
  QWidget* parent_;
  QPointer<QProgressDialog> dialog_;
  int step_ = 1;
};

}  // namespace tilvex::ui
