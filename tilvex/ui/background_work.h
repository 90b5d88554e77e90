#pragma once
// Long work (a conversion, an adaptation) runs on a worker thread so the window keeps
// answering: a progress window follows the steps the work reports, its Cancel button asks
// the work to stop, and the window's own input waits until the work is done. The work's
// result is then applied on the window's thread by the caller.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "common/result.h"
#include "convert/progress.h"

class QProgressDialog;
class QWidget;

namespace tilvex::ui {

// The result work starts with: what it leaves when it cannot finish (memory ran out).
common::Result UnfinishedWork();

class BackgroundWork : public QObject, public Progress {
  Q_OBJECT

 public:
  explicit BackgroundWork(QWidget* parent);
  ~BackgroundWork() override;

  // Runs work on a worker thread and returns once it is done; events are handled meanwhile.
  // Work that throws simply ends: callers set up their result as a failure beforehand.
  void Run(const std::function<void(Progress&)>& work);
  // Called from the work: runs f on the window's thread and waits for it (a dialog the
  // work needs answered, such as the palette review).
  void OnWindowThread(const std::function<void()>& f);

  // Progress, from the worker thread.
  void Open(int low, int high, int step) override;
  void SetText(const char* text) override;
  void Step() override;
  void Close() override {}
  bool Cancelled() override { return cancelled_; }

 private:
  void ShowProgress();
  // On the window's thread: runs the work's question, if one waits.
  void AnswerQuestion();

  static constexpr int kPollMilliseconds = 10;

  QWidget* parent_;
  QPointer<QProgressDialog> dialog_;
  QElapsedTimer running_;
  bool asking_ = false;  // a question of the work is open
  std::atomic<int> low_{0}, high_{0}, value_{0}, step_{1};
  std::atomic<bool> cancelled_{false};
  std::mutex textLock_;
  QString text_;
  std::mutex questionLock_;
  std::condition_variable answered_;
  const std::function<void()>* question_ = nullptr;  // the work's question, until answered
};

}  // namespace tilvex::ui
