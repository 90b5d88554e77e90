// What the window does with a new picture, a damaged file, an image of a block picture, a
// batch that writes nothing, a whole-width sub block and the small habits around them.
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>

#include "batch_dialog.h"
#include "node_dialogs.h"
#include "pal_setup_dialog.h"
#include "palette_bar.h"
#include "small_dialogs.h"
#include "test_pictures.h"

namespace tilvex::ui {
using namespace testing;

class PictureHabitsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { f_ = std::make_unique<WindowFixture>(); }
  void cleanup() { f_.reset(); }
  void aPictureOfAnotherSizeIsConvertedWhole();
  void anImageOfABlockPictureLeavesTheBlockDataUnsaved();
  void anUnreadablePicFileChangesNothing();
  void aBatchThatSkipsEveryFrameSaysSo();
  void aSubBlockMayBeAWholeScreenWide();
  void readOutsAndStatusFollowTheOpenedPicture();
  void fileOutputShowsWholePathsAndOpenListsEveryFile();

 private:
  MainWindow& W() { return *f_->window; }
  QPushButton* Button(QWidget* in, const char* text) {
    for (QPushButton* b : in->findChildren<QPushButton*>()) {
      if (b->text() == QString::fromUtf8(text)) return b;
    }
    return nullptr;
  }
  void ConvertWithNext() {
    f_->prompts.onExec = [](QDialog& d) {
      return qobject_cast<PalSetupDialog*>(&d) ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    QTest::mouseClick(Button(W().Transformation(), "Next"), Qt::LeftButton);
    QTRY_VERIFY(W().Document().IsBlockPicture());
  }
  std::unique_ptr<WindowFixture> f_;
};

// Only the settings carry over from one picture to the next; the area belongs to the size.
void PictureHabitsTest::aPictureOfAnotherSizeIsConvertedWhole() {
  QVERIFY(W().OpenFile(WriteBmp(f_->Path("small.bmp"), 256, 240, Bands)));
  QTest::keyClick(W().View()->viewport(), Qt::Key_T, Qt::ControlModifier);
  QVERIFY(W().Transformation());
  W().Transformation()->findChildren<QComboBox*>().at(0)->setCurrentIndex(1);  // RGB 4K
  W().Transformation()->findChildren<QSpinBox*>().at(2)->setValue(128);
  ConvertWithNext();
  QCOMPARE(W().Document().View().width, 128);

  QVERIFY(W().OpenFile(WriteBmp(f_->Path("large.bmp"), 512, 480, Bands)));
  QApplication::setActiveWindow(&W());
  QTest::keyClick(W().View()->viewport(), Qt::Key_T, Qt::ControlModifier);
  QVERIFY(W().Transformation());
  const QList<QSpinBox*> spins = W().Transformation()->findChildren<QSpinBox*>();
  QCOMPARE(spins.at(2)->value(), 512);
  QCOMPARE(spins.at(3)->value(), 480);
  QCOMPARE(W().Transformation()->findChildren<QComboBox*>().at(0)->currentIndex(), 1);
  ConvertWithNext();
  QCOMPARE(W().Document().View().width, 512);
  QCOMPARE(W().Document().View().height, 480);
}

// A PNG of a converted picture keeps the picture, not its tiles, palettes or cells: the
// document stays unsaved under its .pic name, and Open still asks.
void PictureHabitsTest::anImageOfABlockPictureLeavesTheBlockDataUnsaved() {
  QVERIFY(W().OpenFile(WriteBmp(f_->Path("bands.bmp"), 256, 240, Bands)));
  W().Actions().transform->trigger();
  ConvertWithNext();
  f_->prompts.files.push_back(f_->Path("shown.png"));
  W().Actions().saveAs->trigger();
  QVERIFY(QFile::exists(f_->Path("shown.png")));
  QVERIFY(W().IsModified());
  QCOMPARE(W().DocumentPath(), f_->Path("bands.pic"));
  QCOMPARE(W().windowTitle(), QStringLiteral("bands.pic* \u2014 Tilvex"));
  QVERIFY(W().statusBar()->currentMessage().contains(QStringLiteral(".pic")));
  f_->prompts.files.push_back(f_->Path("bands.bmp"));
  W().Actions().open->trigger();
  QCOMPARE(f_->prompts.questions.size(), 1);  // answered Cancel
  QVERIFY(W().Document().IsBlockPicture());
  f_->prompts.files.clear();
  // Saved as .pic, the work is saved.
  f_->prompts.files.push_back(f_->Path("kept.pic"));
  W().Actions().saveAs->trigger();
  QVERIFY(!W().IsModified());
}

// A file too short for a header, and a longer one that is no .pic at all: the message, and
// the picture, its title and the recent files stay.
void PictureHabitsTest::anUnreadablePicFileChangesNothing() {
  QVERIFY(W().OpenFile(WriteBmp(f_->Path("bands.bmp"), 256, 240, Bands)));
  const QString title = W().windowTitle();
  const QStringList recent = W().RecentFiles();
  const Picture shown = W().Document().View();
  int told = 0;
  for (int bytes : {600, 4000}) {
    const QString path = f_->Path("damaged.pic");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(bytes, '\x7f'));
    file.close();
    f_->prompts.files.push_back(path);
    W().Actions().open->trigger();
    QCOMPARE(f_->prompts.messages.size(), ++told);
    QCOMPARE(W().windowTitle(), title);
    QCOMPARE(W().RecentFiles(), recent);
    QCOMPARE(W().DocumentPath(), f_->Path("bands.bmp"));
    QCOMPARE(W().Document().View().pixels, shown.pixels);
  }
}

