// The list of the "Cartovo" window as a user works it: files dropped and added, the cell
// editor, the header, dragged rows, the context menu, the list's keys and the clipboard.
// What the list itself does with its games is tested with the game list.

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include <filesystem>

#include "cart/emulator_run.h"
#include "clipboard_files.h"
#include "model/file_drop.h"
#include "window_harness.h"

using namespace romvane;

class WindowTest : public QObject, protected romvane::testing::WindowHarness {
  Q_OBJECT

 private slots:
  void init() { Open(); }
  void cleanup() { Close(); }

  void droppedFilesAddOnlyNesNamesAndShowTheLastRow();
  void addAsksForNesFilesFromTheLastGamesFolder();
  void aGameBeyondThe32MegabytesTheTableReachesIsNotAdded();
  void theTitleEditorRefusesCharactersGbkLacks();
  void headerClicksSortAscendingThenDescending();
  void draggedRowsGoBeforeTheRowUnderTheCursor();
  void theMenuMovesBlocksOfRowsOrTellsWhyNot();
  void movesInASortedViewGoTheWayTheUserSeesThem();
  void listKeysDoWhatTheMenuDoes();
  void copyPutsTheSelectedFilesOnTheClipboard();
  void aDoubleClickRunsTheGameOfTheRowShown();
};

void WindowTest::droppedFilesAddOnlyNesNamesAndShowTheLastRow() {
  std::filesystem::create_directory(*games_ / "upper");
  Drop({Game("good.nes"), PlainFile("nosig.nes"), Game("mixed.Nes"), Game("upper/UPPER.NES"),
        *games_ / "readme.txt", Game("cnrom.nes", 2, 0x30)});
  // A file that is no game, or a game the cartridge cannot run, gets no row but a reason.
  QCOMPARE(Column(kColTitle), QStringList({"good", "UPPER"}));
  QCOMPARE(prompts_.messages.size(), 1);
  const QStringList said = prompts_.messages.front().split('\n');
  QCOMPARE(said.size(), 2);
  QVERIFY(said[0].contains(QString::fromStdString(*games_ / "nosig.nes")));
  QVERIFY(said[1].contains(QStringLiteral("cnrom")) && said[1].contains(QStringLiteral("mapper3")));
  QCOMPARE(QApplication::focusWidget(), view_);
  prompts_.messages.clear();

  window_->SelectRowList({0, 1});
  DropGames(40);
  QCOMPARE(window_->List().RowCount(), 42);
  QCOMPARE(window_->SelectedRows(), (std::vector<int>{0, 1}));  // adding keeps the selection
  const QRect last = view_->visualRect(window_->Model()->index(41, 0));
  QVERIFY(view_->viewport()->rect().contains(last));
}

void WindowTest::addAsksForNesFilesFromTheLastGamesFolder() {
  Choose("添加");  // cancelled: nothing added
  QCOMPARE(prompts_.requests.size(), size_t{1});
  QCOMPARE(prompts_.requests[0].filter, QStringLiteral("NES File(*.nes)"));
  QVERIFY(!prompts_.requests[0].save);
  QVERIFY(prompts_.requests[0].folder.isEmpty());
  QCOMPARE(window_->List().RowCount(), 0);

  // Several at once; a file that is no game, or an empty one, is named and gets no row.
  std::filesystem::create_directory(*games_ / "set");
  testing::WriteBytes(*games_ / "set/empty.nes", {});
  prompts_.files.push_back(
      QString::fromStdString(Game("set/Road Fighter.v2.nes") + "\n" + PlainFile("plain.nes") +
                             "\n" + *games_ / "set/empty.nes" + "\n" + Game("set/b.nes")));
  Choose("添加");
  QCOMPARE(Column(kColTitle), QStringList({"Road Fighter.v2", "b"}));
  QCOMPARE(prompts_.messages.size(), 1);
  QCOMPARE(prompts_.messages.front().count('\n'), 1);
  // The next time the dialog opens where the last game came from.
  Choose("添加");
  QCOMPARE(prompts_.requests.back().folder, QString::fromStdString(*games_ / "set"));
}

