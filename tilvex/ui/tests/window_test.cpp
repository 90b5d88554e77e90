// Tilvex's main window as a user meets it: the shell, the picture view and its tools, the
// palette bar and the document commands. Dialogs are answered by FakePrompts.
#include <QDockWidget>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "about_dialog.h"
#include "hyperlink.h"
#include "palette_bar.h"
#include "qt_colour.h"
#include "small_dialogs.h"
#include "test_pictures.h"

using namespace tilvex;
using namespace tilvex::ui;
using namespace tilvex::ui::testing;

class WindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { f_ = std::make_unique<WindowFixture>(); }
  void cleanup() { f_.reset(); }

  void startUpWritesPpuModeAndEnablesOnlyWhatNeedsNoPicture();
  void palAndToolBoxShowAndHideWithCheckMarks();
  void zoomStepsStopAtTheLimitsAndMoveTheCheckMark();
  void gridOnlyAboveSpacingFour();
  void penDrawsAndClosingAsksToSave();
  void lineShowsWhileDraggedAndIsOneUndoStep();
  void boxShapesStampsAndSprayDrawWhereDragged();
  void paintFillsTheClickedRegion();
  void drawingToolsRefuseBlockPictures();
  void aPicWithoutABlockPictureOffersNoOutput();
  void ctrlWheelAndMagnifierZoomAroundThePointer();
  void zoomKeysKeepTheCentreAndFitShowsTheWholePicture();
  void eyeDropTakesForegroundAndBackground();
  void selectBandSetsTheAreaAndAClickBeeps();
  void readOutsShowThePixelUnderTheMouse();
  void colourListClicksAndBlinking();
  void newMakesABlankPictureOfTheChosenSize();
  void refreshReopensTheFileOpenedLastThroughOpen();
  void aboutBoxLinkOpensOrSaysWhyNot();
  void outputBrowsesForNewFilesAndSaysWhatItWrote();

 private:
  QString OpenBands(const char* name = "bands.bmp") {
    const QString path = WriteBmp(f_->Path(name), 256, 240, Bands);
    f_->prompts.files.push_back(path);
    Trigger(&WindowActions::open);
    return path;
  }
  void RunCli(const QStringList& args) {
    QProcess cli;
    cli.start(QStringLiteral(TILVEX_CLI), args);
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
  }
  void Trigger(QAction* WindowActions::*action) { (f_->window->Actions().*action)->trigger(); }
  QWidget* Viewport() { return f_->window->View()->viewport(); }
  void Drag(int tool, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
    f_->window->Drawing().tool = tool;
    QTest::mousePress(Viewport(), button, {}, from);
    QTest::mouseMove(Viewport(), (from + to) / 2);
    QTest::mouseRelease(Viewport(), button, {}, to);
  }
  // The pixels that differ from the picture the bands file was written from.
  PixelList ChangedFromBands() {
    const Picture& picture = f_->window->Document().View();
    PixelList changed;
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        if (picture.At(x, y) != Bands(x, y)) changed.push_back({x, y});
      }
    }
    std::sort(changed.begin(), changed.end());
    return changed;
  }
  // The picture pixel under a viewport point.
  QPoint PictureAt(QPoint at) {
    PictureView* view = f_->window->View();
    const Zoom zoom = view->CurrentZoom();
    return {zoom.ToPicture(view->horizontalScrollBar()->value() + at.x()),
            zoom.ToPicture(view->verticalScrollBar()->value() + at.y())};
  }
  std::unique_ptr<WindowFixture> f_;
};

void WindowTest::startUpWritesPpuModeAndEnablesOnlyWhatNeedsNoPicture() {
  QCOMPARE(f_->settings->value(QStringLiteral("PPUMode")).toInt(), 0);
  QVERIFY(f_->settings->contains(QStringLiteral("PPUMode")));
  MainWindow& w = *f_->window;
  QCOMPARE(w.Drawing().tool, 10);
  w.findChild<QAction*>(QStringLiteral("tool7"))->trigger();
  QCOMPARE(w.Drawing().tool, 7);
  // Nothing to save or convert before a picture is open; Edit stays disabled.
  QVERIFY(!w.Actions().save->isEnabled());
  QVERIFY(!w.Actions().output->isEnabled());
  QVERIFY(!w.Actions().copy->isEnabled());
  // The device preview and the emulator show block pictures only: not a plain picture.
  for (QAction* WindowActions::*preview : {&WindowActions::tvEffect, &WindowActions::emulate}) {
    QVERIFY(!(w.Actions().*preview)->isEnabled());
    OpenBands();
    QVERIFY(!(w.Actions().*preview)->isEnabled());
  }
}

