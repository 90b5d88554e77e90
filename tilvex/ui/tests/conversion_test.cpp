// The conversion path as a user walks it: Transform, drag the area, "Next", review the
// palettes in "VT03 PAL Setup", then output and save; the files must equal what tilvex-cli
// makes of the same picture. Dialogs are answered by FakePrompts.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "doc/pic_file.h"
#include "pal_setup_dialog.h"
#include "palette_bar.h"
#include "small_dialogs.h"
#include "test_pictures.h"
#include "transformation_dialog.h"

using namespace tilvex;
using namespace tilvex::ui;
using namespace tilvex::ui::testing;

class ConversionTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup() { f_.reset(); }

  void reviewedConversionOutputsWhatTheCommandLineOutputs();
  void defaultConversionSavesWhatTheCommandLineConverts();
  void reducedConversionSavesWhatTheCommandLineReduces();
  void transformationKeepsAreaAndFieldsInStep();
  void transformationChecksBlockSizeAndReadsAddresses();
  void transformationKeepsPartBlocksOfThePicture();
  void palSetupSwapsSlotsAndEditsRows();
  void palSetupLoadsPaletteFilesAndRefusesOthers();
  void cellEditorKeepsItsFieldsConsistent();

 private:
  TransformationDialog* Transform();
  void DragArea(QPoint from, QPoint to);
  void ConvertWholePicture(std::function<void(PalSetupDialog&)> review);
  void RunCli(const QStringList& args);
  template <typename T>
  T* Field(int i) {
    return f_->window->Transformation()->findChildren<T*>().at(i);
  }
  std::unique_ptr<WindowFixture> f_;
  QString bmp_;
};

void ConversionTest::init() {
  f_ = std::make_unique<WindowFixture>();
  bmp_ = WriteBmp(f_->Path("bands.bmp"), 256, 240, Bands);
  QVERIFY(f_->window->OpenFile(bmp_));
}

TransformationDialog* ConversionTest::Transform() {
  f_->window->Actions().transform->trigger();
  return f_->window->Transformation();
}

void ConversionTest::DragArea(QPoint from, QPoint to) {
  QWidget* viewport = f_->window->View()->viewport();
  QTest::mousePress(viewport, Qt::LeftButton, {}, from);
  QTest::mouseMove(viewport, to);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
}

void ConversionTest::ConvertWholePicture(std::function<void(PalSetupDialog&)> review) {
  Transform();
  DragArea({1, 1}, {255, 239});  // QTest reads (0, 0) as the widget's centre
  f_->prompts.onExec = [review](QDialog& d) {
    auto* dialog = qobject_cast<PalSetupDialog*>(&d);
    if (!dialog) return int(QDialog::Rejected);
    dialog->show();
    review(*dialog);
    return int(QDialog::Accepted);
  };
  QTest::mouseClick(Field<QPushButton>(1), Qt::LeftButton);  // "Next"
  QTRY_VERIFY(f_->window->Document().IsBlockPicture());
  QVERIFY(!f_->window->View()->AreaSelection());
}

void ConversionTest::RunCli(const QStringList& args) {
  QProcess cli;
  cli.start(QStringLiteral(TILVEX_CLI), args);
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
}

void ConversionTest::reviewedConversionOutputsWhatTheCommandLineOutputs() {
  ConvertWholePicture([](PalSetupDialog& dialog) {
    SlotGrid* grid = dialog.Grid();
    QTest::mousePress(grid, Qt::LeftButton, {}, SlotGrid::CellRect(1).center());
    QTest::mouseRelease(grid, Qt::LeftButton, {}, SlotGrid::CellRect(2).center());
  });
  QCOMPARE(f_->prompts.dialogTitles, QStringList({"VT03 PAL Setup"}));
  QCOMPARE(f_->window->DocumentPath(), f_->Path("bands.pic"));
  QVERIFY(f_->window->Bar()->Information().startsWith(
      QStringLiteral("width:256\nheight:240\nAddress:0\n")));
  f_->prompts.onExec = [](QDialog&) { return int(QDialog::Accepted); };
  f_->window->Actions().output->trigger();
  f_->prompts.files.push_back(f_->Path("saved.pic"));
  f_->window->Actions().saveAs->trigger();
  QDir(f_->dir.path()).mkdir(QStringLiteral("cli"));
  // The swap made in the review reaches the picture: against the command line's conversion of
  // the same picture, which nobody reviewed, the first palette's slots 1 and 2 trade places.
  RunCli({"convert", bmp_, "-o", f_->Path("cli/unreviewed.pic")});
  PicLoad reviewed, unreviewed;
  QVERIFY(ReadPicFile(f_->Path("saved.pic").toStdString(), reviewed));
  QVERIFY(ReadPicFile(f_->Path("cli/unreviewed.pic").toStdString(), unreviewed));
  const BlockData& ours = reviewed.picture.blocks;
  const BlockData& theirs = unreviewed.picture.blocks;
  QVERIFY(theirs.PaletteEntry(1) != theirs.PaletteEntry(2));
  QCOMPARE(ours.PaletteEntry(1), theirs.PaletteEntry(2));
  QCOMPARE(ours.PaletteEntry(2), theirs.PaletteEntry(1));
  QCOMPARE(ours.PaletteEntry(3), theirs.PaletteEntry(3));
  RunCli({"output", f_->Path("saved.pic"), "--pgt", f_->Path("cli/bands_pgt.bin"), "--pnt",
          f_->Path("cli/bands_pnt.asm")});
  QVERIFY(!ReadAll(f_->Path("bands_pgt.bin")).isEmpty());
  QCOMPARE(ReadAll(f_->Path("bands_pgt.bin")), ReadAll(f_->Path("cli/bands_pgt.bin")));
  QCOMPARE(ReadAll(f_->Path("bands_pnt.asm")), ReadAll(f_->Path("cli/bands_pnt.asm")));
}

