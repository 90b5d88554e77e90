#include "model/game_list.h"

#include <algorithm>
#include <numeric>

#include "common/gbk.h"
#include "common/translate.h"
#include "model/ines_file.h"

namespace romvane {
namespace {

// Text of a column as the list compares it: GBK bytes where the text converts.
std::string ByteKey(const std::string& text) {
  return common::Utf8ToGbk(text).value_or(text);
}

}  // namespace

std::string ColumnText(const GameEntry& game, int column, bool userLanguage) {
  switch (column) {
    case kColNumber:
      return std::to_string(game.Number());
    case kColTitle:
      return game.title;
    case kColPrgSize:
      return game.hasRecord ? HexText(game.PrgSize()) : std::string();
    case kColChrSize:
      return game.hasRecord ? HexText(game.ChrSize()) : std::string();
    case kColAttribute:
      return game.hasRecord ? AttributeText(game.header, userLanguage) : std::string();
    default:
      return {};
  }
}

bool GameList::InNumberOrder() const {
  for (size_t i = 0; i < games_.size(); ++i) {
    if (games_[i].index != static_cast<int32_t>(i)) return false;
  }
  return true;
}

int GameList::RecordCount() const {
  return static_cast<int>(
      std::count_if(games_.begin(), games_.end(), [](const GameEntry& g) { return g.hasRecord; }));
}

const GameEntry* GameList::EntryForRow(int row) const {
  if (row < 0 || row >= RowCount() || !Game(row).hasRecord) return nullptr;
  return &Game(row);
}

std::vector<int> GameList::RowsByNumber() const {
  std::vector<int> rows(games_.size(), -1);
  for (int row = 0; row < RowCount(); ++row) {
    const int index = Game(row).index;
    if (index >= 0 && index < RowCount()) rows[static_cast<size_t>(index)] = row;
  }
  return rows;
}

void GameList::Touch(bool contentChanged) {
  ++revision_;
  if (contentChanged) {
    modified_ = true;
    ++contentRevision_;
  }
}

std::optional<AddResult> GameList::Refusal(const std::string& path) const {
  if (RowCount() >= kMaxGames) {
    return AddResult{AddStatus::kListFull, common::TrFill("列表已满，最多只能加入{0}个游戏!",
                                                          {std::to_string(kMaxGames)})};
  }
  // A list file holds one game per line: such a path could never be loaded back.
  if (path.find_first_of("\r\n") != std::string::npos) {
    return AddResult{AddStatus::kRefused, common::Tr("文件路径含有换行符，无法加入列表!")};
  }
  return std::nullopt;
}

AddResult GameList::AddGame(const std::string& path, const std::string& title, AddMode mode) {
  if (auto refused = Refusal(path)) return *refused;
  return AddReadGame(path, title, ReadInesFile(path, data_ == GameData::kWhole), mode);
}

AddResult GameList::AddReadGame(const std::string& path, const std::string& title, InesFile ines,
                                AddMode mode) {
  if (auto refused = Refusal(path)) return *refused;
  GameEntry game;
  game.index = RowCount();
  game.path = path;
  game.title = title;
  AddResult result;
  switch (ines.status) {
    case InesStatus::kComplete:
      result.status = AddStatus::kStored;
      game.hasRecord = true;
      game.header = ines.header;
      game.prg = std::move(ines.prg);
      game.chr = std::move(ines.chr);
      game.problem = CartridgeRefusal(game.header);
      if (!game.problem.empty()) {
        // From a list the row is stored with its record, marked; by hand it is refused.
        result = {mode == AddMode::kByHand ? AddStatus::kUnsupported : AddStatus::kStored,
                  common::TrFill("游戏{0}无法放入卡带: {1}!", {title, game.problem})};
      }
      break;
    case InesStatus::kUnreadable:
      game.problem =
          ines.missing ? common::Tr("文件不存在，或不在原路径") : common::Tr("无法打开文件");
      result = {AddStatus::kUnreadable, ines.missing
                                            ? common::TrFill("文件{0}不存在，或不在原路径!", {path})
                                            : common::TrFill("无法打开文件{0}!", {path})};
      break;
    case InesStatus::kNotAFile:
      game.problem = common::Tr("不是普通文件");
      result = {AddStatus::kUnreadable, common::TrFill("文件{0}不是普通文件!", {path})};
      break;
    case InesStatus::kNoSignature:
      game.problem = common::Tr("不是NES文件");
      result = {AddStatus::kNoSignature, common::TrFill("文件{0}不是NES文件!", {path})};
      break;
    case InesStatus::kTruncated:
      game.problem = common::Tr("文件不完整，比文件头所说的短");
      result = {AddStatus::kTruncated, common::TrFill("文件{0}不完整，比文件头所说的短!", {path})};
      break;
  }
  if (mode == AddMode::kByHand && (result.status != AddStatus::kStored || !game.problem.empty()))
    return result;
  if (observer_) observer_->BeforeInsert(RowCount(), RowCount());
  games_.push_back(std::move(game));
  Touch(true);
  if (observer_) observer_->AfterInsert();
  return result;
}

std::vector<int> GameList::ProblemRows() const {
  std::vector<int> rows;
  for (int row : RowsByNumber()) {
    if (row >= 0 && !Game(row).problem.empty()) rows.push_back(row);
  }
  return rows;
}

void GameList::RemoveGames(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::erase_if(rows, [this](int r) { return r < 0 || r >= RowCount(); });
  if (rows.empty()) return;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    const int index = Game(*it).index;
    if (observer_) observer_->BeforeRemove(*it, *it);
    games_.erase(games_.begin() + *it);
    if (observer_) observer_->AfterRemove();
    for (GameEntry& g : games_) {
      if (g.index > index) --g.index;
    }
  }
  Touch(true);
  if (observer_ && !games_.empty()) observer_->Changed(0, RowCount() - 1);
}