void WindowTest::palAndToolBoxShowAndHideWithCheckMarks() {
  MainWindow& w = *f_->window;
  QAction* pal = w.Actions().palette;
  QVERIFY(pal->isChecked());
  w.PaletteDock()->hide();
  QVERIFY(!pal->isChecked());
  pal->trigger();
  QVERIFY(w.PaletteDock()->isVisible());
  QVERIFY(pal->isChecked());
  QAction* box = w.Actions().toolBox;
  box->trigger();
  QVERIFY(!w.ToolBox()->isVisible());
  box->trigger();
  QVERIFY(w.ToolBox()->isVisible() && box->isChecked());
}

void WindowTest::zoomStepsStopAtTheLimitsAndMoveTheCheckMark() {
  OpenBands();
  PictureView* view = f_->window->View();
  QVERIFY(f_->window->Actions().normalZoom->isChecked());
  for (int i = 0; i < 20; ++i) QTest::keyClick(view, Qt::Key_Plus);
  QCOMPARE(view->CurrentZoom(), Zoom::In(16));
  QVERIFY(f_->window->Actions().zoomIn.last()->isChecked());
  QVERIFY(!f_->window->Actions().normalZoom->isChecked());
  QCOMPARE(view->horizontalScrollBar()->maximum(), 16 * 256 - Viewport()->width());
  QTest::keyClick(view, Qt::Key_Escape);
  QCOMPARE(view->CurrentZoom(), Zoom::Normal());
  for (int i = 0; i < 20; ++i) QTest::keyClick(view, Qt::Key_Minus);
  QCOMPARE(view->CurrentZoom(), Zoom::Out(16));
  QVERIFY(f_->window->Actions().zoomOut.last()->isChecked());
  f_->window->Drawing().tool = kMagnify;
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(2, 2));
  QCOMPARE(view->CurrentZoom(), Zoom::Out(15));
  QTest::mouseClick(Viewport(), Qt::RightButton, {}, QPoint(2, 2));
  QCOMPARE(view->CurrentZoom(), Zoom::Out(16));
}

void WindowTest::gridOnlyAboveSpacingFour() {
  f_->window->Document().New(256, 240);
  PictureView* view = f_->window->View();
  f_->window->Actions().grid->trigger();
  view->SetZoom(Zoom::Out(2));
  QImage half = view->viewport()->grab().toImage();
  QCOMPARE(half.pixelColor(4, 4), QColor(Qt::white));
  view->SetZoom(Zoom::Normal());
  QImage normal = view->viewport()->grab().toImage();
  QCOMPARE(normal.pixelColor(8, 4), QColor(Qt::black));  // white xor white
  QCOMPARE(normal.pixelColor(7, 4), QColor(Qt::white));
}

void WindowTest::penDrawsAndClosingAsksToSave() {
  OpenBands();
  f_->window->Drawing().tool = kPen;
  f_->window->Drawing().foreground = MakeRgb(1, 2, 3);
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(20, 30));
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(20, 30));
  QCOMPARE(f_->window->Document().View().At(20, 30), MakeRgb(1, 2, 3));
  QVERIFY(f_->window->IsModified());
  QVERIFY(!f_->window->close());
  QCOMPARE(f_->prompts.questions.size(), 1);
  f_->prompts.saveAnswer = QMessageBox::No;
  QVERIFY(f_->window->close());
}