void ConversionTest::defaultConversionSavesWhatTheCommandLineConverts() {
  ConvertWholePicture([](PalSetupDialog&) {});
  QCOMPARE(f_->window->Document().View().width, 256);
  f_->prompts.files.push_back(f_->Path("window.pic"));
  f_->window->Actions().saveAs->trigger();
  QCOMPARE(f_->prompts.requests.back().defaultSuffix, QStringLiteral("pic"));
  RunCli({"convert", bmp_, "-o", f_->Path("cli.pic")});
  QCOMPARE(ReadAll(f_->Path("window.pic")), ReadAll(f_->Path("cli.pic")));
  // A double click edits the cell under the mouse.
  f_->prompts.onExec = [](QDialog& d) {
    qobject_cast<PntAttribDialog*>(&d)->attCode->setText(QStringLiteral("$3"));
    return int(QDialog::Accepted);
  };
  QTest::mouseDClick(f_->window->View()->viewport(), Qt::LeftButton, {}, QPoint(9, 2));
  QCOMPARE(f_->window->Document().CellAt(9, 2).attribute, uint8_t(3));
  QVERIFY(f_->window->IsModified());
}

// A photo-like picture is refused as it is; with "Reduce colours" it converts, the same as
// the command line's --reduce.
void ConversionTest::reducedConversionSavesWhatTheCommandLineReduces() {
  const QString photo = WriteBmp(f_->Path("photo.bmp"), 64, 48, [](int x, int y) {
    return MakeRgb(uint32_t(x * 4 + y % 3), uint32_t(y * 5 + x % 7), uint32_t((x * y) % 251));
  });
  QVERIFY(f_->window->OpenFile(photo));
  f_->prompts.onExec = [](QDialog&) { return int(QDialog::Accepted); };
  Transform();
  Field<QComboBox>(0)->setCurrentIndex(1);  // "TFT RGB(4K RGB)"
  QTest::mouseClick(Field<QPushButton>(1), Qt::LeftButton);
  QTRY_COMPARE(f_->prompts.messages.size(), 1);
  QVERIFY(!f_->window->Document().IsBlockPicture());

  Transform();
  Field<QComboBox>(0)->setCurrentIndex(1);
  auto* reduce =
      f_->window->Transformation()->findChild<QCheckBox*>(QStringLiteral("reduceColours"));
  auto* dither = f_->window->Transformation()->findChild<QComboBox*>(QStringLiteral("dither"));
  QVERIFY(!dither->isEnabled());
  reduce->setChecked(true);
  QVERIFY(dither->isEnabled());
  dither->setCurrentIndex(2);  // "Floyd-Steinberg"
  QTest::mouseClick(Field<QPushButton>(1), Qt::LeftButton);
  QTRY_VERIFY(f_->window->Document().IsBlockPicture());
  QCOMPARE(f_->prompts.messages.size(), 1);
  f_->prompts.files.push_back(f_->Path("window.pic"));
  f_->window->Actions().saveAs->trigger();
  RunCli({"convert", photo, "-o", f_->Path("cli.pic"), "--space", "rgb", "--reduce", "--dither",
          "fs"});
  QCOMPARE(ReadAll(f_->Path("window.pic")), ReadAll(f_->Path("cli.pic")));
}