// Frames that cannot be read are skipped; when every one is, the run is a failure.
void PictureHabitsTest::aBatchThatSkipsEveryFrameSaysSo() {
  QFile sprites(f_->Path("Sprite_pgt.bin"));
  QVERIFY(sprites.open(QIODevice::WriteOnly));
  sprites.write(QByteArray(2048, '\x5a'));
  sprites.close();
  const QString good = WriteBmp(f_->Path("good.bmp"), 64, 64, Bands);
  const auto run = [this](const QStringList& pictures) {
    QFile list(f_->Path("frames.lst"));
    list.open(QIODevice::WriteOnly);
    list.write(pictures.join(QLatin1Char('\n')).toUtf8());
    list.close();
    BatchDialog dialog(f_->prompts);
    dialog.folder->setText(f_->dir.path());
    f_->prompts.files.push_back(f_->Path("frames.lst"));
    QTest::mouseClick(dialog.load, Qt::LeftButton);
    QTest::mouseClick(dialog.process, Qt::LeftButton);
    return dialog.status->text();
  };
  const QString none = run({f_->Path("missing1.bmp"), f_->Path("missing2.bmp")});
  QCOMPARE(none, QStringLiteral("没有可写出的帧: 2 帧全部跳过。"));
  QCOMPARE(f_->prompts.messages.size(), 1);
  QVERIFY(f_->prompts.messages.first().startsWith(none));
  const QString some = run({good, f_->Path("missing1.bmp")});
  QVERIFY2(some.startsWith(QStringLiteral("已把 1 帧写入")), qPrintable(some));
  QVERIFY(some.endsWith(QStringLiteral("跳过 1 帧。")));
}

// 256 is stored as 0 in the project file's byte, and read back as 256.
void PictureHabitsTest::aSubBlockMayBeAWholeScreenWide() {
  SubBlockDialog dialog(f_->prompts, 256, 240);
  dialog.name->setText(QStringLiteral("Whole"));
  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Return);
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QVERIFY(f_->prompts.messages.isEmpty());
  const ProjectNode record = dialog.Record();
  QCOMPARE(int(record.subWidth), 0);
  SubBlockDialog again(f_->prompts, 0, 0);
  again.Fill(record);
  QCOMPARE(again.width->value(), 256);
  QCOMPARE(again.heigh->value(), 240);
}

// The palette bar reads the pixel under a mouse that has not moved since the picture
// changed, and "Saved ..." belongs to the file that was saved.
void PictureHabitsTest::readOutsAndStatusFollowTheOpenedPicture() {
  QVERIFY(W().OpenFile(WriteBmp(f_->Path("bands.bmp"), 256, 240, Bands)));
  QWidget* viewport = W().View()->viewport();
  QCursor::setPos(viewport->mapToGlobal(QPoint(10, 100)));
  QTest::mouseMove(viewport, QPoint(10, 100));
  QTRY_COMPARE(W().Bar()->ReadOut(0), QString::number(RedOf(Bands(10, 100))));
  f_->prompts.files.push_back(f_->Path("copy.bmp"));
  W().Actions().saveAs->trigger();
  QVERIFY(W().statusBar()->currentMessage().contains(f_->Path("copy.bmp")));
  QVERIFY(W().OpenFile(
      WriteBmp(f_->Path("grey.bmp"), 256, 240, [](int, int) { return MakeRgb(7, 8, 9); })));
  QCOMPARE(W().Bar()->ReadOut(0), QStringLiteral("7"));
  QCOMPARE(W().Bar()->ReadOut(2), QStringLiteral("9"));
  QVERIFY(!W().statusBar()->currentMessage().contains(f_->Path("copy.bmp")));
}

void PictureHabitsTest::fileOutputShowsWholePathsAndOpenListsEveryFile() {
  const QStringList filters = PromptFilters(true);
  QVERIFY(filters.first().contains(QStringLiteral("*.tif ")));
  QVERIFY(filters.first().contains(QStringLiteral("*.tiff")));
  QVERIFY(filters.last().endsWith(QStringLiteral("(*)")));

  // Wider than a field's own default, well within the screen.
  QDir(f_->dir.path()).mkpath(QStringLiteral("output files"));
  const QString deep = f_->Path("output files/bands.bmp");
  QVERIFY(W().OpenFile(WriteBmp(deep, 256, 240, Bands)));
  W().Actions().transform->trigger();
  ConvertWithNext();
  bool whole = false;
  f_->prompts.onExec = [&whole](QDialog& d) {
    auto* output = qobject_cast<FileOutputDialog*>(&d);
    if (!output) return int(QDialog::Rejected);
    output->show();
    (void)QTest::qWaitForWindowExposed(output);
    const QLineEdit* field = output->pgtFile;
    whole = field->width() >= field->fontMetrics().horizontalAdvance(field->text());
    return int(QDialog::Rejected);
  };
  W().Actions().output->trigger();
  QVERIFY(whole);
}

}  // namespace tilvex::ui

QTEST_MAIN(tilvex::ui::PictureHabitsTest)
#include "picture_habits_test.moc"