void WindowTest::lineShowsWhileDraggedAndIsOneUndoStep() {
  OpenBands();
  MainWindow& w = *f_->window;
  w.Drawing().tool = kLine;
  w.Drawing().foreground = MakeRgb(1, 2, 3);
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(10, 20));
  QTest::mouseMove(Viewport(), QPoint(30, 20));
  // While dragging the line is on screen only.
  const QImage shown = Viewport()->grab().toImage();
  QCOMPARE(FromQColor(shown.pixelColor(20, 20)), MakeRgb(1, 2, 3));
  QCOMPARE(FromQColor(shown.pixelColor(20, 21)), Bands(20, 21));
  QVERIFY(ChangedFromBands().empty());
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(40, 30));
  PixelList line = LinePixels({10, 20}, {40, 30});
  std::sort(line.begin(), line.end());
  QCOMPARE(ChangedFromBands(), line);
  QCOMPARE(w.Document().View().At(40, 30), MakeRgb(1, 2, 3));
  QCOMPARE(FromQColor(Viewport()->grab().toImage().pixelColor(20, 20)), Bands(20, 20));
  QVERIFY(w.Actions().undo->text().startsWith(QStringLiteral("(&U)ndo Line")));
  QTest::keyClick(Viewport(), Qt::Key_Z, Qt::ControlModifier);
  QVERIFY(ChangedFromBands().empty());
  QVERIFY(!w.Document().CanUndo());
}

void WindowTest::boxShapesStampsAndSprayDrawWhereDragged() {
  OpenBands();
  MainWindow& w = *f_->window;
  w.Drawing().foreground = MakeRgb(1, 2, 3);
  w.Drawing().background = MakeRgb(4, 5, 6);
  const std::pair<int, Shape> shapes[] = {
      {kRectangle, Shape::kRectangle}, {kRound, Shape::kRound}, {kOval, Shape::kOval}};
  for (const auto& [tool, shape] : shapes) {
    Drag(tool, QPoint(60, 90), QPoint(20, 40));
    QCOMPARE(ChangedFromBands(), ShapePixels(shape, {20, 40}, {60, 90}));
    w.Document().Undo();
  }
  // The right button draws in the background colour.
  Drag(kRectangle, QPoint(20, 40), QPoint(60, 90), Qt::RightButton);
  QCOMPARE(w.Document().View().At(20, 40), MakeRgb(4, 5, 6));
  w.Document().Undo();
  // The eraser leaves an 8 x 8 square of background colour around the point, the brush
  // its round stamp along the path; each press to release is one step.
  Drag(kEraser, QPoint(30, 30), QPoint(30, 30));
  QCOMPARE(ChangedFromBands(), StampPixels({30, 30}, kEraserStamp));
  QCOMPARE(w.Document().View().At(26, 26), MakeRgb(4, 5, 6));
  QCOMPARE(w.Document().UndoName(), std::string("Eraser"));
  w.Document().Undo();
  Drag(kBrush, QPoint(30, 30), QPoint(50, 34));
  QCOMPARE(ChangedFromBands(), StampPath({30, 30}, {50, 34}, kBrushStamp));
  QCOMPARE(w.Document().View().At(50, 36), MakeRgb(1, 2, 3));
  w.Document().Undo();
  // Spray: a burst of dots at the press, the move and the release, all near the path.
  QVERIFY(!w.Document().CanUndo());
  Drag(kSpray, QPoint(30, 30), QPoint(30, 30));
  const PixelList dots = ChangedFromBands();
  QVERIFY(!dots.empty() && dots.size() <= size_t(2 * kSprayDots));
  for (const PixelPoint& p : dots) {
    QVERIFY((p.x - 30) * (p.x - 30) + (p.y - 30) * (p.y - 30) <= kSprayRadius * kSprayRadius);
    QCOMPARE(w.Document().View().At(p.x, p.y), MakeRgb(1, 2, 3));
  }
  QCOMPARE(w.Document().UndoName(), std::string("Spray"));
  w.Document().Undo();
  QVERIFY(!w.Document().CanUndo());
}

void WindowTest::paintFillsTheClickedRegion() {
  OpenBands();
  MainWindow& w = *f_->window;
  w.Drawing().tool = kPaint;
  w.Drawing().foreground = MakeRgb(1, 2, 3);
  // The first band below the black strip: 64 x 224 pixels, clear of the disc.
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(10, 100));
  QTRY_COMPARE(w.Document().UndoName(), std::string("Fill"));  // the worker fills
  const PixelList filled = ChangedFromBands();
  QCOMPARE(filled.size(), size_t(64 * 224));
  QCOMPARE(filled.front(), (PixelPoint{0, 16}));
  QCOMPARE(filled.back(), (PixelPoint{63, 239}));
  QCOMPARE(w.Document().View().At(0, 16), MakeRgb(1, 2, 3));
  QCOMPARE(w.Document().UndoName(), std::string("Fill"));
  // Filling with the colour already there changes nothing and adds no step.
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(10, 100));
  w.Document().Undo();
  QVERIFY(!w.Document().CanUndo());
}

