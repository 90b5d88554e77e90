// The window never drops work: converted, painted and adapted pictures are unsaved until
// saved, saving goes where the user said, and every edit undoes.
#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "background_work.h"
#include "image/decoder.h"
#include "pal_setup_dialog.h"
#include "palette_bar.h"
#include "qt_colour.h"
#include "test_pictures.h"

namespace tilvex::ui {
using namespace testing;

class LostWorkTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { f_ = std::make_unique<WindowFixture>(); }
  void cleanup() { f_.reset(); }
  void conversionIsUnsavedWorkAndUndoes();
  void drawingOnABlockPictureIsRefusedWithAReason();
  void saveOnAnUnwritableTypeOffersSaveAs();
  void saveAsWritesTheChosenFileAndFormat();
  void undoAndRedoKeysWalkTheHistory();
  void tooManyColoursShowsThePlaceAndKeepsTheDialog();
  void aSelectionBecomesTheConversionArea();
  void nothingRunsWhileIdle();
  void pngIsListedAndADroppedFileOpens();
  void aFailedPaletteSaveIsToldInWords();
  void workThatRunsOutOfMemoryEndsAsAFailure();
  void windowAndToolBoxComeBackWhereTheyWere();

 private:
  MainWindow& W() { return *f_->window; }
  QWidget* Viewport() { return W().View()->viewport(); }
  QString OpenPicture(const char* name, const PixelFn& pixel = Bands, int w = 256, int h = 240) {
    const QString path = WriteBmp(f_->Path(name), w, h, pixel);
    f_->prompts.files.push_back(path);
    W().Actions().open->trigger();
    return path;
  }
  void PenAt(QPoint at, Rgb colour) {
    W().Drawing().tool = kPen;
    W().Drawing().foreground = colour;
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, at);
  }
  QPushButton* NextButton() {
    for (QPushButton* b : W().Transformation()->findChildren<QPushButton*>()) {
      if (b->text() == QStringLiteral("Next")) return b;
    }
    return nullptr;
  }
  void Convert() {
    W().Actions().transform->trigger();
    QVERIFY(W().Transformation());
    f_->prompts.onExec = [](QDialog& d) {
      return qobject_cast<PalSetupDialog*>(&d) ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    QTest::mouseClick(NextButton(), Qt::LeftButton);
    QTRY_VERIFY(W().Document().IsBlockPicture());
  }
  std::unique_ptr<WindowFixture> f_;
};

void LostWorkTest::conversionIsUnsavedWorkAndUndoes() {
  OpenPicture("bands.bmp");
  QCOMPARE(W().windowTitle(), QStringLiteral("bands.bmp \u2014 Tilvex"));
  Convert();
  QVERIFY(!W().Transformation());
  QVERIFY(W().IsModified());
  QCOMPARE(W().windowTitle(), QStringLiteral("bands.pic* \u2014 Tilvex"));
  QVERIFY(W().Actions().undo->text().contains(QStringLiteral("Conversion")));

  // Opening another picture, New and closing all ask first; Cancel keeps the work.
  f_->prompts.files.push_back(WriteBmp(f_->Path("other.bmp"), 8, 8, Bands));
  W().Actions().open->trigger();
  W().Actions().newPicture->trigger();
  QVERIFY(!W().close());
  QCOMPARE(f_->prompts.questions.size(), 3);
  QVERIFY(W().Document().IsBlockPicture());

  W().Actions().undo->trigger();
  QVERIFY(!W().Document().IsBlockPicture());
  QVERIFY(!W().IsModified());
  QCOMPARE(W().windowTitle(), QStringLiteral("bands.bmp \u2014 Tilvex"));
  QVERIFY(W().close());
}

void LostWorkTest::drawingOnABlockPictureIsRefusedWithAReason() {
  OpenPicture("bands.bmp");
  Convert();
  const Picture before = W().Document().View();
  PenAt({20, 30}, MakeRgb(1, 2, 3));
  QCOMPARE(W().Document().View().pixels, before.pixels);
  QVERIFY(!W().statusBar()->currentMessage().isEmpty());
  QVERIFY(W().Actions().undo->text().contains(QStringLiteral("Conversion")));

  // Recolouring through the palette bar is refused the same way.
  f_->prompts.colour = QColor(1, 2, 3);
  W().statusBar()->clearMessage();
  ColourListArea* list = W().Bar()->List();
  QTest::mouseClick(list, Qt::LeftButton, {}, list->CellRect(1).center());
  QTRY_VERIFY(!W().statusBar()->currentMessage().isEmpty());
  QCOMPARE(W().Document().View().pixels, before.pixels);
}

