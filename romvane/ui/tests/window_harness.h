#pragma once

// The "Cartovo" window with its own program folder and a folder of games, and the ways a
// user reaches it: files dropped from a file manager, clicks, the context menu and the
// buttons. Dialogs are answered by FakePrompts.

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <memory>

#include "cart/emulator_run.h"
#include "cartovo_dialog.h"
#include "editable_list_ctrl.h"
#include "fake_prompts.h"
#include "game_list_model.h"
#include "nes_files.h"

namespace romvane::testing {

class WindowHarness {
 protected:
  void Open() {
    games_ = std::make_unique<TempDir>();
    dir_ = std::make_unique<TempDir>();
    // The program folder's own emulator, so the run commands never depend on what else
    // is installed; the launcher only records it.
    std::filesystem::create_directory(*dir_ / "bin");
    WriteBytes(EmulatorPath(dir_->path()), {'#', '!'});
    std::filesystem::permissions(EmulatorPath(dir_->path()), std::filesystem::perms::owner_all);
    prompts_ = FakePrompts();
    launcher_.started.clear();
    launcher_.emulatorStarts = true;
    launcher_.watchScripts = true;
    window_ = std::make_unique<CartovoDialog>(dir_->path(), &launcher_, &prompts_);
    view_ = window_->ListView();
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

  void Close() {
    window_.reset();
    dir_.reset();
    games_.reset();
  }

  std::string Game(const std::string& name, uint8_t prgUnits = 2, uint8_t flags6 = 0) {
    NesImage image;
    image.prgUnits = prgUnits;
    image.flags6 = flags6;
    return WriteNes(*games_, name, image);
  }

  std::string PlainFile(const std::string& name) {  // no iNES signature
    const std::string path = *games_ / name;
    WriteBytes(path, std::vector<uint8_t>(32, 0));
    return path;
  }

  // A make script whose menu fills the reserve Reserve.inc names: "MENU", zeros, and
  // vectors at $FF00, inside the menu.
  static constexpr const char* kQuickMenu =
      "r=$((0x$(tr -d '\\r' < Reserve.inc | sed -n 's/^MENU_RESERVE = \\$//p')))\n"
      "{ printf MENU; head -c $((r - 10)) /dev/zero; printf '\\000\\377\\000\\377\\000\\377'; }"
      " > menu.bin\n";

  // Games as a list file brings them, also those the cartridge cannot take.
  void LoadGames(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& p : paths) text += p + "\r\n";
    WriteBytes(*dir_ / "loaded.sav", std::vector<uint8_t>(text.begin(), text.end()));
    window_->LoadListFrom(QString::fromStdString(*dir_ / "loaded.sav"));
  }

  void WriteScript(const std::string& text) {
    WriteBytes(*dir_ / "make.sh", std::vector<uint8_t>(text.begin(), text.end()));
  }

  void Drop(const std::vector<std::string>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
    data.setUrls(urls);
    DragAndDrop(QPoint(20, 20), Qt::CopyAction, &data);
  }

  void DropGames(int count) {  // g1..gN
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) paths.push_back(Game("g" + std::to_string(i) + ".nes"));
    Drop(paths);
  }

  void DragAndDrop(const QPoint& at, Qt::DropAction action, const QMimeData* data) {
    // A drop goes to the widget that accepted the drag when it entered.
    QDragEnterEvent enter(at, action, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view_->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(at), action, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view_->viewport(), &drop);
  }

  QStringList Column(int column) const {
    QStringList texts;
    for (const GameEntry& g : window_->List().Games())
      texts << QString::fromStdString(ColumnText(g, column));
    return texts;
  }

  QPoint CellCenter(int row, int column) const {
    return view_->visualRect(window_->Model()->index(row, column)).center();
  }

  void ClickCell(int row, int column) {
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, CellCenter(row, column));
  }

  void ClickHeader(int column) {
    QHeaderView* header = view_->header();
    const QPoint at(header->sectionViewportPosition(column) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }

  // Opens the context menu below the rows and picks the item.
  void Choose(const char* menuItem) {
    prompts_.menuChoice = QString::fromUtf8(menuItem);
    const QPoint at(5, view_->viewport()->height() - 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view_->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(view_->viewport(), &event);
  }

  QPushButton* Button(const char* name) const {
    return window_->findChild<QPushButton*>(QString::fromLatin1(name));
  }

  QLineEdit* Reserve() const {
    return window_->findChild<QLineEdit*>(QStringLiteral("reserveSize"));
  }

  std::unique_ptr<TempDir> games_;
  std::unique_ptr<TempDir> dir_;
  FakePrompts prompts_;
  RecordingLauncher launcher_;
  std::unique_ptr<CartovoDialog> window_;
  EditableListCtrl* view_ = nullptr;
};

}  // namespace romvane::testing