void WindowTest::drawingToolsRefuseBlockPictures() {
  const QString bmp = WriteBmp(f_->Path("bands.bmp"), 256, 240, Bands);
  QProcess cli;
  cli.start(QStringLiteral(TILVEX_CLI), {"convert", bmp, "-o", f_->Path("bands.pic")});
  QVERIFY(cli.waitForFinished(60000));
  QVERIFY(f_->window->OpenFile(f_->Path("bands.pic")));
  tilvex::Document& doc = f_->window->Document();
  QVERIFY(doc.IsBlockPicture());
  const std::vector<uint8_t> before = doc.View().pixels;
  const QString reason = QString::fromStdString(doc.CanPaint().Text());
  QSignalSpy refused(f_->window->View(), &PictureView::toolRefused);
  const int tools[] = {kEraser, kPen, kBrush, kSpray, kPaint, kLine, kRectangle, kRound, kOval};
  for (int tool : tools) Drag(tool, QPoint(10, 20), QPoint(40, 50));
  QCOMPARE(refused.size(), int(std::size(tools)));
  QCOMPARE(refused.last().first().toString(), reason);
  QCOMPARE(f_->window->statusBar()->currentMessage(), reason);
  QVERIFY(doc.View().pixels == before);
  QVERIFY(!doc.CanUndo());
}

// Output, the preview and the cell editor work on a block picture; a .pic file that holds
// another kind of picture opens but offers none of them, and is still not drawn on. (A .pic
// too short to hold a picture does not open at all.)
void WindowTest::aPicWithoutABlockPictureOffersNoOutput() {
  RunCli(
      {"convert", WriteBmp(f_->Path("bands.bmp"), 256, 240, Bands), "-o", f_->Path("bands.pic")});
  QByteArray plain = ReadAll(f_->Path("bands.pic"));
  plain[20] = 0;  // the header's picture kind
  QFile plainFile(f_->Path("plain.pic"));
  QVERIFY(plainFile.open(QIODevice::WriteOnly));
  plainFile.write(plain);
  plainFile.close();
  {
    const char* name = "plain.pic";
    f_->window->OpenFile(f_->Path(name));
    QCOMPARE(f_->window->DocumentPath(), f_->Path(name));
    QVERIFY2(!f_->window->Actions().output->isEnabled(), name);
    f_->prompts.dialogTitles.clear();
    f_->window->Actions().output->trigger();
    QVERIFY2(f_->prompts.dialogTitles.isEmpty(), name);
    QVERIFY2(!f_->window->Document().CanPaint(), name);
  }
  QVERIFY(f_->window->OpenFile(f_->Path("bands.pic")));
  QVERIFY(f_->window->Actions().output->isEnabled());
}

void WindowTest::eyeDropTakesForegroundAndBackground() {
  OpenBands();
  f_->window->Drawing().tool = kEyeDrop;
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(70, 30));
  QTest::mouseClick(Viewport(), Qt::RightButton, {}, QPoint(200, 30));
  QCOMPARE(f_->window->Drawing().foreground, Bands(70, 30));
  QCOMPARE(f_->window->Drawing().background, Bands(200, 30));
}