void ConversionTest::transformationKeepsAreaAndFieldsInStep() {
  TransformationDialog* dialog = Transform();
  QVERIFY(f_->window->View()->AreaSelection());
  QCOMPARE(Field<QSpinBox>(2)->value(), 256);
  QCOMPARE(Field<QComboBox>(0)->currentText(), QStringLiteral("VT03 NEW(4K HSL)"));
  DragArea({3, 5}, {17, 16});
  const AreaRect snapped{0, 0, 24, 24};
  QCOMPARE(f_->window->Document().Area(), snapped);
  QCOMPARE(Field<QSpinBox>(2)->value(), 24);
  Field<QSpinBox>(0)->setValue(8);  // X moves the left edge only
  QCOMPARE(f_->window->Document().Area(), (AreaRect{8, 0, 24, 24}));
  Field<QSpinBox>(2)->setValue(32);  // Width keeps the left edge
  QCOMPARE(f_->window->Document().Area(), (AreaRect{8, 0, 40, 24}));
  // A drag out past the picture's corner stops at its edge.
  DragArea({100, 100}, {400, 400});
  QCOMPARE(f_->window->Document().Area(), (AreaRect{96, 96, 256, 240}));
  QCOMPARE(Field<QSpinBox>(2)->value(), 160);
  dialog->close();
  QVERIFY(!f_->window->View()->AreaSelection());
}

void ConversionTest::transformationChecksBlockSizeAndReadsAddresses() {
  TransformationDialog* dialog = Transform();
  Field<QComboBox>(2)->setCurrentIndex(2);  // "16*8": 256 x 240 fits
  QVERIFY(f_->prompts.messages.isEmpty());
  Field<QSpinBox>(2)->setValue(120);
  ConversionSettings settings;
  QVERIFY(!dialog->ReadSettings(settings));
  QCOMPARE(f_->prompts.messages, QStringList({"当前区域与块大小不匹配!"}));
  Field<QSpinBox>(2)->setValue(128);
  Field<QSpinBox>(3)->setValue(8);
  dialog->findChild<QLineEdit*>(QStringLiteral("startAddress"))->setText(QStringLiteral("$800"));
  dialog->findChild<QLineEdit*>(QStringLiteral("endAddress"))->clear();
  QVERIFY(dialog->ReadSettings(settings));
  QCOMPARE(settings.area.right, 128);
  QCOMPARE(settings.area.bottom, 8);
  QCOMPARE(settings.beginAddress, uint16_t(0x800));
  QCOMPARE(settings.endAddress, uint16_t(0));
  QCOMPARE(settings.blockMode, 2);
  // An address past $FFFF is refused with the reason, as the command line refuses it, and not
  // cut down to its last four digits ($2000).
  f_->prompts.messages.clear();
  dialog->findChild<QLineEdit*>(QStringLiteral("endAddress"))->setText(QStringLiteral("12000"));
  settings.endAddress = 0x1234;
  QVERIFY(!dialog->ReadSettings(settings));
  QCOMPARE(settings.endAddress, uint16_t(0x1234));
  QCOMPARE(f_->prompts.messages, QStringList({"End Address必须是0到FFFF之间的十六进制数!"}));
}

// A picture of part blocks opens with its size rounded up to whole blocks, and stays whole
// under another block size until the user chooses an area.
void ConversionTest::transformationKeepsPartBlocksOfThePicture() {
  QVERIFY(f_->window->OpenFile(WriteBmp(f_->Path("small.bmp"), 20, 12, Bands)));
  TransformationDialog* dialog = Transform();
  QCOMPARE(Field<QSpinBox>(2)->value(), 24);
  QCOMPARE(Field<QSpinBox>(3)->value(), 16);
  Field<QComboBox>(2)->setCurrentIndex(3);  // "16*16"
  QVERIFY(f_->prompts.messages.isEmpty());
  QCOMPARE(f_->window->Document().Area(), (AreaRect{0, 0, 32, 16}));
  ConversionSettings settings;
  QVERIFY(dialog->ReadSettings(settings));
  QCOMPARE(settings.area.right, 32);
  Field<QSpinBox>(2)->setValue(20);  // typed: refused, not rounded
  QVERIFY(!dialog->ReadSettings(settings));
  QCOMPARE(f_->prompts.messages, QStringList({"当前区域与块大小不匹配!"}));
}

