// The window's commands on files and what guards the user's work: a build that is
// waiting cannot be interrupted, closing a changed list asks first, the file dialogs ask
// for the right files and failures are told. What the build, the list file and the
// workbook write is tested with those.

#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QProgressDialog>
#include <QToolButton>

#include <chrono>
#include <filesystem>
#include <thread>

#include "cart/emulator_run.h"
#include "window_harness.h"

using namespace romvane;
using romvane::testing::ReadBytes;

class WindowGuardTest : public QObject, protected romvane::testing::WindowHarness {
  Q_OBJECT

 private slots:
  void init() { Open(); }
  void cleanup() { Close(); }

  void escapeDuringASlowBuildLeavesTheDialogUpAndTheListLocked();
  void theBuildTakesTheReserveFromItsFieldAndRefusesZero();
  void closingAChangedListAsksFirst();
  void loadingOverAChangedListAsksFirst();
  void theStatusLineSaysWhenRomBinIsOlderThanTheList();
  void enterAndEscapeOutsideTheEditorCloseTheWindow();
  void saveAndLoadAskForListFiles();
  void exportAsksForAWorkbookFile();
  void attributeDialogChangesOnlyTheMirroring();
  void attributeDialogShowsNullForAGameAddedAfterTheBuild();
  void runAndAboutButtons();
};

void WindowGuardTest::escapeDuringASlowBuildLeavesTheDialogUpAndTheListLocked() {
  WriteScript(std::string("sleep 0.5\n") + kQuickMenu);
  DropGames(2);
  launcher_.watchScripts = false;  // the build then polls, which the test's sleep can watch
  bool tried = false;
  window_->SetBuildSleep([&](int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    auto* progress = window_->findChild<QProgressDialog*>(QStringLiteral("buildProgress"));
    if (tried || !progress || !progress->isVisible()) return;
    tried = true;
    QTest::keyClick(progress, Qt::Key_Escape);
    progress->close();
    QVERIFY(progress->isVisible());
    QVERIFY(!view_->isEnabled());
    QVERIFY(!Button("cancelButton")->isEnabled());
    window_->reject();  // as Escape or "取消" would
    QVERIFY(!window_->close());
    QVERIFY(window_->isVisible());
    window_->RemoveSelected();
    window_->AddDroppedFiles({QString::fromStdString(*games_ / "g1.nes")});
    QCOMPARE(window_->List().RowCount(), 2);
  });
  Button("buildButton")->click();
  QVERIFY(tried);
  QCOMPARE(prompts_.messages, QStringList());
  QVERIFY(view_->isEnabled());
  QVERIFY(window_->isVisible());
  // The status line says where the finished image is.
  QVERIFY(window_->findChild<QLabel*>(QStringLiteral("statusLine"))
              ->text()
              .endsWith(QString::fromStdString(*dir_ / "rom.bin")));
}

void WindowGuardTest::theBuildTakesTheReserveFromItsFieldAndRefusesZero() {
  WriteScript(kQuickMenu);
  DropGames(1);
  // Empty and zero alike would leave the menu no room.
  for (const char* text : {"", "0", "000"}) {
    Reserve()->setText(QString::fromLatin1(text));
    Button("buildButton")->click();
  }
  QCOMPARE(prompts_.messages.size(), 3);
  QCOMPARE(prompts_.messages.count(prompts_.messages.front()), 3);
  QVERIFY(launcher_.started.empty());

  Reserve()->setText(QStringLiteral("4000"));
  Button("buildButton")->click();
  QCOMPARE(prompts_.messages.size(), 3);
  QCOMPARE(launcher_.started.front().workingDir, dir_->path());
  const std::vector<uint8_t> rom = ReadBytes(*dir_ / "rom.bin");
  QCOMPARE(rom.size(), size_t{0x80000});
  QCOMPARE(std::string(rom.begin() + 0x7C000, rom.begin() + 0x7C004), std::string("MENU"));
}