void WindowTest::ctrlWheelAndMagnifierZoomAroundThePointer() {
  OpenBands();
  PictureView* view = f_->window->View();
  view->SetZoom(Zoom::In(4));
  view->horizontalScrollBar()->setValue(101);
  view->verticalScrollBar()->setValue(57);
  const QPoint at(150, 120);
  const QPoint pixel = PictureAt(at);
  const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(at, Viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Viewport(), &event);
  };
  wheel(120, Qt::ControlModifier);
  QCOMPARE(view->CurrentZoom(), Zoom::In(5));
  QCOMPARE(PictureAt(at), pixel);
  QVERIFY(f_->window->Actions().zoomIn[3]->isChecked());
  wheel(-240, Qt::ControlModifier);
  QCOMPARE(view->CurrentZoom(), Zoom::In(3));
  QCOMPARE(PictureAt(at), pixel);
  // Half a notch at a time adds up; without Ctrl the wheel scrolls.
  wheel(60, Qt::ControlModifier);
  QCOMPARE(view->CurrentZoom(), Zoom::In(3));
  wheel(60, Qt::ControlModifier);
  QCOMPARE(view->CurrentZoom(), Zoom::In(4));
  QCOMPARE(PictureAt(at), pixel);
  const int top = view->verticalScrollBar()->value();
  wheel(-120, Qt::NoModifier);
  QCOMPARE(view->CurrentZoom(), Zoom::In(4));
  QVERIFY(view->verticalScrollBar()->value() > top);
  // The magnifier keeps the clicked pixel where it was clicked.
  const QPoint clicked = PictureAt(at);
  f_->window->Drawing().tool = kMagnify;
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, at);
  QCOMPARE(view->CurrentZoom(), Zoom::In(5));
  QCOMPARE(PictureAt(at), clicked);
}

void WindowTest::zoomKeysKeepTheCentreAndFitShowsTheWholePicture() {
  OpenBands();
  PictureView* view = f_->window->View();
  view->SetZoom(Zoom::In(6));
  view->horizontalScrollBar()->setValue(333);
  view->verticalScrollBar()->setValue(222);
  const QPoint centre = Viewport()->rect().center();
  const QPoint pixel = PictureAt(centre);
  QTest::keyClick(view, Qt::Key_Plus);
  QCOMPARE(view->CurrentZoom(), Zoom::In(7));
  QCOMPARE(PictureAt(centre), pixel);
  QTest::keyClick(view, Qt::Key_Minus);
  QTest::keyClick(view, Qt::Key_Minus);
  QCOMPARE(view->CurrentZoom(), Zoom::In(5));
  QCOMPARE(PictureAt(centre), pixel);
  // Fit: the whole picture without scrolling, and one step more would not fit.
  QVERIFY(f_->window->Actions().fitZoom);
  Trigger(&WindowActions::fitZoom);
  const Zoom fit = view->CurrentZoom();
  QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
  QCOMPARE(view->verticalScrollBar()->maximum(), 0);
  const QSize room = Viewport()->size();
  QVERIFY(fit.ToScreen(256) <= room.width() && fit.ToScreen(240) <= room.height());
  const Zoom more = fit.StepIn();
  QVERIFY(more.ToScreen(256) > room.width() || more.ToScreen(240) > room.height());
  // A larger window fits a larger step.
  f_->window->resize(f_->window->width() + 600, f_->window->height() + 600);
  QTRY_VERIFY(Viewport()->width() > room.width() + 300);
  Trigger(&WindowActions::fitZoom);
  QVERIFY(view->CurrentZoom().zoomIn > fit.zoomIn);
}

void WindowTest::selectBandSetsTheAreaAndAClickBeeps() {
  OpenBands();
  f_->window->Drawing().tool = kSelect;
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(17, 16));
  QTest::mouseMove(Viewport(), QPoint(10, 10));
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(3, 5));
  QCOMPARE(f_->window->Document().Area(), (AreaRect{3, 5, 17, 16}));
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(40, 40));
  QCOMPARE(f_->prompts.beeps, 1);
  QCOMPARE(f_->window->Document().Area(), (AreaRect{3, 5, 17, 16}));
}

void WindowTest::readOutsShowThePixelUnderTheMouse() {
  f_->prompts.files.push_back(
      WriteBmp(f_->Path("one.bmp"), 16, 16, [](int, int) { return MakeRgb(10, 20, 31); }));
  Trigger(&WindowActions::open);
  PaletteBar* bar = f_->window->Bar();
  QCursor::setPos(Viewport()->mapToGlobal(QPoint(5, 6)));
  f_->window->UpdateReadOuts();
  QStringList shown;
  for (int i = 0; i < 6; ++i) shown << bar->ReadOut(i);
  QCOMPARE(shown, QStringList({"10", "20", "31", "20", "5", "6"}));
  QCursor::setPos(Viewport()->mapToGlobal(QPoint(100, 100)));
  f_->window->UpdateReadOuts();
  QCOMPARE(bar->ReadOut(0), QStringLiteral("..."));
}

