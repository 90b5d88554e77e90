// The progress windows' Cancel button, pressed as a user presses it: long work on the
// worker stops at its next step, and the window's own steps see it too.
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

#include "background_work.h"
#include "progress_window.h"

using namespace tilvex::ui;

class ProgressCancelTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void cancelStopsWorkOnTheWorker();
  void cancelOfTheWindowsOwnProgress();
};

namespace {

// Clicks the Cancel button of the progress window under parent once it shows.
void PressCancelWhenShown(QWidget& parent) {
  auto* poll = new QTimer(&parent);
  QObject::connect(poll, &QTimer::timeout, &parent, [&parent, poll] {
    for (auto* dialog : parent.findChildren<QProgressDialog*>()) {
      if (!dialog->isVisible()) continue;
      for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (!button->isVisible()) continue;  // the progress window's one button: Cancel
        poll->deleteLater();
        poll->stop();
        QTest::mouseClick(button, Qt::LeftButton);
        return;
      }
    }
  });
  poll->start(20);
}

}  // namespace

void ProgressCancelTest::cancelStopsWorkOnTheWorker() {
  QWidget window;
  window.show();
  BackgroundWork work(&window);
  PressCancelWhenShown(window);
  std::atomic<bool> sawCancel{false};
  QElapsedTimer clock;
  clock.start();
  work.Run([&](tilvex::Progress& progress) {
    progress.Open(0, 1000, 1);
    // Without a working Cancel this runs into its own limit.
    while (clock.elapsed() < 20000) {
      if (progress.Cancelled()) {
        sawCancel = true;
        return;
      }
      progress.Step();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  QVERIFY(sawCancel);
  QVERIFY(work.Cancelled());
  QVERIFY2(clock.elapsed() < 15000, "the work ran on after Cancel");
}

void ProgressCancelTest::cancelOfTheWindowsOwnProgress() {
  QWidget window;
  window.show();
  ProgressWindow progress(&window, true);
  PressCancelWhenShown(window);
  progress.Open(0, 100, 1);
  QElapsedTimer clock;
  clock.start();
  while (!progress.Cancelled() && clock.elapsed() < 20000) {
    progress.Step();
    QTest::qWait(10);
  }
  QVERIFY(progress.Cancelled());
}

QTEST_MAIN(ProgressCancelTest)
#include "progress_cancel_test.moc"
