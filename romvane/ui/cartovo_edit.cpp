// The window's commands that change the list: adding games, removing, copying and moving
// rows, sorting, and the attribute dialog.

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>

#include "attribute_dialog.h"
#include "cart/attribute_info.h"
#include "cart/cartridge_build.h"
#include "cartovo_dialog.h"
#include "clipboard_files.h"
#include "editable_list_ctrl.h"
#include "game_list_model.h"
#include "model/paths.h"
#include "prompts.h"
#include "ui_text.h"

namespace romvane {
namespace {

std::string TitleOfFile(const std::string& path) {
  const std::string base = BaseNameOf(path);
  return base.empty() ? FileNameOf(path) : base;
}

}  // namespace

void CartovoDialog::AddGameFromDialog() {
  if (busy_) return;
  FileRequest request{
      UiText("打开"), QStringLiteral("NES File(*.nes)"), QStringLiteral("nes"), {}, false, {}};
  // Games of one collection usually lie together: the dialog opens where the last came from.
  for (int row = list_.RowCount() - 1; row >= 0 && request.folder.isEmpty(); --row) {
    const std::string& path = list_.Game(row).path;
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos) request.folder = QString::fromStdString(path.substr(0, slash));
  }
  const QStringList paths = prompts_->ChooseFiles(this, request);
  if (paths.isEmpty()) return;
  AddFiles(paths, false);
}

void CartovoDialog::AddDroppedFiles(const QStringList& paths) {
  if (busy_) return;
  AddFiles(paths, true);
  view_->setFocus(Qt::OtherFocusReason);
}

void CartovoDialog::AddFiles(const QStringList& paths, bool nesOnly) {
  std::vector<std::string> messages;
  // New rows come at the end: the selected rows stay selected.
  const std::vector<int> selected = SelectedRows();
  const int current = view_->currentIndex().row();
  const int before = list_.RowCount();
  model_->Apply([&](GameList& l) {
    for (const QString& p : paths) {
      const std::string file = p.toStdString();
      if (nesOnly && file.find(".nes") == std::string::npos &&
          file.find(".NES") == std::string::npos)
        continue;
      // Only games the cartridge can run become rows; the others are named with the reason.
      const AddResult added = l.AddGame(file, TitleOfFile(file), AddMode::kByHand);
      if (!added.message.empty()) messages.push_back(added.message);
      if (added.status == AddStatus::kListFull) break;
      if (added.status == AddStatus::kStored && PastTableReach(l, reserve_->text().toStdString())) {
        l.RemoveGames({l.RowCount() - 1});
        messages.push_back(
            common::TrFill("游戏{0}无法放入卡带: {1}!",
                           {TitleOfFile(file), common::Tr("游戏表能指到的32MB已放不下")}));
      }
    }
  });
  if (list_.RowCount() != before) EndSortedOrder();
  KeepSelection(selected, current);
  if (model_->rowCount() > 0) view_->scrollTo(model_->index(model_->rowCount() - 1, 0));
  Tell(messages);
}

void CartovoDialog::RemoveSelected() {
  if (busy_) return;
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  model_->Apply([&](GameList& l) { l.RemoveGames(rows); });
}

void CartovoDialog::CopySelected() {
  if (busy_) return;
  std::vector<std::string> paths;
  for (int row : SelectedRows()) {
    const std::string& path = list_.Game(row).path;
    if (!path.empty()) paths.push_back(path);
  }
  QApplication::clipboard()->setMimeData(MakeCopiedFilesData(paths));
}

void CartovoDialog::MoveUp() {
  MoveSelected(&GameList::MoveGameUp);
}

void CartovoDialog::MoveDown() {
  MoveSelected(&GameList::MoveGameDown);
}

void CartovoDialog::MoveSelected(std::string (GameList::*move)(std::vector<int>&)) {
  if (busy_) return;
  // Up and down mean earlier and later in the cartridge: a sorted view goes back to the
  // numbered order first, so the game moves the way the user then sees it move.
  if (!list_.InNumberOrder()) {
    model_->Apply([](GameList& l) { l.SortRows(kColNumber, true); });
    EndSortedOrder();
  }
  std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  const std::string message = model_->Apply([&](GameList& l) { return (l.*move)(rows); });
  if (message.empty()) EndSortedOrder();
  SelectRowList(rows);
  Tell(message);
}

void CartovoDialog::ShowAttributes(int row) {
  if (busy_ || row < 0 || row >= list_.RowCount()) return;
  const GameAttributes attributes = AttributesOfRow(list_, row, lastBuild_);
  AttributeDialog dialog(attributes, this);
  if (prompts_->Exec(dialog) != QDialog::Accepted) return;
  // Only the mirroring is applied, and never to a file that could not be read whole.
  const int vertical = dialog.MirroringChoice();
  if (!attributes.header || vertical < 0) return;
  const std::string message = list_.SetMirroring(row, vertical == 1);
  model_->RowChanged(row);
  Tell(message);
}

void CartovoDialog::SortByColumn(int column) {
  if (busy_) return;
  view_->EndEdit();
  if (column == sortColumn_) {
    sortAscending_ = !sortAscending_;
  } else {
    sortColumn_ = column;
    sortAscending_ = true;
  }
  // The selected and the focused rows follow their games through the model.
  model_->Apply([&](GameList& l) { l.SortRows(column, sortAscending_); });
  view_->header()->setSortIndicatorShown(true);
  view_->header()->setSortIndicator(column,
                                    sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
}

}  // namespace romvane