void WindowGuardTest::closingAChangedListAsksFirst() {
  QTest::keyClick(view_, Qt::Key_Escape);  // nothing in the list: nothing to ask
  QVERIFY(prompts_.questions.isEmpty());
  QVERIFY(!window_->isVisible());

  window_->show();
  DropGames(2);
  prompts_.answer = QMessageBox::Cancel;
  QTest::keyClick(view_, Qt::Key_Return);
  QCOMPARE(prompts_.questions.size(), 1);
  QVERIFY(window_->isVisible());
  Button("cancelButton")->click();
  QVERIFY(window_->isVisible());

  // Saving first: a cancelled file dialog keeps the window, a written list closes it.
  prompts_.answer = QMessageBox::Save;
  window_->close();
  QVERIFY(window_->isVisible());
  const std::string listPath = *dir_ / "games.sav";
  prompts_.files.push_back(QString::fromStdString(listPath));
  QTest::keyClick(view_, Qt::Key_Escape);
  QVERIFY(!window_->isVisible());
  QCOMPARE(prompts_.questions.size(), 4);

  // What was loaded or saved closes without a question; a changed title asks again.
  window_->show();
  window_->LoadListFrom(QString::fromStdString(listPath));
  QTest::keyClick(view_, Qt::Key_Escape);
  QCOMPARE(prompts_.questions.size(), 4);
  window_->show();
  window_->Model()->setData(window_->Model()->index(0, kColTitle), QStringLiteral("New"),
                            Qt::EditRole);
  prompts_.answer = QMessageBox::Discard;
  QTest::keyClick(view_, Qt::Key_Escape);
  QCOMPARE(prompts_.questions.size(), 5);
  QVERIFY(!window_->isVisible());
}

void WindowGuardTest::loadingOverAChangedListAsksFirst() {
  DropGames(2);
  const std::string listPath = *dir_ / "games.sav";
  prompts_.answer = QMessageBox::Cancel;
  prompts_.files.push_back(QString::fromStdString(listPath));
  QTest::mouseClick(Button("loadButton"), Qt::LeftButton);
  QCOMPARE(prompts_.questions, QStringList({"游戏列表已修改，是否先保存?"}));
  QVERIFY(prompts_.requests.empty());  // cancelled before the file dialog
  QCOMPARE(window_->List().RowCount(), 2);

  // Saved first, the list is then loaded; a saved list loads without a question.
  prompts_.answer = QMessageBox::Save;
  QTest::mouseClick(Button("loadButton"), Qt::LeftButton);
  QCOMPARE(prompts_.requests.size(), size_t{2});
  QVERIFY(prompts_.requests.front().save);
  QVERIFY(!prompts_.requests.back().save);
  QCOMPARE(window_->List().RowCount(), 2);
  prompts_.files.push_back(QString::fromStdString(listPath));
  QTest::mouseClick(Button("loadButton"), Qt::LeftButton);
  QCOMPARE(prompts_.questions.size(), 2);
}

void WindowGuardTest::theStatusLineSaysWhenRomBinIsOlderThanTheList() {
  auto* status = window_->findChild<QLabel*>(QStringLiteral("statusLine"));
  WriteScript(kQuickMenu);
  DropGames(2);
  QVERIFY(status->text().isEmpty());  // no rom.bin yet
  Button("buildButton")->click();
  QVERIFY(status->text().startsWith(QStringLiteral("已生成")));
  const QString stale = QStringLiteral("rom.bin 比当前列表旧，请重新合成");
  window_->SelectRows(0, 1);
  Choose("下移");
  QTRY_COMPARE(status->text(), stale);
  Button("buildButton")->click();
  QVERIFY(status->text().startsWith(QStringLiteral("已生成")));
  ClickHeader(kColTitle);  // another view of the same list is no change
  QCoreApplication::processEvents();
  QVERIFY(status->text().startsWith(QStringLiteral("已生成")));

  // A list saved after rom.bin was made is newer than the cartridge.
  const std::string listPath = *dir_ / "games.sav";
  prompts_.files.push_back(QString::fromStdString(listPath));
  Button("saveButton")->click();
  std::filesystem::last_write_time(
      *dir_ / "rom.bin", std::filesystem::last_write_time(listPath) - std::chrono::hours(1));
  window_->LoadListFrom(QString::fromStdString(listPath));
  QCOMPARE(status->text(), stale);
  std::filesystem::last_write_time(
      *dir_ / "rom.bin", std::filesystem::last_write_time(listPath) + std::chrono::hours(1));
  window_->LoadListFrom(QString::fromStdString(listPath));
  QVERIFY(status->text().isEmpty());

  // Built, then saved, then loaded: the cartridge is this list's, however new the file.
  Button("buildButton")->click();
  prompts_.files.push_back(QString::fromStdString(listPath));
  Button("saveButton")->click();
  std::filesystem::last_write_time(
      listPath, std::filesystem::last_write_time(*dir_ / "rom.bin") + std::chrono::hours(1));
  window_->LoadListFrom(QString::fromStdString(listPath));
  QVERIFY(status->text() != stale);

  // A failed build leaves rom.bin behind the list, and says so.
  window_->SelectRows(0, 1);
  Choose("下移");
  QTRY_COMPARE(status->text(), stale);
  WriteScript("exit 1\n");
  Button("buildButton")->click();
  QCOMPARE(prompts_.messages.size(), 1);
  QCOMPARE(status->text(), stale);
}

