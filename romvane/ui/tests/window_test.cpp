// The "Cartovo" window driven as a user drives it: files dropped from a file manager,
// clicks and keys in the list, the header and the buttons, the context menu, the
// clipboard and the attribute dialog. Dialogs are answered by FakePrompts.

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <filesystem>
#include <memory>

#include "cart/emulator_run.h"
#include "cartovo_dialog.h"
#include "clipboard_files.h"
#include "editable_list_ctrl.h"
#include "fake_prompts.h"
#include "game_list_model.h"
#include "model/file_drop.h"
#include "nes_files.h"

using namespace romvane;
using romvane::testing::MakeNes;
using romvane::testing::NesImage;
using romvane::testing::ReadBytes;
using romvane::testing::ReadText;
using romvane::testing::TempDir;
using romvane::testing::WriteBytes;
using romvane::testing::WriteNes;

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void droppedFilesAddOnlyNesNamesAndShowTheLastRow();
  void addAsksForOneNesFileAndTitlesItByItsName();
  void aTitleEditIsUndoneByEscapeAndKeptByEnter();
  void headerClicksSortAscendingThenDescending();
  void draggingRowsOneAndTwoOntoRowFiveRenumbers();
  void movingTheFirstRowUpOnlyTellsTheUser();
  void copyPutsTheSelectedFilesOnTheClipboard();
  void saveAndLoadReproduceTheList();
  void sortedRowsStillPairEveryTitleWithItsGame();
  void buildMergesTheMenuIntoTheImage();
  void buildRunsTheExampleMenuProject();
  void aFailingBuildTellsWhyAndLeavesTheWindowUsable();
  void exportAsksForAWorkbookFile();
  void attributeDialogChangesOnlyTheMirroring();
  void attributeDialogShowsNullForAGameAddedAfterTheBuild();
  void rightClickOnEmptySpaceStillOpensTheMenu();
  void enterAndEscapeOutsideTheEditorCloseTheWindow();
  void runButtonStartsTheEmulatorOnTheImage();
  void aboutBoxShowsTheVersion();
  void aDoubleClickOnATitleRunsTheGameInsteadOfEditingIt();

 private:
  std::string Game(const std::string& name, uint8_t prgUnits = 2, uint8_t chrUnits = 1,
                   uint8_t flags6 = 0, uint8_t fill = 0);
  void Drop(const std::vector<std::string>& paths);
  void DragAndDrop(const QPoint& at, Qt::DropAction action, const QMimeData* data);
  void DropGames(int count);  // g1..gN, game i with fill i
  QStringList Column(int column) const;
  void ClickCell(int row, int column);
  void ClickHeader(int column);
  void Choose(const char* menuItem);
  QPushButton* Button(const char* name) const;
  void WriteScript(const std::string& text);

  std::unique_ptr<TempDir> games_;
  std::unique_ptr<TempDir> dir_;
  FakePrompts prompts_;
  RecordingLauncher launcher_;
  std::unique_ptr<CartovoDialog> window_;
  EditableListCtrl* view_ = nullptr;
};

