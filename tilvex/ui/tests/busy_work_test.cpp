// Long work runs on a copy of the picture: while it runs, no shortcut, menu, tool box, drop or
// palette-bar click reaches the document from any window, and Cancel stops it with nothing
// changed. Run under AddressSanitizer, a shortcut that reached the document would show as a
// use of freed memory on the worker.
#include <QCheckBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "pal_setup_dialog.h"
#include "palette_bar.h"
#include "small_dialogs.h"
#include "test_pictures.h"
#include "ui_text.h"

namespace tilvex::ui {
using namespace testing;

class BusyWorkTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { f_ = std::make_unique<WindowFixture>(); }
  void cleanup() { f_.reset(); }
  void noShortcutReachesThePictureDuringAConversion();
  void cancelStopsTheWorkAndKeepsThePicture();
  void cancelDuringAReductionConvertsNothing();

 private:
  MainWindow& W() { return *f_->window; }
  // Every shortcut of every command, pressed in the main window's view and in the tool box.
  int PressEveryShortcut();
  // Presses the progress window's Cancel as soon as it shows; true once it has.
  void CancelWhenShown(QTimer& timer, bool& clicked);
  std::unique_ptr<WindowFixture> f_;
};

int BusyWorkTest::PressEveryShortcut() {
  QList<QKeySequence> shortcuts;
  for (QAction* action : W().findChildren<QAction*>()) shortcuts << action->shortcuts();
  int pressed = 0;
  for (QWidget* target : {static_cast<QWidget*>(W().View()->viewport()), W().ToolBox()}) {
    // The Transformation dialog stays the active window unless the user clicks elsewhere.
    QApplication::setActiveWindow(target->window());
    if (QApplication::activeWindow() != target->window()) return 0;
    target->setFocus();
    for (const QKeySequence& keys : shortcuts) {
      QTest::keySequence(target, keys);
      ++pressed;
    }
  }
  return pressed;
}

void BusyWorkTest::noShortcutReachesThePictureDuringAConversion() {
  QVERIFY(W().OpenFile(WriteBmp(f_->Path("bands.bmp"), 256, 240, Bands)));
  W().Document().BeginStroke();
  W().Document().StrokePixel(3, 3, MakeRgb(1, 2, 3));
  W().Document().EndStroke();
  const Picture drawn = W().Document().View();
  QTRY_VERIFY(W().ToolBox()->isVisible());
  // Were a command to run, every question it asks is answered so that it goes ahead.
  f_->prompts.saveAnswer = QMessageBox::No;
  const QString other = WriteBmp(f_->Path("other.bmp"), 16, 16, Bands);
  for (int i = 0; i < 8; ++i) f_->prompts.files.push_back(other);
  f_->prompts.colour = QColor(9, 9, 9);
  int pressed = 0;
  f_->prompts.onExec = [&](QDialog& dialog) {
    if (qobject_cast<PalSetupDialog*>(&dialog) && pressed == 0) {
      // The worker waits here, halfway through the conversion.
      pressed = PressEveryShortcut();
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(other)});
      QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&W(), &drop);
      ColourListArea* list = W().Bar()->List();
      QTest::mouseClick(list, Qt::LeftButton, {}, list->CellRect(1).center());
      QTest::mouseClick(W().View()->viewport(), Qt::LeftButton, {}, QPoint(10, 100));
      QTest::qWait(50);
    }
    return int(QDialog::Accepted);
  };
  W().Actions().transform->trigger();
  for (QPushButton* b : W().Transformation()->findChildren<QPushButton*>()) {
    if (b->text() == QStringLiteral("Next")) QTest::mouseClick(b, Qt::LeftButton);
  }
  QTRY_VERIFY(W().Document().IsBlockPicture());
  QTest::qWait(50);  // anything queued during the work has run by now
  QVERIFY(pressed >= 20);
  QCOMPARE(W().DocumentPath(), f_->Path("bands.pic"));
  QCOMPARE(W().Document().UndoName(), std::string("Conversion"));
  QVERIFY(f_->prompts.messages.isEmpty());
  W().Actions().undo->trigger();
  QCOMPARE(W().Document().View().pixels, drawn.pixels);
  QCOMPARE(W().Document().UndoName(), std::string("Pen"));
  // The commands are back once the work is done.
  QVERIFY(W().Actions().undo->isEnabled() && W().Actions().open->isEnabled());
}

