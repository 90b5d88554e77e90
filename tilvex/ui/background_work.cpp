#include "background_work.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <thread>

#include "common/translate.h"
#include "image/bitmap.h"
#include "ui_text.h"

namespace tilvex::ui {

common::Result UnfinishedWork() {
  return common::Result::Fail(common::Tr(kPictureTooLargeMessage), "the work did not finish");
}

BackgroundWork::BackgroundWork(QWidget* parent) : parent_(parent) {}

BackgroundWork::~BackgroundWork() {
  delete dialog_.data();
}

void BackgroundWork::Open(int low, int high, int step) {
  low_ = low;
  high_ = high;
  value_ = low;
  step_ = step;
}

void BackgroundWork::SetText(const char* text) {
  std::lock_guard<std::mutex> hold(textLock_);
  text_ = QString::fromUtf8(text);
}

void BackgroundWork::Step() {
  value_ = std::min(high_.load(), value_.load() + step_.load());
}

// The window appears only for work that takes a while, so quick work neither flashes it nor
// pays for making it.
void BackgroundWork::ShowProgress() {
  if (asking_ || (!dialog_ && running_.elapsed() < 300)) return;
  if (!dialog_) {
    dialog_ = new QProgressDialog(parent_);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setCancelButtonText(UiText("取消"));
    connect(dialog_, &QProgressDialog::canceled, this, [this] { cancelled_ = true; });
  }
  dialog_->setRange(low_, std::max(low_.load(), high_.load()));
  dialog_->setValue(value_);
  if (!dialog_->isVisible()) dialog_->show();
  std::lock_guard<std::mutex> hold(textLock_);
  dialog_->setLabelText(text_);
}

// The window's thread looks at the worker every few milliseconds: for its end and for a
// question it waits to have answered. Both go through the standard library's own atomics,
// mutex and condition variable rather than Qt's posted events, so ThreadSanitizer sees every
// hand-over between the two threads.
void BackgroundWork::Run(const std::function<void(Progress&)>& work) {
  QEventLoop loop;
  QTimer poll;
  std::atomic<bool> done{false};
  connect(&poll, &QTimer::timeout, this, [&] {
    AnswerQuestion();
    if (done.load(std::memory_order_acquire)) {
      loop.quit();
      return;
    }
    ShowProgress();
  });
  poll.start(kPollMilliseconds);
  running_.start();
  std::thread worker([&] {
    // Work that runs out of memory leaves its result as it was set up: a failure.
    try {
      work(*this);
    } catch (const std::exception&) {
    }
    done.store(true, std::memory_order_release);
  });
  loop.exec();
  worker.join();
  poll.stop();
  if (dialog_) dialog_->hide();
}

// The progress window steps aside while the user answers, and comes back only if the work
// then goes on for a while. The work waits on a condition variable that the window's timer
// answers, a hand-over ThreadSanitizer can see (unlike a blocking queued call's semaphore).
void BackgroundWork::OnWindowThread(const std::function<void()>& f) {
  std::unique_lock<std::mutex> hold(questionLock_);
  question_ = &f;
  answered_.wait(hold, [this] { return question_ == nullptr; });
}

void BackgroundWork::AnswerQuestion() {
  if (asking_) return;  // the timer fires again inside the question's own dialog
  const std::function<void()>* question = nullptr;
  {
    std::lock_guard<std::mutex> hold(questionLock_);
    question = question_;
  }
  if (!question) return;
  asking_ = true;
  if (dialog_) dialog_->hide();
  (*question)();
  asking_ = false;
  running_.restart();
  {
    std::lock_guard<std::mutex> hold(questionLock_);
    question_ = nullptr;
  }
  answered_.notify_one();
}

}  // namespace tilvex::ui