void LostWorkTest::saveOnAnUnwritableTypeOffersSaveAs() {
  const QString jpeg = f_->Path("photo.jpg");
  QImage image(32, 16, QImage::Format_RGB32);
  image.fill(Qt::white);
  QVERIFY(image.save(jpeg, "JPG"));
  QVERIFY(W().OpenFile(jpeg));
  PenAt({3, 3}, MakeRgb(0, 0, 0));
  const QByteArray original = ReadAll(jpeg);
  W().Actions().save->trigger();  // no name given in the Save As prompt
  QCOMPARE(f_->prompts.messages.size(), 1);
  QVERIFY(f_->prompts.messages.first().contains(QStringLiteral("jpg")));
  QVERIFY(f_->prompts.requests.back().save);
  QVERIFY(W().IsModified());
  QCOMPARE(ReadAll(jpeg), original);

  f_->prompts.files.push_back(f_->Path("photo.bmp"));
  W().Actions().save->trigger();
  QVERIFY(!W().IsModified());
  QCOMPARE(W().DocumentPath(), f_->Path("photo.bmp"));
}

void LostWorkTest::saveAsWritesTheChosenFileAndFormat() {
  OpenPicture("bands.bmp");
  PenAt({5, 5}, MakeRgb(9, 9, 9));
  f_->prompts.files.push_back(f_->Path("copy.jpg"));
  W().Actions().saveAs->trigger();
  QVERIFY(!QFile::exists(f_->Path("copy.jpg")));
  QCOMPARE(f_->prompts.messages.size(), 1);
  QVERIFY(W().IsModified());

  f_->prompts.files.push_back(f_->Path("copy.png"));
  W().Actions().saveAs->trigger();
  Picture read;
  QVERIFY(DecodePictureFile(f_->Path("copy.png").toStdString(), read).ok);
  QCOMPARE(read.pixels, W().Document().View().pixels);
  QCOMPARE(W().windowTitle(), QStringLiteral("copy.png \u2014 Tilvex"));

  // Save goes to the file chosen, not back to the source.
  const QByteArray source = ReadAll(f_->Path("bands.bmp"));
  PenAt({6, 6}, MakeRgb(9, 9, 9));
  QCOMPARE(W().windowTitle(), QStringLiteral("copy.png* \u2014 Tilvex"));
  W().Actions().save->trigger();
  QVERIFY(DecodePictureFile(f_->Path("copy.png").toStdString(), read).ok);
  QCOMPARE(read.At(6, 6), MakeRgb(9, 9, 9));
  QCOMPARE(ReadAll(f_->Path("bands.bmp")), source);
}

