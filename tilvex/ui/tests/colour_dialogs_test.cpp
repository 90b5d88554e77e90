// The colour pickers, "PAL process" and the device preview as a user drives them.
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>

#include "colour_panels.h"
#include "colour_select_dialog.h"
#include "pal_process_dialog.h"
#include "palette_bar.h"
#include "select_colour_dialog.h"
#include "test_pictures.h"
#include "tv_config_dialog.h"

using namespace tilvex;
using namespace tilvex::ui;
using namespace tilvex::ui::testing;

class ColourDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { f_ = std::make_unique<WindowFixture>(); }
  void cleanup() { f_.reset(); }

  void trianglePanelDragsAChannel();
  void wheelAndValueBarSetHueSaturationValue();
  void typedNumbersAreClampedAndCancelReturnsNothing();
  void selectColourClickChoosesAndDoubleClickConfirms();
  void palProcessChecksLevelAndFile();
  void paletteToolWritesWhatTheCommandLineWritesAndSaysWhere();
  void tvEffectPatchesTheTemplateWithTheChosenConfig();

 private:
  std::unique_ptr<WindowFixture> f_;
};

void ColourDialogsTest::trianglePanelDragsAChannel() {
  ColourSelectDialog dialog(MakeRgb(0, 0, 0));
  dialog.show();
  TrianglePanel* panel = dialog.Triangle();
  QTest::mousePress(panel, Qt::LeftButton, {}, panel->HandleCentre(Channel::kRed));
  QTest::mouseMove(panel, QPoint(102, 2));
  QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(102, 2));
  QCOMPARE(dialog.Channels(), (RgbColour{255, 0, 0}));
  QCOMPARE(dialog.HueSaturationValue(), (HsvColour{0, 255, 255}));
  QCOMPARE(dialog.Field(0)->value(), 255);
  // Green moves left of the centre only: a drag to the right leaves it at 0, one 44 pixels
  // to the left gives half of the 88-pixel spoke.
  const QPoint green = panel->HandleCentre(Channel::kGreen);
  QTest::mousePress(panel, Qt::LeftButton, {}, green);
  QTest::mouseMove(panel, green + QPoint(30, 0));
  QCOMPARE(dialog.Channels().green, 0);
  QTest::mouseMove(panel, green - QPoint(44, 0));
  QTest::mouseRelease(panel, Qt::LeftButton, {}, green - QPoint(44, 0));
  QCOMPARE(dialog.Channels().green, 127);
}

void ColourDialogsTest::wheelAndValueBarSetHueSaturationValue() {
  ColourSelectDialog dialog(MakeRgb(10, 10, 10));
  dialog.show();
  WheelPanel* wheel = dialog.Wheel();
  // Straight up from the centre (100, 100) of the disc, 50 pixels away.
  QTest::mouseClick(wheel, Qt::LeftButton, {}, QPoint(100, 12 + 50));
  QCOMPARE(dialog.HueSaturationValue(), (HsvColour{90, 127, 10}));
  QCOMPARE(wheel->WheelMarker(), QPoint(100, 12 + 50));
  const QRect bar = wheel->ValueBar();
  QTest::mouseClick(wheel, Qt::LeftButton, {}, QPoint(bar.center().x(), bar.top()));
  QCOMPARE(dialog.HueSaturationValue().value, 255);
  QCOMPARE(wheel->ValueMarkerRow(), bar.top());
  QCOMPARE(dialog.Channels(), HsvToRgb({90, 127, 255}));
  QCOMPARE(dialog.Field(5)->value(), 255);
}