void WindowTest::init() {
  games_ = std::make_unique<TempDir>();
  dir_ = std::make_unique<TempDir>();
  prompts_ = FakePrompts();
  launcher_.started.clear();
  launcher_.emulatorStarts = true;
  window_ = std::make_unique<CartovoDialog>(dir_->path(), &launcher_, &prompts_);
  view_ = window_->ListView();
  window_->show();
  window_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void WindowTest::cleanup() {
  window_.reset();
  dir_.reset();
  games_.reset();
}

std::string WindowTest::Game(const std::string& name, uint8_t prgUnits, uint8_t chrUnits,
                             uint8_t flags6, uint8_t fill) {
  NesImage image;
  image.prgUnits = prgUnits;
  image.chrUnits = chrUnits;
  image.flags6 = flags6;
  image.fill = fill;
  return WriteNes(*games_, name, image);
}

void WindowTest::Drop(const std::vector<std::string>& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
  data.setUrls(urls);
  DragAndDrop(QPoint(20, 20), Qt::CopyAction, &data);
}

void WindowTest::DragAndDrop(const QPoint& at, Qt::DropAction action, const QMimeData* data) {
  // A drop goes to the widget that accepted the drag when it entered.
  QDragEnterEvent enter(at, action, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(view_->viewport(), &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(at), action, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(view_->viewport(), &drop);
}

void WindowTest::DropGames(int count) {
  std::vector<std::string> paths;
  for (int i = 1; i <= count; ++i) {
    paths.push_back(Game("g" + std::to_string(i) + ".nes", 2, 1, 0, static_cast<uint8_t>(i)));
  }
  Drop(paths);
}

QStringList WindowTest::Column(int column) const {
  QStringList texts;
  for (const GameEntry& g : window_->List().Games()) {
    texts << QString::fromStdString(ColumnText(g, column));
  }
  return texts;
}

void WindowTest::ClickCell(int row, int column) {
  const QRect cell = view_->visualRect(window_->Model()->index(row, column));
  QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

void WindowTest::ClickHeader(int column) {
  QHeaderView* header = view_->header();
  const QPoint at(header->sectionViewportPosition(column) + 10, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void WindowTest::Choose(const char* menuItem) {
  prompts_.menuChoice = QString::fromUtf8(menuItem);
  const QPoint at(5, view_->viewport()->height() - 5);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, view_->viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(view_->viewport(), &event);
}

QPushButton* WindowTest::Button(const char* name) const {
  return window_->findChild<QPushButton*>(QString::fromLatin1(name));
}

void WindowTest::WriteScript(const std::string& text) {
  const std::string script = *dir_ / "make.sh";
  WriteBytes(script, std::vector<uint8_t>(text.begin(), text.end()));
}

void WindowTest::droppedFilesAddOnlyNesNamesAndShowTheLastRow() {
  const std::string good = Game("good.nes");
  const std::string plain = *games_ / "nosig.nes";
  WriteBytes(plain, std::vector<uint8_t>(64, 0));
  const std::string mixedCase = Game("game.Nes");
  std::filesystem::create_directory(*games_ / "upper");
  const std::string upper = Game("upper/game.NES", 1, 0, 1);
  Drop({good, plain, mixedCase, upper, *games_ / "readme.txt"});

  QCOMPARE(Column(kColNumber), QStringList({"1", "2", "3"}));
  // A dropped file without the signature leaves a row with only its number.
  QCOMPARE(Column(kColTitle), QStringList({"good", "", "game"}));
  QCOMPARE(Column(kColPrgSize), QStringList({"8000", "", "4000"}));
  QCOMPARE(Column(kColChrSize), QStringList({"2000", "", "0"}));
  QCOMPARE(Column(kColAttribute), QStringList({"mapper0,水平", "", "mapper0,垂直"}));
  QVERIFY(prompts_.messages.isEmpty());
  QCOMPARE(QApplication::focusWidget(), view_);

  window_->SelectRowList({0, 2});
  DropGames(40);
  QCOMPARE(window_->List().RowCount(), 43);
  QCOMPARE(window_->SelectedRows(), (std::vector<int>{0, 2}));  // adding keeps the selection
  const QRect last = view_->visualRect(window_->Model()->index(42, 0));
  QVERIFY(view_->viewport()->rect().contains(last));
}

void WindowTest::addAsksForOneNesFileAndTitlesItByItsName() {
  Choose("添加");  // cancelled: nothing added
  QCOMPARE(prompts_.requests.size(), size_t{1});
  QCOMPARE(prompts_.requests[0].filter, QStringLiteral("NES File(*.nes)"));
  QVERIFY(!prompts_.requests[0].save);
  QCOMPARE(window_->List().RowCount(), 0);

  prompts_.files.push_back(QString::fromStdString(Game("Road Fighter.v2.nes")));
  Choose("添加");
  const std::string plain = *games_ / "plain.nes";
  WriteBytes(plain, std::vector<uint8_t>(32, 0));
  prompts_.files.push_back(QString::fromStdString(plain));
  Choose("添加");
  // Unlike a dropped file, a chosen file without the signature keeps its title.
  QCOMPARE(Column(kColTitle), QStringList({"Road Fighter.v2", "plain"}));
  QCOMPARE(Column(kColPrgSize), QStringList({"8000", ""}));
  QVERIFY(prompts_.messages.isEmpty());
}

void WindowTest::aTitleEditIsUndoneByEscapeAndKeptByEnter() {
  DropGames(2);
  ClickCell(0, kColNumber);  // a read-only column: no editor
  QVERIFY(!view_->IsEditing());
  ClickCell(0, kColTitle);
  QVERIFY(view_->IsEditing());
  QTest::keyClicks(view_->Editor(), QStringLiteral("Tank"));
  QTest::keyClick(view_->Editor(), Qt::Key_Escape);
  QCOMPARE(Column(kColTitle), QStringList({"g1", "g2"}));
  QVERIFY(window_->isVisible());  // Escape in the editor does not close the window

  ClickCell(0, kColTitle);
  view_->Editor()->insert(QStringLiteral("坦克"));  // as an input method would
  QTest::keyClicks(view_->Editor(), QStringLiteral(" Tank"));
  QTest::keyClick(view_->Editor(), Qt::Key_Return);
  QCOMPARE(Column(kColTitle), QStringList({"坦克 Tank", "g2"}));
  QVERIFY(window_->isVisible());
  QCOMPARE(QApplication::focusWidget(), view_);

  // A scroll or a click on a heading ends the edit too, and the list keeps the focus,
  // so Enter then closes the window and presses no button.
  DropGames(60);
  view_->scrollToTop();
  ClickCell(1, kColTitle);
  QTest::keyClicks(view_->Editor(), QStringLiteral("x"));
  view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->maximum());
  QVERIFY(!view_->IsEditing());
  QCOMPARE(Column(kColTitle)[1], QStringLiteral("x"));
  QCOMPARE(QApplication::focusWidget(), view_);
  view_->scrollToTop();
  ClickCell(1, kColTitle);
  QTest::keyClicks(view_->Editor(), QStringLiteral("y"));
  ClickHeader(kColPrgSize);
  QVERIFY(!view_->IsEditing());
  QCOMPARE(QApplication::focusWidget(), view_);
}

void WindowTest::headerClicksSortAscendingThenDescending() {
  Drop({Game("b.nes", 2), Game("c.nes", 1), Game("a.nes", 4)});
  window_->SelectRows(0, 1);  // b
  ClickHeader(kColTitle);
  QCOMPARE(Column(kColTitle), QStringList({"a", "b", "c"}));
  QCOMPARE(Column(kColNumber), QStringList({"3", "1", "2"}));
  // The selection and the focused row stay with their game.
  QCOMPARE(window_->SelectedRows(), std::vector<int>{1});
  QCOMPARE(view_->currentIndex().row(), 1);
  ClickHeader(kColTitle);
  QCOMPARE(Column(kColTitle), QStringList({"c", "b", "a"}));
  ClickHeader(kColPrgSize);
  QCOMPARE(Column(kColTitle), QStringList({"c", "b", "a"}));
  QCOMPARE(Column(kColPrgSize), QStringList({"4000", "8000", "10000"}));
  ClickHeader(kColNumber);
  QCOMPARE(Column(kColTitle), QStringList({"b", "c", "a"}));
  QVERIFY(view_->header()->isSortIndicatorShown());
  Choose("下移");  // the order is no longer sorted: the arrow goes
  QVERIFY(!view_->header()->isSortIndicatorShown());
}

void WindowTest::draggingRowsOneAndTwoOntoRowFiveRenumbers() {
  DropGames(5);
  window_->SelectRows(0, 2);
  std::unique_ptr<QMimeData> rows(
      window_->Model()->mimeData(view_->selectionModel()->selectedIndexes()));
  const QPoint onRowFive = view_->visualRect(window_->Model()->index(4, 1)).center();
  DragAndDrop(onRowFive, Qt::MoveAction, rows.get());

  QCOMPARE(Column(kColTitle), QStringList({"g3", "g4", "g1", "g2", "g5"}));
  QCOMPARE(Column(kColNumber), QStringList({"1", "2", "3", "4", "5"}));
  for (int row = 0; row < 5; ++row) {
    const GameEntry* entry = window_->List().EntryForRow(row);
    QVERIFY(entry);
    QCOMPARE(entry->index, row);
    QCOMPARE(QString::fromStdString(entry->path),
             QString::fromStdString(*games_ / (Column(kColTitle)[row].toStdString() + ".nes")));
  }
  QCOMPARE(window_->SelectedRows(), (std::vector<int>{2, 3}));

  // The rows go before the row under the cursor, also when released near its lower
  // edge; released below the last row they go to the end.
  std::unique_ptr<QMimeData> again(
      window_->Model()->mimeData(view_->selectionModel()->selectedIndexes()));
  const QRect rowFive = view_->visualRect(window_->Model()->index(4, 1));
  DragAndDrop(QPoint(rowFive.center().x(), rowFive.bottom() - 1), Qt::MoveAction, again.get());
  QCOMPARE(Column(kColTitle), QStringList({"g3", "g4", "g1", "g2", "g5"}));
  window_->SelectRows(0, 1);
  std::unique_ptr<QMimeData> first(
      window_->Model()->mimeData(view_->selectionModel()->selectedIndexes()));
  DragAndDrop(QPoint(rowFive.center().x(), rowFive.bottom() + 20), Qt::MoveAction, first.get());
  QCOMPARE(Column(kColTitle), QStringList({"g4", "g1", "g2", "g5", "g3"}));
  QCOMPARE(Column(kColNumber), QStringList({"1", "2", "3", "4", "5"}));
  // A view that clears the cells of moved rows cannot blank a title.
  QVERIFY(
      !window_->Model()->setData(window_->Model()->index(4, kColTitle), QVariant(), Qt::EditRole));
  QCOMPARE(Column(kColTitle).last(), QStringLiteral("g3"));
}

void WindowTest::movingTheFirstRowUpOnlyTellsTheUser() {
  DropGames(3);
  window_->SelectRows(0, 2);
  Choose("上移");
  QCOMPARE(prompts_.menuTexts, QStringList({"添加", "删除", "复制", "-", "上移", "下移", "属性"}));
  QCOMPARE(prompts_.messages, QStringList({"文件不需要上移!"}));
  QCOMPARE(Column(kColTitle), QStringList({"g1", "g2", "g3"}));

  Choose("下移");  // the block of two moves down as one
  QCOMPARE(Column(kColTitle), QStringList({"g3", "g1", "g2"}));
  QCOMPARE(Column(kColNumber), QStringList({"1", "2", "3"}));
  QCOMPARE(window_->SelectedRows(), (std::vector<int>{1, 2}));
  Choose("下移");
  QCOMPARE(prompts_.messages.last(), QStringLiteral("文件不需要下移!"));
}

void WindowTest::copyPutsTheSelectedFilesOnTheClipboard() {
  DropGames(4);
  window_->SelectRowList({0, 2, 3});
  Choose("复制");
  const QMimeData* data = QApplication::clipboard()->mimeData();
  QVERIFY(data);
  const std::vector<std::string> paths = {*games_ / "g1.nes", *games_ / "g3.nes",
                                          *games_ / "g4.nes"};
  QList<QUrl> urls;
  QByteArray gnome("copy");
  for (const std::string& p : paths) {
    urls << QUrl::fromLocalFile(QString::fromStdString(p));
    gnome += "\nfile://" + QByteArray::fromStdString(p);
  }
  QCOMPARE(data->urls(), urls);
  QCOMPARE(data->data(kGnomeCopiedFilesType), gnome);
  QCOMPARE(data->data(kDropEffectType), QByteArray("\x01\x00\x00\x00", 4));
  QCOMPARE(data->data(kWindowsDropEffectType), QByteArray("\x01\x00\x00\x00", 4));

  const QByteArray block = data->data(kFileDropBlockType);
  size_t textBytes = 0;
  for (const std::string& p : paths) textBytes += p.size() + 1;
  QCOMPARE(static_cast<size_t>(block.size()), 20 + 2 * textBytes + 8);
  QCOMPARE(block.left(20), QByteArray("\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0", 20));
  QByteArray names;
  for (const std::string& p : paths) {
    for (char c : p + '\0') names += QByteArray(1, c) + QByteArray(1, '\0');
  }
  QCOMPARE(block.mid(20, names.size()), names);
  QCOMPARE(block.mid(20 + names.size()), QByteArray(block.size() - 20 - names.size(), '\0'));
}

void WindowTest::saveAndLoadReproduceTheList() {
  Button("saveButton")->click();  // nothing to save: no dialog
  QVERIFY(prompts_.requests.empty());

  DropGames(3);
  window_->Model()->setData(window_->Model()->index(1, kColTitle), QStringLiteral("Second"),
                            Qt::EditRole);
  const std::string listPath = *dir_ / "games.sav";
  prompts_.files.push_back(QString::fromStdString(listPath));
  Button("saveButton")->click();
  QCOMPARE(prompts_.requests.back().title, QStringLiteral("保存文件信息"));
  QCOMPARE(prompts_.requests.back().filter, QStringLiteral("存档文件(*.sav)"));
  QCOMPARE(prompts_.requests.back().defaultSuffix, QStringLiteral("sav"));
  QVERIFY(prompts_.requests.back().save);
  QCOMPARE(ReadText(listPath), *games_ / "g1.nes" + "\r\n" + *games_ / "g2.nes" + ",Second\r\n" +
                                   *games_ / "g3.nes" + "\r\n");

  QStringList before;
  for (int c = 0; c < kColumnCount; ++c) before << Column(c);
  Choose("删除");  // nothing selected: nothing removed
  QCOMPARE(window_->List().RowCount(), 3);
  window_->SelectRows(0, 3);
  Choose("删除");
  QCOMPARE(window_->List().RowCount(), 0);
  prompts_.files.push_back(QString::fromStdString(listPath));
  Button("loadButton")->click();
  QCOMPARE(prompts_.requests.back().title, QStringLiteral("载入文件信息"));
  QVERIFY(!prompts_.requests.back().save);
  QStringList after;
  for (int c = 0; c < kColumnCount; ++c) after << Column(c);
  QCOMPARE(after, before);
  QVERIFY(prompts_.messages.isEmpty());

  std::filesystem::remove(*games_ / "g2.nes");
  prompts_.files.push_back(QString::fromStdString(listPath));
  Button("loadButton")->click();
  QCOMPARE(
      prompts_.messages,
      QStringList({QString::fromStdString("文件" + *games_ / "g2.nes" + "不存在，或不在原路径!")}));
  QCOMPARE(window_->List().RowCount(), 0);
}

void WindowTest::sortedRowsStillPairEveryTitleWithItsGame() {
  WriteScript("printf MENU > menu.bin\n");
  Drop({Game("alpha.nes", 2, 1, 0, 0x10), Game("beta.nes", 1, 1, 0, 0x20),
        Game("gamma.nes", 4, 1, 0, 0x30)});
  ClickHeader(kColTitle);
  ClickHeader(kColTitle);  // gamma, beta, alpha
  QCOMPARE(Column(kColNumber), QStringList({"3", "2", "1"}));

  const std::string listPath = *dir_ / "sorted.sav";
  prompts_.files.push_back(QString::fromStdString(listPath));
  Button("saveButton")->click();
  QCOMPARE(ReadText(listPath), *games_ / "alpha.nes" + "\r\n" + *games_ / "beta.nes" + "\r\n" +
                                   *games_ / "gamma.nes" + "\r\n");

  // A double click on the first row shown runs gamma, the game of that row.
  const QPoint at = view_->visualRect(window_->Model()->index(0, kColPrgSize)).center();
  QTest::mouseDClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QCOMPARE(ReadBytes(*dir_ / "Temp.nes"), ReadBytes(*games_ / "gamma.nes"));
  QCOMPARE(launcher_.started.back().program, EmulatorPath(dir_->path()));
  QCOMPARE(launcher_.started.back().args, std::vector<std::string>{*dir_ / "Temp.nes"});

  Button("buildButton")->click();
  QCOMPARE(prompts_.messages, QStringList());
  const std::string table = ReadText(*dir_ / "Gamedef.inc");
  const size_t game1 = table.find("Game001:");
  const size_t game2 = table.find("Game002:");
  QVERIFY(game1 != std::string::npos && game2 != std::string::npos);
  QVERIFY(table.substr(game1, game2 - game1).find("\"alpha\"") != std::string::npos);
  QVERIFY(table.find("\"gamma\"", table.find("Game003:")) != std::string::npos);
}

void WindowTest::buildMergesTheMenuIntoTheImage() {
  WriteScript("printf MENU > menu.bin\n");
  DropGames(1);
  Button("buildButton")->click();
  QCOMPARE(prompts_.messages, QStringList());
  const std::vector<uint8_t> rom = ReadBytes(*dir_ / "rom.bin");
  QCOMPARE(rom.size(), size_t{0x80000});
  QCOMPARE(std::string(rom.begin() + 0x7A000, rom.begin() + 0x7A004), std::string("MENU"));
  QCOMPARE(window_->LastBuild().size(), size_t{2});
  QCOMPARE(launcher_.started.front().workingDir, dir_->path());
  // The reserved size comes from the field.
  window_->findChild<QLineEdit*>(QStringLiteral("reserveSize"))->setText(QStringLiteral("2000"));
  Button("buildButton")->click();
  const std::vector<uint8_t> rom2 = ReadBytes(*dir_ / "rom.bin");
  QCOMPARE(std::string(rom2.begin() + 0x7E000, rom2.begin() + 0x7E004), std::string("MENU"));
}

void WindowTest::buildRunsTheExampleMenuProject() {
  for (const char* f : {"make.sh", "menu.s", "menu.cfg", "GameSub.inc"}) {
    std::filesystem::copy_file(std::string(EXAMPLE_MENU_DIR) + "/" + f, *dir_ / f);
  }
  DropGames(3);
  Button("buildButton")->click();
  QCOMPARE(prompts_.messages, QStringList());
  const std::vector<uint8_t> rom = ReadBytes(*dir_ / "rom.bin");
  const std::vector<uint8_t> menu = ReadBytes(*dir_ / "menu.bin");
  QCOMPARE(rom.size(), size_t{0x80000});
  QVERIFY(!menu.empty());
  const size_t used = std::min<size_t>(menu.size(), 0x6000);
  QVERIFY(std::equal(menu.begin(), menu.begin() + static_cast<long>(used), rom.begin() + 0x7A000));
}

void WindowTest::aFailingBuildTellsWhyAndLeavesTheWindowUsable() {
  DropGames(1);
  Button("buildButton")->click();  // no make script at all
  QCOMPARE(prompts_.messages, QStringList({"Make File Error!\n"}));

  WriteScript("exit 0\n");  // a script that never makes the menu
  int waits = 0;
  window_->SetBuildSleep([&waits](int) { ++waits; });
  Button("buildButton")->click();
  QCOMPARE(prompts_.messages, QStringList({"Make File Error!\n", "Make File Error!\n"}));
  QCOMPARE(waits, 0);  // a watched script is waited on through its process, never by sleeping
  for (QProgressDialog* p : window_->findChildren<QProgressDialog*>()) QVERIFY(!p->isVisible());

  // An empty list: the image is empty, so there is nothing to merge the menu into.
  window_->SelectRows(0, 1);
  Choose("删除");
  WriteScript("printf MENU > menu.bin\n");
  window_->SetBuildSleep([](int) {});
  Button("buildButton")->click();
  QVERIFY(prompts_.messages.size() == 3);
  DropGames(1);
  QCOMPARE(window_->List().RowCount(), 1);
}

void WindowTest::exportAsksForAWorkbookFile() {
  DropGames(2);
  Button("exportButton")->click();  // cancelled: nothing written, nothing said
  QCOMPARE(prompts_.requests.back().filter, QStringLiteral("Microsoft Excel (*.xls)"));
  QCOMPARE(prompts_.requests.back().defaultSuffix, QStringLiteral("xls"));
  QCOMPARE(prompts_.requests.back().initialName, QStringLiteral("Rom.xls"));
  QVERIFY(prompts_.requests.back().save);
  QVERIFY(prompts_.messages.isEmpty());

  const std::string path = *dir_ / "Rom.xls";
  prompts_.files.push_back(QString::fromStdString(path));
  Button("exportButton")->click();
  QVERIFY(std::filesystem::exists(path));
  QVERIFY(prompts_.messages.isEmpty());
  const std::vector<uint8_t> head = ReadBytes(path);
  QVERIFY(head.size() >= 8);
  QCOMPARE(std::vector<uint8_t>(head.begin(), head.begin() + 8),
           (std::vector<uint8_t>{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1}));
  // The list as shown, read back by an independent reader.
  const QString script = QStringLiteral(
      "import json, sys, xlrd\n"
      "s = xlrd.open_workbook(sys.argv[1]).sheet_by_name('Files List')\n"
      "print(json.dumps([s.row_values(r) for r in range(s.nrows)]))\n");
  QProcess python;
  python.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"), script, QString::fromStdString(path)});
  QVERIFY(python.waitForFinished(30000));
  QCOMPARE(
      python.readAllStandardOutput().trimmed(),
      QByteArray("[[\"Number\", \"Title\", \"PromSize-Hex\", \"PromSize\", \"VromSize-Hex\", "
                 "\"VromSize\", \"Attribute\"], [1.0, \"g1\", \"8000\", 32768.0, \"2000\", 8192.0, "
                 "\"mapper0,\\u6c34\\u5e73\"], [2.0, \"g2\", \"8000\", 32768.0, \"2000\", 8192.0, "
                 "\"mapper0,\\u6c34\\u5e73\"]]"));
  QCOMPARE(python.readAllStandardError(), QByteArray());
}

void WindowTest::attributeDialogChangesOnlyTheMirroring() {
  WriteScript("printf MENU > menu.bin\n");
  NesImage image;
  image.prgUnits = 2;
  image.chrUnits = 1;
  image.flags6 = 0x07;  // vertical, battery SRAM, trainer
  image.trailing = 512;
  const std::string path = WriteNes(*games_, "trainer.nes", image);
  const std::vector<uint8_t> original = ReadBytes(path);
  Drop({path});
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
  QCOMPARE(seen, QStringList({"Attribute", "1", "trainer", "8000", "2000", "0", "8000", "0", "8000",
                              "a000", "0", "0", "Vertical", "True", "True", "False"}));
  std::vector<uint8_t> expected = original;
  expected[6] = 0x06;
  QCOMPARE(ReadBytes(path), expected);  // trainer and trailing bytes kept
  QCOMPARE(Column(kColAttribute), QStringList({"mapper0,水平,SRAM,Trainer"}));
  QCOMPARE(window_->List().EntryForRow(0)->header[6], uint8_t{0x06});

  prompts_.onExec = [](QDialog& dialog) {
    dialog.findChild<QComboBox*>(QStringLiteral("mirroring"))->setCurrentText("Vertical");
    return int(QDialog::Rejected);  // Cancel
  };
  Choose("属性");
  QCOMPARE(ReadBytes(path), expected);
}

void WindowTest::attributeDialogShowsNullForAGameAddedAfterTheBuild() {
  Drop({Game("m5.nes", 2, 1, 0x51)});  // mapper 5: no choice fits
  QStringList seen;
  prompts_.onExec = [&seen](QDialog& dialog) {
    for (const char* name :
         {"promBegin", "promEnd", "promNum", "vromBegin", "vromEnd", "vromNum"}) {
      seen << dialog.findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    seen << QString::number(dialog.findChild<QComboBox*>(QStringLiteral("mapper"))->currentIndex());
    dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    return dialog.result();
  };
  window_->ShowAttributes(0);
  QCOMPARE(seen, QStringList({"Null", "Null", "Null", "Null", "Null", "Null", "-1"}));
  QCOMPARE(Column(kColAttribute), QStringList({"mapper5,垂直"}));  // OK kept the header

  // A dropped file without the signature: its row's empty texts are shown empty.
  const std::string plain = *games_ / "plain.nes";
  WriteBytes(plain, std::vector<uint8_t>(32, 0));
  Drop({plain});
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
  QCOMPARE(seen,
           QStringList({"2", "", QString::fromStdString(plain), "", "", "Null", "-1", "0", "1"}));
  QCOMPARE(ReadBytes(plain), std::vector<uint8_t>(32, 0));  // nothing rewritten
}

void WindowTest::rightClickOnEmptySpaceStillOpensTheMenu() {
  DropGames(2);
  view_->clearSelection();
  Choose("属性");
  QCOMPARE(prompts_.menuTexts.size(), 7);
  QCOMPARE(prompts_.dialogsShown, 0);  // no row selected: no attribute dialog
}

void WindowTest::enterAndEscapeOutsideTheEditorCloseTheWindow() {
  DropGames(1);
  Button("saveButton")->setFocus();
  QTest::keyClick(Button("saveButton"), Qt::Key_Return);  // presses the focused button
  QCOMPARE(prompts_.requests.size(), size_t{1});
  QVERIFY(window_->isVisible());
  view_->setFocus();
  QTest::keyClick(view_, Qt::Key_Enter, Qt::KeypadModifier);
  QVERIFY(!window_->isVisible());
  QCOMPARE(window_->result(), int(QDialog::Accepted));
  window_->show();
  QTest::keyClick(window_->findChild<QLineEdit*>(QStringLiteral("reserveSize")), Qt::Key_Escape);
  QVERIFY(!window_->isVisible());
  QCOMPARE(window_->result(), int(QDialog::Rejected));
  window_->show();
  view_->setFocus();
  QTest::keyClick(view_, Qt::Key_Escape);
  QVERIFY(!window_->isVisible());
  window_->show();
  view_->setFocus();
  QTest::keyClick(view_, Qt::Key_Return);
  QVERIFY(!window_->isVisible());
  QCOMPARE(window_->result(), int(QDialog::Accepted));
}

void WindowTest::runButtonStartsTheEmulatorOnTheImage() {
  Button("runButton")->click();
  QCOMPARE(launcher_.started.size(), size_t{1});
  QCOMPARE(launcher_.started[0].program, EmulatorPath(dir_->path()));
  QCOMPARE(launcher_.started[0].args, std::vector<std::string>{*dir_ / "rom.bin"});
  QVERIFY(prompts_.messages.isEmpty());
  launcher_.emulatorStarts = false;
  Button("runButton")->click();
  QCOMPARE(prompts_.messages.size(), 1);
}

void WindowTest::aboutBoxShowsTheVersion() {
  QStringList seen;
  prompts_.onExec = [&seen](QDialog& dialog) {
    seen << dialog.windowTitle();
    seen << dialog.findChild<QLabel*>(QStringLiteral("version"))->text();
    seen << dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->text();
    return int(QDialog::Accepted);
  };
  window_->findChild<QToolButton*>(QStringLiteral("aboutButton"))->click();
  QCOMPARE(seen, QStringList({"关于 Romvane", "Romvane 1.0 版", "确定"}));
  QTest::keyClick(window_->windowHandle(), Qt::Key_A, Qt::AltModifier);
  QCOMPARE(window_->findChild<QToolButton*>(QStringLiteral("aboutButton"))->toolTip(),
           QStringLiteral("关于 Romvane..."));
  QCOMPARE(prompts_.dialogsShown, 2);
}

void WindowTest::aDoubleClickOnATitleRunsTheGameInsteadOfEditingIt() {
  DropGames(2);
  const QPoint at = view_->visualRect(window_->Model()->index(1, kColTitle)).center();
  QTest::mouseDClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QVERIFY(!view_->IsEditing());
  QCOMPARE(Column(kColTitle), QStringList({"g1", "g2"}));
  QCOMPARE(ReadBytes(*dir_ / "Temp.nes"), ReadBytes(*games_ / "g2.nes"));
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