void ConversionTest::palSetupSwapsSlotsAndEditsRows() {
  SlotTable table;
  table.At(0, 0) = {MakeRgb(1, 1, 1), 1};
  table.At(2, 5) = {MakeRgb(2, 2, 2), 0};
  PalSetupDialog dialog(table, f_->prompts);
  dialog.show();
  SlotGrid* grid = dialog.Grid();
  QTest::mousePress(grid, Qt::LeftButton, {}, SlotGrid::CellRect(0).center());
  QTest::mouseRelease(grid, Qt::LeftButton, {}, SlotGrid::CellRect(2 * 16 + 5).center());
  QCOMPARE(table.At(2, 5), (Slot{MakeRgb(1, 1, 1), 1}));
  QCOMPARE(table.At(0, 0), (Slot{MakeRgb(2, 2, 2), 0}));
  auto rowMenu = [&](int row, const char* choice) {
    f_->prompts.menuChoice = QString::fromLatin1(choice);
    QTest::mouseClick(grid, Qt::RightButton, {}, SlotGrid::CellRect(row * 16).center());
  };
  rowMenu(2, "Line paste");
  QCOMPARE(f_->prompts.menuEnabled, QList<bool>({true, true, true, false}));
  rowMenu(2, "Line cut");
  QCOMPARE(table.At(2, 5), (Slot{MakeRgb(1, 1, 1), 0}));
  rowMenu(7, "Line paste");
  QCOMPARE(f_->prompts.menuEnabled.last(), true);
  QCOMPARE(table.At(7, 5), (Slot{MakeRgb(1, 1, 1), 1}));
}

void ConversionTest::palSetupLoadsPaletteFilesAndRefusesOthers() {
  // Which slots a file brings is the palette file's own rule; here the button reads it.
  SlotTable file;
  file.At(2, 5) = {MakeRgb(9, 9, 9), 1};
  const std::string path = f_->Path("one-slot.pal").toStdString();
  QVERIFY(tilvex::Document::SavePalette(path, file).ok);
  SlotTable table;
  PalSetupDialog dialog(table, f_->prompts);
  f_->prompts.files.push_back(QString::fromStdString(path));
  QTest::mouseClick(dialog.findChildren<QPushButton*>().at(0), Qt::LeftButton);  // "Load"
  QCOMPARE(f_->prompts.requests.back().defaultSuffix, QStringLiteral("pal"));
  QCOMPARE(table.At(2, 5), (Slot{MakeRgb(9, 9, 9), 1}));
  f_->prompts.files.push_back(f_->Path("foreign.pal"));
  WriteBmp(f_->Path("foreign.pal"), 1, 1, Bands);
  QTest::mouseClick(dialog.findChildren<QPushButton*>().at(0), Qt::LeftButton);
  QCOMPARE(f_->prompts.messages, QStringList({"该文件不是合法的调色板文件!"}));
}

void ConversionTest::cellEditorKeepsItsFieldsConsistent() {
  PntAttribDialog dialog(0x12, 0x41, true);
  QCOMPARE(dialog.pntCode->text(), QStringLiteral("0x0012"));
  QCOMPARE(dialog.attCode->text(), QStringLiteral("0x41"));
  QVERIFY(!dialog.switch1->isChecked() && dialog.switch2->isChecked());
  dialog.palNo->setValue(12);
  QCOMPARE(dialog.attCode->text(), QStringLiteral("0x4C"));
  dialog.switch1->setChecked(true);
  QCOMPARE(dialog.Attribute(), std::optional<uint8_t>(0xCC));
  dialog.pntCode->setText(QStringLiteral("$1F"));
  QCOMPARE(dialog.Code(), std::optional<uint16_t>(31));
  // A code past $FFFF or an attribute past $FF is refused, and OK keeps the dialog open.
  dialog.show();
  dialog.pntCode->setText(QStringLiteral("12000"));
  QCOMPARE(dialog.Code(), std::nullopt);
  QTest::keyClick(&dialog, Qt::Key_Return);
  QVERIFY(dialog.isVisible());
  QCOMPARE(dialog.problem->text(), QStringLiteral("PNTCode必须是0到FFFF之间的十六进制数!"));
  dialog.pntCode->setText(QStringLiteral("2000"));
  dialog.attCode->setText(QStringLiteral("1CC"));
  QCOMPARE(dialog.Attribute(), std::nullopt);
  QTest::keyClick(&dialog, Qt::Key_Return);
  QVERIFY(dialog.isVisible());
  QCOMPARE(dialog.problem->text(), QStringLiteral("ATTCode必须是0到FF之间的十六进制数!"));
  dialog.attCode->setText(QStringLiteral("CC"));
  QTest::keyClick(&dialog, Qt::Key_Return);
  QVERIFY(!dialog.isVisible());
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  PntAttribDialog locked(0, 0, false);
  QVERIFY(!locked.switch1->isEnabled() && !locked.switch2->isEnabled());
}

QTEST_MAIN(ConversionTest)
#include "conversion_test.moc"