void WindowTest::colourListClicksAndBlinking() {
  ColourListArea* list = f_->window->Bar()->List();
  QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(5, 5));  // no picture, no colours
  QCOMPARE(f_->prompts.colourDialogs, 0);
  OpenBands();
  tilvex::Document& doc = f_->window->Document();
  QCOMPARE(doc.Colours().size(), size_t(6));
  // Holding a colour blinks its pixels in the view; the picture itself never changes.
  const auto shown = [this] { return FromQColor(Viewport()->grab().toImage().pixelColor(0, 20)); };
  const QPoint red = list->CellRect(1).center();
  QTest::mousePress(list, Qt::RightButton, {}, red);
  // The blink's phase depends on its timer: wait for the lit phase rather than a fixed time.
  QTRY_COMPARE(shown(), Bands(0, 20) ^ 0xFFFFFFu);
  QCOMPARE(doc.View().At(0, 20), Bands(0, 20));
  QTest::mouseRelease(list, Qt::RightButton, {}, red);
  QCOMPARE(shown(), Bands(0, 20));
  QVERIFY(!doc.IsModified());
  f_->prompts.colour = QColor(1, 2, 3);
  QTest::mouseClick(list, Qt::LeftButton, {}, red);
  QTRY_COMPARE(doc.View().At(0, 20), MakeRgb(1, 2, 3));
  QCOMPARE(doc.Colours()[1], MakeRgb(1, 2, 3));
}

void WindowTest::newMakesABlankPictureOfTheChosenSize() {
  f_->prompts.onExec = [](QDialog& d) {
    auto* dialog = qobject_cast<NewPictureDialog*>(&d);
    if (dialog->width->value() != 256 || dialog->high->value() != 240) return 0;
    dialog->width->setValue(64);
    return int(QDialog::Accepted);
  };
  Trigger(&WindowActions::newPicture);
  QCOMPARE(f_->prompts.dialogTitles, QStringList({"New"}));
  const Picture& blank = f_->window->Document().View();
  QCOMPARE(blank.width, 64);
  QCOMPARE(blank.height, 240);
  QCOMPARE(blank.At(63, 239), MakeRgb(255, 255, 255));
  QVERIFY(f_->window->Actions().save->isEnabled());
  QCOMPARE(f_->window->windowTitle(), QStringLiteral("Untitled \u2014 Tilvex"));
}

void WindowTest::refreshReopensTheFileOpenedLastThroughOpen() {
  const QString first = OpenBands("first.bmp");
  f_->window->Drawing().tool = kPen;
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(1, 1));
  f_->prompts.files.push_back(f_->Path("saved.bmp"));
  Trigger(&WindowActions::saveAs);
  QCOMPARE(f_->prompts.requests.back().filters, QStringList({"Bitmap(*.bmp)", "PNG(*.png)"}));
  QVERIFY(QFile::exists(f_->Path("saved.bmp")));
  const QString second = WriteBmp(f_->Path("second.bmp"), 8, 8, Bands);
  QVERIFY(f_->window->OpenFile(second, false));  // as from the recent-file list
  Trigger(&WindowActions::refresh);
  QCOMPARE(f_->window->DocumentPath(), first);
  QCOMPARE(f_->window->Document().View().width, 256);
  QCOMPARE(f_->window->RecentFiles().first(), first);
}

void WindowTest::aboutBoxLinkOpensOrSaysWhyNot() {
  AboutDialog about(f_->prompts);
  HyperLink* link = about.Link();
  link->SetOpener([](const QString&, QString& reason) {
    reason = QStringLiteral("The specified file was not found.");
    return false;
  });
  QTest::mouseClick(link, Qt::LeftButton);
  QCOMPARE(f_->prompts.messages, QStringList({"Can't open link:\n" + link->Target() +
                                              "\n\nThe specified file was not found."}));
  QCOMPARE(f_->prompts.beeps, 1);
  QVERIFY(!link->Visited());
  // Without an opener of the test's own: a folder that is gone is refused in the system's
  // words before anything is started.
  HyperLink gone(QString(), f_->prompts);
  const QString missing = QUrl::fromLocalFile(f_->Path("gone/folder")).toString();
  gone.SetTarget(missing);
  gone.show();
  QTest::mouseClick(&gone, Qt::LeftButton);
  QCOMPARE(f_->prompts.messages.last(),
           "Can't open link:\n" + missing + "\n\n" + QString::fromLocal8Bit(strerror(ENOENT)));
  QVERIFY(!gone.Visited());
  QString opened;
  link->SetOpener([&opened](const QString& target, QString&) {
    opened = target;
    return true;
  });
  link->setFocus();
  QTest::keyClick(link, Qt::Key_Space);
  QCOMPARE(opened, link->Target());
  QVERIFY(link->Visited());
}

