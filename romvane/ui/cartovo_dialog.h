#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cart/bank_layout.h"
#include "cart/launcher.h"
#include "model/game_list.h"

class QLabel;
class QLineEdit;
class QMenu;

namespace romvane {

class EditableListCtrl;
class GameListModel;
class Prompts;

// "Cartovo", the builder's one window: the game list and every command on it.
class CartovoDialog : public QDialog {
  Q_OBJECT

 public:
  // programDir holds the make script, the build files and the emulator. The launcher
  // and prompts default to the real ones; tests pass their own.
  explicit CartovoDialog(std::string programDir, Launcher* launcher = nullptr,
                         Prompts* prompts = nullptr, QWidget* parent = nullptr);
  ~CartovoDialog() override;

  const GameList& List() const { return list_; }
  GameListModel* Model() const { return model_; }
  EditableListCtrl* ListView() const { return view_; }
  // The last build's placement while the list is still the one it was made from.
  const std::vector<BankBlock>& LastBuild() const { return lastBuild_.BlocksFor(list_); }
  // How the build waits between two looks for the menu binary; tests shorten it.
  void SetBuildSleep(std::function<void(int milliseconds)> sleep) { sleep_ = std::move(sleep); }

  // Replaces the list with the games of a list file, reporting what went wrong.
  void LoadListFrom(const QString& path);

  // The commands, one handler each.
  void AddGameFromDialog();
  void RemoveSelected();
  void CopySelected();
  void MoveUp();
  void MoveDown();
  void ShowAttributes(int row);
  void SortByColumn(int column);
  void AddDroppedFiles(const QStringList& paths);
  void RunGame(int row);
  void RunImage();
  void Build();
  void ExportList();
  // True when the list was written.
  bool SaveList();
  void LoadList();
  void ShowAbout();

  // The rows selected now, in ascending order.
  std::vector<int> SelectedRows() const;
  void SelectRows(int first, int count);
  void SelectRowList(const std::vector<int>& rows);
  // Whether the games or titles differ from the list last saved or loaded. An empty list
  // has nothing worth keeping.
  bool IsModified() const;
  // Asks to save a changed list first; false when the user cancels or the save fails.
  bool MayDropChanges();
  // Says in the status line when rom.bin is older than the list shown.
  void ShowBuildState();
  // Every way of closing ends here: never during a build, and a changed list is first
  // offered for saving.
  void done(int result) override;

  // Selects the rows again after the list was rebuilt and makes current the focused row.
  void KeepSelection(const std::vector<int>& rows, int current);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildLayout();
  QLayout* BuildSideColumn();
  // Keeps the window within the screen it opens on.
  void FitScreen();
  // While a build waits for the menu program nothing but painting reaches the window.
  void LockInput(bool locked);
  // The rows are no longer in the order of the last sort: the heading's arrow goes.
  void EndSortedOrder();
  void ShowContextMenu(const QPoint& position);
  // Moves the selected rows one place with the list's move, the selection following them.
  void MoveSelected(std::string (GameList::*move)(std::vector<int>&));
  // Adds the files by hand, from the add command or a drop (nesOnly: files named .nes).
  void AddFiles(const QStringList& paths, bool nesOnly);
  void Tell(const std::string& message);
  void Tell(const std::vector<std::string>& messages);

  std::string programDir_;
  std::unique_ptr<Launcher> ownLauncher_;
  std::unique_ptr<Prompts> ownPrompts_;
  Launcher* launcher_;
  Prompts* prompts_;
  std::function<void(int)> sleep_;

  GameList list_;
  GameListModel* model_ = nullptr;
  EditableListCtrl* view_ = nullptr;
  QLineEdit* reserve_ = nullptr;
  QLabel* status_ = nullptr;
  BuildPlacement lastBuild_;
  int sortColumn_ = -1;
  bool sortAscending_ = true;
  bool busy_ = false;  // a build is waiting for the menu: no other command runs
  // The list's content when rom.bin was last built from it, as far as the window knows.
  static constexpr uint64_t kNotBuilt = UINT64_MAX;
  uint64_t builtContent_ = 0;
};

}  // namespace romvane