void WindowTest::aGameBeyondThe32MegabytesTheTableReachesIsNotAdded() {
  // 512 KB PRG and 256 KB CHR each, in sparse files: the 43rd passes 32 MB.
  std::vector<std::string> paths;
  for (int i = 1; i <= 43; ++i) {
    const std::string path = *games_ / ("big" + std::to_string(i) + ".nes");
    testing::WriteBytes(path, {0x4E, 0x45, 0x53, 0x1A, 32, 32, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    std::filesystem::resize_file(path, 16 + 0x80000 + 0x40000);
    paths.push_back(path);
  }
  Drop(paths);
  QCOMPARE(window_->List().RowCount(), 42);
  QCOMPARE(prompts_.messages.size(), 1);
  QVERIFY(prompts_.messages.front().contains(QStringLiteral("big43")));
  QVERIFY(prompts_.messages.front().contains(QStringLiteral("32MB")));
}

void WindowTest::theTitleEditorRefusesCharactersGbkLacks() {
  DropGames(1);
  ClickCell(0, kColTitle);
  view_->Editor()->clear();
  view_->Editor()->insert(QString::fromUtf8("魂斗罗"));
  QKeyEvent thai(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("ก"));
  QCoreApplication::sendEvent(view_->Editor(), &thai);
  view_->Editor()->insert(QString::fromUtf8("😀"));
  QApplication::clipboard()->setText(QString::fromUtf8("ก"));
  view_->Editor()->paste();
  QTest::keyClick(view_->Editor(), Qt::Key_Return);
  QCOMPARE(Column(kColTitle), QStringList({QString::fromUtf8("魂斗罗")}));
}

void WindowTest::headerClicksSortAscendingThenDescending() {
  Drop({Game("b.nes"), Game("c.nes"), Game("a.nes")});
  window_->SelectRows(0, 1);  // b
  ClickHeader(kColTitle);
  QCOMPARE(Column(kColTitle), QStringList({"a", "b", "c"}));
  // The selection and the focused row stay with their game.
  QCOMPARE(window_->SelectedRows(), std::vector<int>{1});
  QCOMPARE(view_->currentIndex().row(), 1);
  ClickHeader(kColTitle);
  QCOMPARE(Column(kColTitle), QStringList({"c", "b", "a"}));
  ClickHeader(kColNumber);
  QCOMPARE(Column(kColTitle), QStringList({"b", "c", "a"}));
  QVERIFY(view_->header()->isSortIndicatorShown());
  Choose("下移");  // the order is no longer sorted: the arrow goes
  QVERIFY(!view_->header()->isSortIndicatorShown());
}

void WindowTest::draggedRowsGoBeforeTheRowUnderTheCursor() {
  DropGames(5);
  auto dragSelectionTo = [this](const QPoint& at) {
    std::unique_ptr<QMimeData> rows(
        window_->Model()->mimeData(view_->selectionModel()->selectedIndexes()));
    DragAndDrop(at, Qt::MoveAction, rows.get());
  };
  window_->SelectRows(0, 2);
  dragSelectionTo(CellCenter(4, kColTitle));
  QCOMPARE(Column(kColTitle), QStringList({"g3", "g4", "g1", "g2", "g5"}));
  QCOMPARE(window_->SelectedRows(), (std::vector<int>{2, 3}));

  // Also when released near the lower edge of that row; released below the last row they
  // go to the end.
  const QRect rowFive = view_->visualRect(window_->Model()->index(4, kColTitle));
  dragSelectionTo(QPoint(rowFive.center().x(), rowFive.bottom() - 1));
  QCOMPARE(Column(kColTitle), QStringList({"g3", "g4", "g1", "g2", "g5"}));
  window_->SelectRows(0, 1);
  dragSelectionTo(QPoint(rowFive.center().x(), rowFive.bottom() + 20));
  QCOMPARE(Column(kColTitle), QStringList({"g4", "g1", "g2", "g5", "g3"}));
  // A view that clears the cells of moved rows cannot blank a title.
  QVERIFY(
      !window_->Model()->setData(window_->Model()->index(4, kColTitle), QVariant(), Qt::EditRole));
  QCOMPARE(Column(kColTitle).last(), QStringLiteral("g3"));
}

void WindowTest::theMenuMovesBlocksOfRowsOrTellsWhyNot() {
  DropGames(3);
  window_->SelectRows(0, 2);
  Choose("上移");
  QCOMPARE(prompts_.menuTexts, QStringList({"添加", "删除", "复制", "-", "上移", "下移", "属性"}));
  QCOMPARE(prompts_.messages, QStringList({"文件不需要上移!"}));
  QCOMPARE(Column(kColTitle), QStringList({"g1", "g2", "g3"}));

  Choose("下移");
  QCOMPARE(Column(kColTitle), QStringList({"g3", "g1", "g2"}));
  QCOMPARE(window_->SelectedRows(), (std::vector<int>{1, 2}));
  Choose("下移");
  QCOMPARE(prompts_.messages.last(), QStringLiteral("文件不需要下移!"));

  Choose("删除");
  QCOMPARE(Column(kColTitle), QStringList({"g3"}));
  // Nothing selected: the menu still opens, but removes nothing and shows no attributes.
  view_->clearSelection();
  Choose("删除");
  Choose("属性");
  QCOMPARE(prompts_.menuTexts.size(), 7);
  QCOMPARE(window_->List().RowCount(), 1);
  QCOMPARE(prompts_.dialogsShown, 0);
}

void WindowTest::movesInASortedViewGoTheWayTheUserSeesThem() {
  DropGames(4);
  ClickHeader(kColNumber);
  ClickHeader(kColNumber);  // descending: g4 g3 g2 g1
  QCOMPARE(Column(kColTitle), QStringList({"g4", "g3", "g2", "g1"}));
  ClickCell(1, kColTitle);  // g3
  Choose("上移");
  // Up is earlier in the cartridge: g3 comes before g2, and the list shows it so.
  QCOMPARE(Column(kColTitle), QStringList({"g1", "g3", "g2", "g4"}));
  QCOMPARE(window_->SelectedRows(), std::vector<int>{1});
  QVERIFY(!view_->header()->isSortIndicatorShown());

  ClickHeader(kColTitle);
  ClickHeader(kColTitle);   // descending titles: g4 g3 g2 g1
  ClickCell(2, kColTitle);  // g2
  Choose("下移");
  QCOMPARE(Column(kColTitle), QStringList({"g1", "g3", "g4", "g2"}));
  QCOMPARE(window_->SelectedRows(), std::vector<int>{3});
}

void WindowTest::listKeysDoWhatTheMenuDoes() {
  DropGames(4);
  view_->setFocus();
  window_->SelectRows(1, 1);
  QTest::keyClick(view_, Qt::Key_F2);
  QVERIFY(view_->IsEditing());
  QCOMPARE(view_->Editor()->Row(), 1);
  QCOMPARE(view_->Editor()->Column(), int(kColTitle));
  QTest::keyClicks(view_->Editor(), QStringLiteral("Two"));
  QTest::keyClick(view_->Editor(), Qt::Key_Delete);  // the editor's own key: no row goes
  QTest::keyClick(view_->Editor(), Qt::Key_Return);  // ends the edit, not the window
  QCOMPARE(Column(kColTitle), QStringList({"g1", "Two", "g3", "g4"}));
  QCOMPARE(QApplication::focusWidget(), view_);
  QTest::keyClick(view_, Qt::Key_F2);
  QTest::keyClick(view_->Editor(), Qt::Key_Escape);  // so does Escape
  QVERIFY(window_->isVisible());

  // A click on a heading ends an edit too, and the list keeps the focus, so Enter then
  // closes the window and presses no button.
  ClickCell(0, kColNumber);  // a read-only column: no editor
  QVERIFY(!view_->IsEditing());
  ClickCell(0, kColTitle);
  QVERIFY(view_->IsEditing());
  ClickHeader(kColPrgSize);
  QVERIFY(!view_->IsEditing());
  QCOMPARE(QApplication::focusWidget(), view_);

  window_->SelectRowList({0, 2});
  QTest::keyClick(view_, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->mimeData()->urls().size(), 2);
  QTest::keyClick(view_, Qt::Key_Delete);
  QCOMPARE(Column(kColTitle), QStringList({"Two", "g4"}));

  prompts_.menuChoice = QStringLiteral("上移");
  window_->SelectRows(1, 1);
  QTest::keyClick(view_, Qt::Key_F10, Qt::ShiftModifier);
  QCOMPARE(Column(kColTitle), QStringList({"g4", "Two"}));
  QVERIFY(window_->isVisible());
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
  const std::vector<uint8_t> block = FileDropBlock(paths);
  QCOMPARE(data->data(kFileDropBlockType),
           QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size())));
}

void WindowTest::aDoubleClickRunsTheGameOfTheRowShown() {
  Drop({Game("alpha.nes", 2), Game("beta.nes", 1), Game("gamma.nes", 4)});
  ClickHeader(kColTitle);
  ClickHeader(kColTitle);  // gamma, beta, alpha
  // A double click on a title runs the game instead of editing the title.
  QTest::mouseDClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, CellCenter(0, kColTitle));
  QVERIFY(!view_->IsEditing());
  QCOMPARE(testing::ReadBytes(*dir_ / "Temp.nes"), testing::ReadBytes(*games_ / "gamma.nes"));
  QCOMPARE(launcher_.started.back().program, EmulatorPath(dir_->path()));
  QCOMPARE(launcher_.started.back().args, std::vector<std::string>{*dir_ / "Temp.nes"});
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