void GameList::ExchangeRows(int upper) {
  GameEntry& a = games_[static_cast<size_t>(upper)];
  GameEntry& b = games_[static_cast<size_t>(upper) + 1];
  if (observer_) observer_->BeforeMove(upper + 1, upper);
  std::swap(a, b);
  std::swap(a.index, b.index);  // the numbers stay with the positions
  if (observer_) {
    observer_->AfterMove();
    observer_->Changed(upper, upper + 1);
  }
}

std::string GameList::MoveGameUp(std::vector<int>& selection) {
  std::sort(selection.begin(), selection.end());
  for (int& row : selection) {
    if (row <= 0) return common::Tr("文件不需要上移!");
    if (row >= RowCount()) continue;
    ExchangeRows(row - 1);
    Touch(true);
    --row;
  }
  return {};
}

std::string GameList::MoveGameDown(std::vector<int>& selection) {
  std::sort(selection.begin(), selection.end());
  for (auto it = selection.rbegin(); it != selection.rend(); ++it) {
    int& row = *it;
    if (row >= RowCount() - 1 || RowCount() == 1) return common::Tr("文件不需要下移!");
    if (row < 0) continue;
    ExchangeRows(row);
    Touch(true);
    ++row;
  }
  return {};
}

void GameList::MoveRow(int from, int to) {
  if (observer_) observer_->BeforeMove(from, to);
  const auto first = games_.begin();
  std::rotate(first + to, first + from, first + from + 1);  // to < from: the row moves up
  if (observer_) observer_->AfterMove();
}

void GameList::MoveRowsTo(std::vector<int> selection, int dropRow) {
  std::sort(selection.begin(), selection.end());
  selection.erase(std::unique(selection.begin(), selection.end()), selection.end());
  std::erase_if(selection, [this](int r) { return r < 0 || r >= RowCount(); });
  if (selection.empty()) return;
  if (dropRow < 0 || dropRow > RowCount()) dropRow = RowCount();

  // The wanted order of the present rows, then the fewest single-row moves up into it.
  std::vector<int> order;
  std::vector<bool> moving(games_.size(), false);
  for (int r : selection) moving[static_cast<size_t>(r)] = true;
  for (int r = 0; r <= RowCount(); ++r) {
    if (r == dropRow) order.insert(order.end(), selection.begin(), selection.end());
    if (r < RowCount() && !moving[static_cast<size_t>(r)]) order.push_back(r);
  }
  std::vector<int> current(games_.size());
  std::iota(current.begin(), current.end(), 0);
  for (int p = 0; p < RowCount(); ++p) {
    const auto at = std::find(current.begin() + p, current.end(), order[static_cast<size_t>(p)]);
    const int q = static_cast<int>(at - current.begin());
    if (q == p) continue;
    MoveRow(q, p);
    std::rotate(current.begin() + p, at, at + 1);
  }
  for (int row = 0; row < RowCount(); ++row) games_[static_cast<size_t>(row)].index = row;
  Touch(true);
  if (observer_) observer_->Changed(0, RowCount() - 1);
}

void GameList::Clear() {
  if (!games_.empty()) {
    if (observer_) observer_->BeforeRemove(0, RowCount() - 1);
    games_.clear();
    if (observer_) observer_->AfterRemove();
    Touch(true);
  }
}

void GameList::SetTitle(int row, std::string title) {
  if (row < 0 || row >= RowCount() || games_[static_cast<size_t>(row)].title == title) return;
  games_[static_cast<size_t>(row)].title = std::move(title);
  Touch(true);
  if (observer_) observer_->Changed(row, row);
}

void GameList::SortRows(int column, bool ascending) {
  if (column < 0 || column >= kColumnCount) return;
  const bool byNumber = column == kColNumber || column == kColPrgSize || column == kColChrSize;
  std::vector<long long> numbers(games_.size());
  std::vector<std::string> texts(games_.size());
  for (size_t i = 0; i < games_.size(); ++i) {
    const GameEntry& g = games_[i];
    if (column == kColNumber) numbers[i] = g.Number();
    if (column == kColPrgSize) numbers[i] = g.PrgSize();
    if (column == kColChrSize) numbers[i] = g.ChrSize();
    if (!byNumber) texts[i] = ByteKey(ColumnText(g, column));
  }
  std::vector<int> order(games_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const auto x = static_cast<size_t>(a), y = static_cast<size_t>(b);
    if (byNumber) return ascending ? numbers[x] < numbers[y] : numbers[y] < numbers[x];
    return ascending ? texts[x] < texts[y] : texts[y] < texts[x];
  });
  if (observer_) observer_->BeforeReorder();
  std::vector<GameEntry> sorted;
  sorted.reserve(games_.size());
  std::vector<int> newRowOf(games_.size());
  for (size_t p = 0; p < order.size(); ++p) {
    newRowOf[static_cast<size_t>(order[p])] = static_cast<int>(p);
    sorted.push_back(std::move(games_[static_cast<size_t>(order[p])]));
  }
  games_ = std::move(sorted);
  Touch(false);
  if (observer_) observer_->AfterReorder(newRowOf);
}

std::string GameList::SetMirroring(int row, bool vertical) {
  if (!EntryForRow(row)) return common::Tr("该行没有有效的NES文件!");
  GameEntry& game = games_[static_cast<size_t>(row)];
  InesHeader onDisk{};
  const std::string message = WriteInesMirroring(game.path, vertical, onDisk);
  if (!message.empty()) return message;
  game.header[6] = onDisk[6];
  Touch(false);
  if (observer_) observer_->Changed(row, row);
  return {};
}

}  // namespace romvane