void WindowGuardTest::enterAndEscapeOutsideTheEditorCloseTheWindow() {
  DropGames(1);
  Button("saveButton")->setFocus();
  QTest::keyClick(Button("saveButton"), Qt::Key_Return);  // presses the focused button
  QCOMPARE(prompts_.requests.size(), size_t{1});
  QVERIFY(window_->isVisible());
  view_->setFocus();
  QTest::keyClick(view_, Qt::Key_Enter, Qt::KeypadModifier);
  QVERIFY(!window_->isVisible());
  QCOMPARE(window_->result(), int(QDialog::Accepted));
  // Enter ends typing a reserve, not the window.
  window_->show();
  QTest::keyClick(Reserve(), Qt::Key_Return);
  QVERIFY(window_->isVisible());
  QTest::keyClick(Reserve(), Qt::Key_Escape);
  QVERIFY(!window_->isVisible());
  QCOMPARE(window_->result(), int(QDialog::Rejected));
  window_->show();
  view_->setFocus();
  QTest::keyClick(view_, Qt::Key_Return);
  QVERIFY(!window_->isVisible());
  QCOMPARE(window_->result(), int(QDialog::Accepted));
}

void WindowGuardTest::saveAndLoadAskForListFiles() {
  Button("saveButton")->click();  // nothing to save: no dialog
  QVERIFY(prompts_.requests.empty());

  DropGames(3);
  const std::string listPath = *dir_ / "games.sav";
  prompts_.files.push_back(QString::fromStdString(listPath));
  Button("saveButton")->click();
  QCOMPARE(prompts_.requests.back().title, QStringLiteral("保存文件信息"));
  QCOMPARE(prompts_.requests.back().filter, QStringLiteral("存档文件(*.sav)"));
  QCOMPARE(prompts_.requests.back().defaultSuffix, QStringLiteral("sav"));
  QVERIFY(prompts_.requests.back().save);

  QVERIFY(prompts_.messages.isEmpty());

  // A game gone from its place: the message names it, and its row stays, red, saying why.
  std::filesystem::remove(*games_ / "g2.nes");
  prompts_.files.push_back(QString::fromStdString(listPath));
  Button("loadButton")->click();
  QCOMPARE(prompts_.requests.back().title, QStringLiteral("载入文件信息"));
  QVERIFY(!prompts_.requests.back().save);
  QCOMPARE(
      prompts_.messages,
      QStringList({QString::fromStdString("文件" + *games_ / "g2.nes" + "不存在，或不在原路径!")}));
  QCOMPARE(window_->List().RowCount(), 3);
  const QModelIndex gone = window_->Model()->index(1, kColAttribute);
  QCOMPARE(gone.data().toString(), QStringLiteral("文件不存在，或不在原路径"));
  QCOMPARE(gone.data(Qt::ToolTipRole).toString(), QStringLiteral("文件不存在，或不在原路径"));
  QCOMPARE(gone.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
  QVERIFY(!window_->Model()->index(0, kColTitle).data(Qt::ForegroundRole).isValid());
}

void WindowGuardTest::exportAsksForAWorkbookFile() {
  DropGames(2);
  Button("exportButton")->click();  // cancelled: nothing written, nothing said
  QCOMPARE(prompts_.requests.back().filter, QStringLiteral("Microsoft Excel (*.xls)"));
  QCOMPARE(prompts_.requests.back().defaultSuffix, QStringLiteral("xls"));
  QCOMPARE(prompts_.requests.back().initialName, QStringLiteral("Rom.xls"));
  QVERIFY(prompts_.requests.back().save);

  const std::string path = *dir_ / "Rom.xls";
  prompts_.files.push_back(QString::fromStdString(path));
  Button("exportButton")->click();
  QVERIFY(std::filesystem::file_size(path) > 0);
  QVERIFY(prompts_.messages.isEmpty());
}

void WindowGuardTest::attributeDialogChangesOnlyTheMirroring() {
  WriteScript(kQuickMenu);
  Drop({Game("sram.nes", 2, 0x03)});  // vertical, battery SRAM
  Button("buildButton")->click();
  QCOMPARE(prompts_.messages, QStringList());

  QStringList seen;
  prompts_.onExec = [&seen](QDialog& dialog) {
    seen << dialog.windowTitle();
    for (const char* name : {"number", "title", "promSize", "vromSize", "promBegin", "promEnd",
                             "promNum", "vromBegin", "vromEnd", "vromNum"}) {
      seen << dialog.findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    for (const char* name : {"mapper", "mirroring", "sram", "trainer", "fourScreen"}) {
      seen << dialog.findChild<QComboBox*>(QString::fromLatin1(name))->currentText();
    }
    dialog.findChild<QComboBox*>(QStringLiteral("mirroring"))->setCurrentText("Horizontal");
    dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    return dialog.result();
  };
  window_->SelectRows(0, 1);
  Choose("属性");
  QCOMPARE(seen, QStringList({"Attribute", "1", "sram", "8000", "2000", "0", "8000", "0", "8000",
                              "a000", "0", "0", "Vertical", "True", "False", "False"}));
  QCOMPARE(Column(kColAttribute), QStringList({"mapper0,水平,SRAM"}));

  const std::vector<uint8_t> before = ReadBytes(*games_ / "sram.nes");
  prompts_.onExec = [](QDialog& dialog) {
    dialog.findChild<QComboBox*>(QStringLiteral("mirroring"))->setCurrentText("Vertical");
    return int(QDialog::Rejected);  // Cancel
  };
  Choose("属性");
  QCOMPARE(ReadBytes(*games_ / "sram.nes"), before);
}

void WindowGuardTest::attributeDialogShowsNullForAGameAddedAfterTheBuild() {
  LoadGames({Game("m5.nes", 2, 0x51)});  // mapper 5: no choice fits
  QStringList seen;
  prompts_.onExec = [&seen](QDialog& dialog) {
    for (const char* name : {"promBegin", "vromNum"})
      seen << dialog.findChild<QLabel*>(QString::fromLatin1(name))->text();
    seen << QString::number(dialog.findChild<QComboBox*>(QStringLiteral("mapper"))->currentIndex());
    dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    return dialog.result();
  };
  window_->ShowAttributes(0);
  QCOMPARE(seen, QStringList({"Null", "Null", "-1"}));
  QCOMPARE(Column(kColAttribute), QStringList({"mapper5,垂直"}));  // OK kept the header

  // A listed file without the signature: its row's empty texts are shown empty, and its
  // mirroring can be neither shown nor changed.
  const std::string plain = PlainFile("plain.nes");
  LoadGames({*games_ / "m5.nes", plain});
  seen.clear();
  prompts_.onExec = [&seen](QDialog& dialog) {
    for (const char* name : {"number", "title", "path", "promSize", "vromSize", "promBegin"})
      seen << dialog.findChild<QLabel*>(QString::fromLatin1(name))->text().remove('\n');
    auto* mirroring = dialog.findChild<QComboBox*>(QStringLiteral("mirroring"));
    seen << QString::number(mirroring->currentIndex()) << QString::number(mirroring->isEnabled());
    seen << QString::number(dialog.findChild<QLabel*>(QStringLiteral("unreadable")) != nullptr);
    return int(QDialog::Accepted);
  };
  window_->ShowAttributes(1);
  QCOMPARE(seen, QStringList({"2", "plain", QString::fromStdString(plain), "", "", "Null", "-1",
                              "0", "1"}));
  QCOMPARE(ReadBytes(plain), std::vector<uint8_t>(32, 0));  // nothing rewritten
}

void WindowGuardTest::runAndAboutButtons() {
  Button("runButton")->click();  // nothing built: said, and no empty emulator
  QVERIFY(launcher_.started.empty());
  QCOMPARE(prompts_.messages.size(), 1);
  QVERIFY(prompts_.messages.front().contains(QStringLiteral("还没有生成卡带")));
  prompts_.messages.clear();
  testing::WriteBytes(*dir_ / "rom.bin", {0});
  Button("runButton")->click();
  QCOMPARE(launcher_.started.size(), size_t{1});
  QCOMPARE(launcher_.started[0].program, EmulatorPath(dir_->path()));
  QCOMPARE(launcher_.started[0].args, std::vector<std::string>{*dir_ / "rom.bin"});
  QVERIFY(prompts_.messages.isEmpty());
  launcher_.emulatorStarts = false;
  Button("runButton")->click();
  QCOMPARE(prompts_.messages.size(), 1);

  QStringList titles;
  prompts_.onExec = [&titles](QDialog& dialog) {
    titles << dialog.windowTitle();
    return int(QDialog::Accepted);
  };
  window_->findChild<QToolButton*>(QStringLiteral("aboutButton"))->click();
  QTest::keyClick(window_->windowHandle(), Qt::Key_A, Qt::AltModifier);
  QCOMPARE(titles, QStringList({"关于 Romvane", "关于 Romvane"}));
}

QTEST_MAIN(WindowGuardTest)
#include "window_guard_test.moc"