void LostWorkTest::undoAndRedoKeysWalkTheHistory() {
  OpenPicture("bands.bmp");
  const Rgb original = W().Document().View().At(20, 30);
  PenAt({20, 30}, MakeRgb(1, 2, 3));
  QVERIFY(W().Actions().undo->text().startsWith(QStringLiteral("(&U)ndo Pen")));
  QTest::keyClick(Viewport(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(W().Document().View().At(20, 30), original);
  QVERIFY(!W().IsModified());
  QVERIFY(!W().Actions().undo->isEnabled());
  QTest::keyClick(Viewport(), Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(W().Document().View().At(20, 30), MakeRgb(1, 2, 3));
  QTest::keyClick(Viewport(), Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(Viewport(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(W().Document().View().At(20, 30), MakeRgb(1, 2, 3));
  QVERIFY(W().IsModified());
}

// Each 16 x 16 area holds a colour of its own per pixel, so a 16-colour conversion stops.
Rgb Noise(int x, int y) {
  return (x >= 32 && x < 48 && y < 16) ? MakeRgb(uint8_t(x * 16), uint8_t(y * 16), 7) : 0x808080;
}

void LostWorkTest::tooManyColoursShowsThePlaceAndKeepsTheDialog() {
  OpenPicture("noise.bmp", Noise, 64, 32);
  W().Actions().transform->trigger();
  auto* sum = W().Transformation()->findChildren<QComboBox*>().at(1);  // "Color SUM"
  QCOMPARE(sum->itemText(0), QStringLiteral("16"));
  QTest::mouseClick(NextButton(), Qt::LeftButton);
  QTRY_COMPARE(f_->prompts.messages.size(), 1);
  QVERIFY(W().Transformation() && W().Transformation()->isVisible());
  QCOMPARE(W().Document().ProblemArea(), (AreaRect{32, 0, 48, 16}));
  const QImage shown = Viewport()->grab().toImage();
  const QColor inside = shown.pixelColor(40, 8), outside = shown.pixelColor(8, 24);
  QVERIFY(inside.red() > inside.blue() + 40);
  QCOMPARE(outside, QColor(0x80, 0x80, 0x80));
  QVERIFY(!W().IsModified());

  // Closed and opened again, the dialog keeps what was chosen.
  sum->setCurrentIndex(1);
  QTest::mouseClick(NextButton(), Qt::LeftButton);
  QTRY_COMPARE(f_->prompts.messages.size(), 2);
  W().Transformation()->close();
  QTRY_VERIFY(!W().Transformation());
  W().Actions().transform->trigger();
  QCOMPARE(W().Transformation()->findChildren<QComboBox*>().at(1)->currentIndex(), 1);
}

void LostWorkTest::aSelectionBecomesTheConversionArea() {
  OpenPicture("bands.bmp");
  W().Drawing().tool = kSelect;
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(9, 9));
  QTest::mouseMove(Viewport(), QPoint(30, 30));
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(39, 39));
  W().Actions().transform->trigger();
  QCOMPARE(W().Document().Area(), (AreaRect{8, 8, 40, 40}));
  auto spins = W().Transformation()->findChildren<QSpinBox*>();
  QCOMPARE(spins.at(0)->value(), 8);
  QCOMPARE(spins.at(2)->value(), 32);
}

void LostWorkTest::nothingRunsWhileIdle() {
  OpenPicture("bands.bmp");
  for (QTimer* timer : W().findChildren<QTimer*>())
    QVERIFY2(!timer->isActive(), qPrintable(timer->objectName()));
}

void LostWorkTest::pngIsListedAndADroppedFileOpens() {
  QVERIFY(PromptFilters(true).first().contains(QStringLiteral("*.png")));
  const QString path = f_->Path("dropped.png");
  QImage image(24, 8, QImage::Format_RGB32);
  image.fill(Qt::red);
  QVERIFY(image.save(path, "PNG"));
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&W(), &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&W(), &drop);
  QTRY_COMPARE(W().DocumentPath(), path);
  QCOMPARE(W().Document().View().width, 24);
}

void LostWorkTest::aFailedPaletteSaveIsToldInWords() {
  SlotTable table{};
  PalSetupDialog dialog(table, f_->prompts);
  f_->prompts.files.push_back(QStringLiteral("/nonexistent-folder/palettes.pal"));
  for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
    if (b->text() == QStringLiteral("Save")) QTest::mouseClick(b, Qt::LeftButton);
  }
  QCOMPARE(f_->prompts.messages.size(), 1);
  QVERIFY(
      f_->prompts.messages.first().contains(QStringLiteral("/nonexistent-folder/palettes.pal")));
}

// The work assigns its result as the window's work does; memory running out on the way
// leaves the failure it was set up with, and the next work runs as usual.
void LostWorkTest::workThatRunsOutOfMemoryEndsAsAFailure() {
  BackgroundWork work(&W());
  Result result = UnfinishedWork();
  bool finished = false;
  const auto convert = []() -> Result { throw std::bad_alloc(); };
  work.Run([&](Progress&) {
    result = convert();
    finished = true;
  });
  QVERIFY(!finished);
  QVERIFY(!result.ok);
  QCOMPARE(result.message, UnfinishedWork().message);
  work.Run([&](Progress&) { result = Result::Ok(); });
  QVERIFY(result.ok);
}

void LostWorkTest::windowAndToolBoxComeBackWhereTheyWere() {
  QTRY_VERIFY(W().ToolBox()->isVisible());
  W().ToolBox()->move(123, 145);
  W().resize(700, 500);
  const QSize size = W().size();  // as far as the window's least size allows
  QVERIFY(W().close());
  f_->window = std::make_unique<MainWindow>(f_->prompts, *f_->settings);
  W().show();
  QTRY_VERIFY(W().ToolBox()->isVisible());
  QCOMPARE(W().ToolBox()->pos(), QPoint(123, 145));
  QCOMPARE(W().size(), size);
  QCOMPARE(W().size().width(), 700);
}

}  // namespace tilvex::ui

QTEST_MAIN(tilvex::ui::LostWorkTest)
#include "lost_work_test.moc"