void WindowTest::outputBrowsesForNewFilesAndSaysWhatItWrote() {
  RunCli(
      {"convert", WriteBmp(f_->Path("bands.bmp"), 256, 240, Bands), "-o", f_->Path("bands.pic")});
  QVERIFY(f_->window->OpenFile(f_->Path("bands.pic")));
  QVERIFY(f_->window->Actions().tvEffect->isEnabled());
  QVERIFY(f_->window->Actions().emulate->isEnabled());
  QVERIFY(QDir(f_->dir.path()).mkpath(QStringLiteral("out")));
  const QString pgt = f_->Path("out/title_pgt.asm");
  const QString pnt = f_->Path("out/title_pnt.asm");
  QList<QPushButton*> browse;
  QString kept;
  f_->prompts.onExec = [&](QDialog& d) {
    auto* dialog = qobject_cast<FileOutputDialog*>(&d);
    dialog->show();
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
      if (b->text() == QStringLiteral("Browse...")) browse << b;
    }
    QTest::mouseClick(browse.at(0), Qt::LeftButton);  // cancelled: the name stays
    kept = dialog->pgtFile->text();
    const QPoint onTheCircle(4, dialog->assembler->height() / 2);
    QTest::mouseClick(dialog->assembler, Qt::LeftButton, {}, onTheCircle);
    f_->prompts.files = {pgt, pnt};
    QTest::mouseClick(browse.at(0), Qt::LeftButton);
    QTest::mouseClick(browse.at(1), Qt::LeftButton);
    return int(QDialog::Accepted);
  };
  f_->window->Actions().output->trigger();
  QCOMPARE(browse.size(), 2);
  QCOMPARE(kept, f_->Path("bands_pgt.bin"));
  // Output files are named, not picked: a save prompt that offers the name in the field and
  // completes a bare name after the chosen format.
  const std::vector<FileRequest>& asked = f_->prompts.requests;
  QCOMPARE(asked.size(), size_t(3));
  for (const FileRequest& request : asked) QVERIFY(request.save);
  QCOMPARE(asked[0].defaultSuffix, QStringLiteral("bin"));
  QCOMPARE(asked[0].initialName, f_->Path("bands_pgt.bin"));
  QCOMPARE(asked[1].defaultSuffix, QStringLiteral("asm"));
  QCOMPARE(asked[1].initialName, f_->Path("bands_pgt.asm"));
  QCOMPARE(asked[1].filters, QStringList{QStringLiteral("PGT文件(*.bin,*.asm) (*.bin *.asm)")});
  QCOMPARE(asked[2].defaultSuffix, QStringLiteral("asm"));
  QCOMPARE(asked[2].initialName, f_->Path("bands_pnt.asm"));
  QCOMPARE(asked[2].filters, QStringList{QStringLiteral("PNT文件(*.asm) (*.asm)")});
  QCOMPARE(f_->window->statusBar()->currentMessage(),
           QStringLiteral("已写出 %1 和 %2").arg(pgt, pnt));
  QVERIFY(f_->prompts.messages.isEmpty());
  // The labels in the files come from their names, so the command line writes the same names.
  QVERIFY(QDir(f_->dir.path()).mkpath(QStringLiteral("cli")));
  RunCli({"output", f_->Path("bands.pic"), "--asm", "--pgt", f_->Path("cli/title_pgt.asm"), "--pnt",
          f_->Path("cli/title_pnt.asm")});
  QVERIFY(!ReadAll(pgt).isEmpty());
  QCOMPARE(ReadAll(pgt), ReadAll(f_->Path("cli/title_pgt.asm")));
  QCOMPARE(ReadAll(pnt), ReadAll(f_->Path("cli/title_pnt.asm")));
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