void ColourDialogsTest::typedNumbersAreClampedAndCancelReturnsNothing() {
  ColourSelectDialog dialog(MakeRgb(0, 0, 0));
  dialog.show();
  QSpinBox* red = dialog.Field(0);
  red->selectAll();
  QTest::keyClicks(red, QStringLiteral("300"));
  QCOMPARE(red->value(), 255);
  QCOMPARE(red->text(), QStringLiteral("255"));
  QCOMPARE(dialog.HueSaturationValue(), (HsvColour{0, 255, 255}));
  QSpinBox* hue = dialog.Field(3);
  hue->selectAll();
  QTest::keyClicks(hue, QStringLiteral("500"));
  QCOMPARE(hue->value(), 359);

  // From the palette bar: Cancel keeps the foreground, Ok takes the dialog's colour.
  PaletteBar* bar = f_->window->findChild<PaletteBar*>();
  QWidget* pair = bar->findChild<QWidget*>(QStringLiteral("drawingColours"));
  QVERIFY(pair);
  f_->prompts.onExec = [](QDialog&) { return int(QDialog::Rejected); };
  QTest::mouseClick(pair, Qt::LeftButton, {}, QPoint(10, 10));
  QCOMPARE(f_->prompts.dialogTitles, QStringList{QStringLiteral("Colors Select")});
  QCOMPARE(f_->window->Drawing().foreground, Rgb(0));
  f_->prompts.onExec = [](QDialog& d) {
    qobject_cast<ColourSelectDialog*>(&d)->Field(1)->setValue(200);
    return int(QDialog::Accepted);
  };
  QTest::mouseClick(pair, Qt::LeftButton, {}, QPoint(40, 40));  // the background swatch
  QCOMPARE(f_->window->Drawing().background, MakeRgb(255, 200, 255));
  QCOMPARE(f_->window->Drawing().foreground, Rgb(0));
}

void ColourDialogsTest::selectColourClickChoosesAndDoubleClickConfirms() {
  const std::vector<Rgb> colours = {MakeRgb(1, 2, 3), MakeRgb(40, 50, 60), MakeRgb(7, 8, 9)};
  SelectColourDialog dialog(colours, MakeRgb(255, 255, 255));
  dialog.show();
  ColourCellPanel* panel = dialog.Panel();
  QCOMPARE(panel->CellRect(1), QRect(18, 2, 15, 15));
  QCOMPARE(panel->CellAt(QPoint(200, 200)), -1);
  QTest::mouseClick(panel, Qt::LeftButton, {}, panel->CellRect(2).center());
  QCOMPARE(dialog.Chosen(), MakeRgb(7, 8, 9));
  QVERIFY(dialog.isVisible());
  QTest::mouseDClick(panel, Qt::LeftButton, {}, panel->CellRect(1).center());
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(dialog.Chosen(), MakeRgb(40, 50, 60));
  QCOMPARE(dialog.ValueText(), QStringLiteral("R=40\nG=50\nB=60"));
}

void ColourDialogsTest::palProcessChecksLevelAndFile() {
  PalProcessDialog dialog(f_->window->Document(), f_->prompts);
  dialog.show();
  QCOMPARE(dialog.TargetText(), QStringLiteral("R=0\nG=0\nB=0"));
  f_->prompts.colour = QColor(10, 20, 30);
  QTest::mouseClick(dialog.swatch, Qt::LeftButton);
  QCOMPARE(dialog.TargetText(), QStringLiteral("R=10\nG=20\nB=30"));
  dialog.level->setValue(0);
  dialog.accept();
  QVERIFY(dialog.isVisible());
  QCOMPARE(f_->prompts.messages, QStringList{QStringLiteral("请输入 1 到 255 之间的整数。")});
  dialog.level->setValue(4);
  dialog.accept();
  QVERIFY(!dialog.isVisible());
  QCOMPARE(f_->prompts.messages.last(), QStringLiteral("No PAL File Define!"));
}

void ColourDialogsTest::paletteToolWritesWhatTheCommandLineWritesAndSaysWhere() {
  SlotTable palettes;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column)
      palettes.At(row, column) = {MakeRgb(row * 60, column * 80, 200 - row * 40), 1};
  }
  const QString pal = f_->Path("fade.pal");
  QVERIFY(tilvex::Document::SavePalette(pal.toStdString(), palettes).ok);
  QDir(f_->dir.path()).mkdir(QStringLiteral("cli"));
  QProcess cli;
  cli.setWorkingDirectory(f_->Path("cli"));
  cli.start(QStringLiteral(TILVEX_CLI), {"palsteps", pal, "--target", "0A141E", "--level", "3"});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);

  QDir(f_->dir.path()).mkdir(QStringLiteral("gui"));
  const QString home = QDir::currentPath();
  QDir::setCurrent(f_->Path("gui"));
  f_->prompts.files.push_back(pal);
  f_->prompts.colour = QColor(10, 20, 30);
  f_->prompts.onExec = [](QDialog& d) {
    auto* dialog = qobject_cast<PalProcessDialog*>(&d);
    dialog->show();
    QTest::mouseClick(dialog->findChildren<QPushButton*>().at(0), Qt::LeftButton);  // "Brows"
    QTest::mouseClick(dialog->swatch, Qt::LeftButton);
    dialog->level->setValue(3);
    QTest::keyClick(dialog, Qt::Key_Return);
    return dialog->result();
  };
  f_->window->Actions().paletteTool->trigger();
  QDir::setCurrent(home);
  QVERIFY(f_->prompts.messages.isEmpty());
  const QString written = f_->Path("gui/PALStep.asm");
  QVERIFY(!ReadAll(written).isEmpty());
  QCOMPARE(ReadAll(written), ReadAll(f_->Path("cli/PALStep.asm")));
  QCOMPARE(f_->window->statusBar()->currentMessage(), QStringLiteral("已写出 %1").arg(written));
}

