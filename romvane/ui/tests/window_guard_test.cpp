// The window guards the user's work: a build that is waiting cannot be interrupted,
// closing a changed list asks first, and the list's keys do what its menu does.

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <chrono>
#include <memory>
#include <thread>

#include "cartovo_dialog.h"
#include "editable_list_ctrl.h"
#include "fake_prompts.h"
#include "game_list_model.h"
#include "nes_files.h"

using namespace romvane;
using romvane::testing::NesImage;
using romvane::testing::TempDir;
using romvane::testing::WriteBytes;
using romvane::testing::WriteNes;

class WindowGuardTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void escapeDuringASlowBuildLeavesTheDialogUpAndTheListLocked();
  void closingAChangedListAsksFirst();
  void aTitleWithACommaComesBackFromItsListFile();
  void listKeysDoWhatTheMenuDoes();
  void theTitleEditorRefusesCharactersGbkLacks();
  void anEmptyReserveAndZeroAreRefusedAlike();

 private:
  void AddGames(int count);
  QStringList Titles() const;
  QPushButton* Button(const char* name) const {
    return window_->findChild<QPushButton*>(QString::fromLatin1(name));
  }

  std::unique_ptr<TempDir> dir_;
  FakePrompts prompts_;
  RecordingLauncher launcher_;
  std::unique_ptr<CartovoDialog> window_;
  EditableListCtrl* view_ = nullptr;
};

void WindowGuardTest::init() {
  dir_ = std::make_unique<TempDir>();
  prompts_ = FakePrompts();
  launcher_.started.clear();
  window_ = std::make_unique<CartovoDialog>(dir_->path(), &launcher_, &prompts_);
  view_ = window_->ListView();
  window_->show();
  window_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void WindowGuardTest::cleanup() {
  window_.reset();
  dir_.reset();
}

void WindowGuardTest::AddGames(int count) {
  QStringList paths;
  for (int i = 1; i <= count; ++i) {
    NesImage image;
    image.fill = static_cast<uint8_t>(i);
    paths << QString::fromStdString(WriteNes(*dir_, "g" + std::to_string(i) + ".nes", image));
  }
  window_->AddDroppedFiles(paths);
}

QStringList WindowGuardTest::Titles() const {
  QStringList titles;
  for (const GameEntry& game : window_->List().Games())
    titles << QString::fromStdString(ColumnText(game, kColTitle));
  return titles;
}

void WindowGuardTest::escapeDuringASlowBuildLeavesTheDialogUpAndTheListLocked() {
  const std::string script = "sleep 0.5\nprintf MENU > menu.bin\n";
  WriteBytes(*dir_ / "make.sh", std::vector<uint8_t>(script.begin(), script.end()));
  AddGames(2);
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
    window_->AddDroppedFiles({QString::fromStdString(*dir_ / "g1.nes")});
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

void WindowGuardTest::closingAChangedListAsksFirst() {
  QTest::keyClick(view_, Qt::Key_Escape);  // nothing in the list: nothing to ask
  QVERIFY(prompts_.questions.isEmpty());
  QVERIFY(!window_->isVisible());

  window_->show();
  AddGames(2);
  prompts_.answer = QMessageBox::Cancel;
  QTest::keyClick(window_->findChild<QLineEdit*>(QStringLiteral("reserveSize")), Qt::Key_Return);
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

void WindowGuardTest::aTitleWithACommaComesBackFromItsListFile() {
  AddGames(2);
  window_->Model()->setData(window_->Model()->index(0, kColTitle), QStringLiteral("Big, the game"),
                            Qt::EditRole);
  const QString listPath = QString::fromStdString(*dir_ / "comma.sav");
  prompts_.files.push_back(listPath);
  QVERIFY(window_->SaveList());
  window_->LoadListFrom(listPath);
  QCOMPARE(Titles(), QStringList({"Big, the game", "g2"}));
}

void WindowGuardTest::listKeysDoWhatTheMenuDoes() {
  AddGames(4);
  view_->setFocus();
  window_->SelectRows(1, 1);
  QTest::keyClick(view_, Qt::Key_F2);
  QVERIFY(view_->IsEditing());
  QCOMPARE(view_->Editor()->Row(), 1);
  QCOMPARE(view_->Editor()->Column(), int(kColTitle));
  QTest::keyClicks(view_->Editor(), QStringLiteral("Two"));
  QTest::keyClick(view_->Editor(), Qt::Key_Delete);  // the editor's own key: no row goes
  QTest::keyClick(view_->Editor(), Qt::Key_Return);
  QCOMPARE(Titles(), QStringList({"g1", "Two", "g3", "g4"}));

  window_->SelectRowList({0, 2});
  QTest::keyClick(view_, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->mimeData()->urls(),
           QList<QUrl>({QUrl::fromLocalFile(QString::fromStdString(*dir_ / "g1.nes")),
                        QUrl::fromLocalFile(QString::fromStdString(*dir_ / "g3.nes"))}));
  QTest::keyClick(view_, Qt::Key_Delete);
  QCOMPARE(Titles(), QStringList({"Two", "g4"}));

  prompts_.menuChoice = QStringLiteral("上移");
  window_->SelectRows(1, 1);
  QTest::keyClick(view_, Qt::Key_F10, Qt::ShiftModifier);
  QCOMPARE(prompts_.menuTexts.size(), 7);
  QCOMPARE(Titles(), QStringList({"g4", "Two"}));
  QVERIFY(window_->isVisible());
}

void WindowGuardTest::theTitleEditorRefusesCharactersGbkLacks() {
  AddGames(1);
  view_->setFocus();
  window_->SelectRows(0, 1);
  QTest::keyClick(view_, Qt::Key_F2);
  view_->Editor()->insert(QString::fromUtf8("魂斗罗"));  // as an input method would
  QKeyEvent thai(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("ก"));
  QCoreApplication::sendEvent(view_->Editor(), &thai);
  view_->Editor()->insert(QString::fromUtf8("😀"));
  QApplication::clipboard()->setText(QString::fromUtf8("ก"));
  view_->Editor()->paste();
  QCOMPARE(view_->Editor()->text(), QString::fromUtf8("魂斗罗"));
  QTest::keyClick(view_->Editor(), Qt::Key_Return);
  QCOMPARE(Titles(), QStringList({QString::fromUtf8("魂斗罗")}));
}

void WindowGuardTest::anEmptyReserveAndZeroAreRefusedAlike() {
  AddGames(1);
  auto* reserve = window_->findChild<QLineEdit*>(QStringLiteral("reserveSize"));
  for (const char* text : {"", "0", "000"}) {
    reserve->setText(QString::fromLatin1(text));
    Button("buildButton")->click();
  }
  QCOMPARE(prompts_.messages.size(), 3);
  QCOMPARE(prompts_.messages.count(prompts_.messages.front()), 3);
  QVERIFY(launcher_.started.empty());
}

QTEST_MAIN(WindowGuardTest)
#include "window_guard_test.moc"