void BusyWorkTest::CancelWhenShown(QTimer& timer, bool& clicked) {
  connect(&timer, &QTimer::timeout, this, [this, &clicked] {
    for (QProgressDialog* progress : W().findChildren<QProgressDialog*>()) {
      if (!progress->isVisible() || clicked) continue;
      QPushButton* cancel = progress->findChild<QPushButton*>();
      QCOMPARE(cancel->text(), UiText("取消"));
      QTest::mouseClick(cancel, Qt::LeftButton);
      clicked = true;
    }
  });
  timer.start(20);
}

// The reduction looks at Cancel only now and then; the conversion is dropped all the same and
// the palettes are never asked about.
void BusyWorkTest::cancelDuringAReductionConvertsNothing() {
  QVERIFY(W().OpenFile(WriteBmp(f_->Path("photo.bmp"), 512, 480, [](int x, int y) {
    return MakeRgb(uint32_t((x * 7 + y) & 0xFF), uint32_t((y * 5 + x / 3) & 0xFF),
                   uint32_t((x * y) % 251));
  })));
  const Picture original = W().Document().View();
  f_->prompts.onExec = [](QDialog&) { return int(QDialog::Accepted); };
  W().Actions().transform->trigger();
  W().Transformation()->findChild<QCheckBox*>(QStringLiteral("reduceColours"))->setChecked(true);
  bool clicked = false;
  QTimer press;
  CancelWhenShown(press, clicked);
  for (QPushButton* b : W().Transformation()->findChildren<QPushButton*>()) {
    if (b->text() == QStringLiteral("Next")) QTest::mouseClick(b, Qt::LeftButton);
  }
  QTRY_VERIFY_WITH_TIMEOUT(clicked, 20000);
  QTRY_VERIFY_WITH_TIMEOUT(!W().Document().Working(), 60000);
  QTest::qWait(50);
  QVERIFY(!f_->prompts.dialogTitles.contains(QStringLiteral("VT03 PAL Setup")));
  QVERIFY(!W().Document().IsBlockPicture());
  QVERIFY(!W().IsModified());
  QCOMPARE(W().Document().View().pixels, original.pixels);
  QVERIFY(f_->prompts.messages.isEmpty());
  QVERIFY(W().Transformation());  // the dialog stays, with its settings
}

// Noise of a million colours: the adaptation looks each one up, long enough for the progress
// window to show its Cancel button.
void BusyWorkTest::cancelStopsTheWorkAndKeepsThePicture() {
  QVERIFY(W().OpenFile(WriteBmp(f_->Path("noise.bmp"), 1024, 1024, [](int x, int y) {
    return MakeRgb(uint32_t(x & 0xFF), uint32_t(y & 0xFF), uint32_t(((x >> 8) << 4) | (y >> 8)));
  })));
  const Picture original = W().Document().View();
  bool clicked = false;
  QTimer press;
  CancelWhenShown(press, clicked);
  QAction* hsl = nullptr;
  for (QAction* action : W().findChildren<QAction*>()) {
    if (action->text() == QStringLiteral("VT03 HSL 4K")) hsl = action;
  }
  hsl->trigger();
  press.stop();
  QVERIFY(clicked);
  QVERIFY(!W().Document().Working());
  QVERIFY(!W().IsModified());
  QVERIFY(!W().Document().CanUndo());
  QCOMPARE(W().Document().View().pixels, original.pixels);
  QVERIFY(f_->prompts.messages.isEmpty());
}

}  // namespace tilvex::ui

QTEST_MAIN(tilvex::ui::BusyWorkTest)
#include "busy_work_test.moc"