void ColourDialogsTest::tvEffectPatchesTheTemplateWithTheChosenConfig() {
  const QString bmp = WriteBmp(f_->Path("bands.bmp"), 256, 240, Bands);
  QProcess cli;
  cli.start(QStringLiteral(TILVEX_CLI), {"convert", bmp, "-o", f_->Path("bands.pic")});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
  QVERIFY(f_->window->OpenFile(f_->Path("bands.pic")));
  QVERIFY(f_->window->Document().IsBlockPicture());

  // The cartridge template lives beside the program; here in a folder of the test's own.
  QVERIFY(QDir().mkpath(f_->Path("program")));
  const QByteArray rom(0x80000, '\0');
  QFile templateFile(f_->Path("program/Rom.b00"));
  QVERIFY(templateFile.open(QIODevice::WriteOnly));
  templateFile.write(rom);
  templateFile.close();
  qputenv("TILVEX_DIR", f_->Path("program").toLocal8Bit());
  f_->prompts.onExec = [](QDialog& d) {
    auto* config = qobject_cast<TvConfigDialog*>(&d);
    if (config) config->configs->setCurrentIndex(19);
    return int(config ? QDialog::Accepted : QDialog::Rejected);
  };
  f_->window->Actions().tvEffect->trigger();
  QCOMPARE(f_->prompts.dialogTitles, QStringList{QStringLiteral("TV Display Config")});
  const QByteArray fromWindow = ReadAll(f_->Path("program/Rom.b01"));
  QCOMPARE(fromWindow.size(), 0x80000);
  QCOMPARE(fromWindow.at(0x7E107), char(19));
  // Without the device no message box: the status bar says where the image is.
  const qsizetype boxes = f_->prompts.messages.size();
  const QString status = f_->window->statusBar()->currentMessage();
  QVERIFY2(status.startsWith(QStringLiteral("没有卷标为 \"MS1\" 的驱动器")), qPrintable(status));
  QVERIFY(status.contains(f_->Path("program/Rom.b01")));

  // "Run in emulator" writes a NES 2.0 file there and starts the configured emulator on it.
  f_->settings->setValue(QStringLiteral("Emulator"), QStringLiteral("/bin/true"));
  f_->window->Actions().emulate->trigger();
  const QByteArray nes = ReadAll(f_->Path("program/Rom.nes"));
  QCOMPARE(nes.size(), 16 + 0x80000);
  QCOMPARE(nes.left(9), QByteArray("NES\x1a\x20\x00\x00\x08\x01", 9));
  QCOMPARE(f_->prompts.messages.size(), boxes);
  QVERIFY(f_->window->statusBar()->currentMessage().startsWith(QStringLiteral("/bin/true")));
  f_->settings->setValue(QStringLiteral("Emulator"), QStringLiteral("no-such-emulator"));
  f_->window->Actions().emulate->trigger();
  QVERIFY(f_->prompts.messages.last().contains(QStringLiteral("no-such-emulator")));
  f_->settings->remove(QStringLiteral("Emulator"));

  // Without the template the user is told which file was tried and nothing is written.
  QFile::remove(f_->Path("program/Rom.b00"));
  QFile::remove(f_->Path("program/Rom.b01"));
  f_->window->Actions().tvEffect->trigger();
  QCOMPARE(f_->prompts.messages.last(),
           QStringLiteral("Open Rom.b00 Error!\n") + f_->Path("program/Rom.b00"));
  QVERIFY(!QFile::exists(f_->Path("program/Rom.b01")));
  qunsetenv("TILVEX_DIR");
}

QTEST_MAIN(ColourDialogsTest)
#include "colour_dialogs_test.moc"
