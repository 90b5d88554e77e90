#include "model/game_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "common/file_io.h"
#include "common/gbk.h"

namespace romvane {
using common::File;
using common::Utf8ToGbk;
namespace {

int ParseDecimal(const std::string& text) {
  if (text.empty() || text.size() > 9) return 0;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Reads exactly size bytes, or reports that the file ended first.
bool ReadExactly(FILE* f, std::vector<uint8_t>& out, size_t size) {
  out.resize(size);
  if (size == 0) return true;
  if (std::fread(out.data(), 1, size, f) == size) return true;
  out.clear();
  return false;
}

// Text of a column as the list compares it: GBK bytes where the text converts.
std::string ByteKey(const std::string& text) {
  return Utf8ToGbk(text).value_or(text);
}

}  // namespace

int GameList::NumberOfRow(int row) const {
  return ParseDecimal(rows_[static_cast<size_t>(row)].text[kColNumber]);
}

int GameList::RowWithNumber(int number) const {
  for (int i = 0; i < RowCount(); ++i) {
    if (NumberOfRow(i) == number) return i;
  }
  return -1;
}

GameEntry* GameList::EntryWithIndex(int index) {
  auto it = std::lower_bound(records_.begin(), records_.end(), index,
                             [](const GameEntry& e, int i) { return e.index < i; });
  return it != records_.end() && it->index == index ? &*it : nullptr;
}

const GameEntry* GameList::EntryForRow(int row) const {
  return const_cast<GameList*>(this)->EntryForRow(row);
}

GameEntry* GameList::EntryForRow(int row) {
  if (row < 0 || row >= RowCount()) return nullptr;
  const int number = NumberOfRow(row);
  return number > 0 ? EntryWithIndex(number - 1) : nullptr;
}

const std::string& GameList::PathOfRow(int row) const {
  const GameEntry* entry = EntryForRow(row);
  return entry ? entry->path : Row(row).path;
}

AddResult GameList::AddGame(const std::string& path, const std::string& title,
                            bool titleOnlyWhenValid) {
  if (RowCount() >= kMaxGames) {
    return {AddStatus::kListFull, "列表已满，最多只能加入" + std::to_string(kMaxGames) + "个游戏!"};
  }
  ListRow row;
  const int number = RowCount() + 1;
  row.text[kColNumber] = std::to_string(number);
  row.path = path;
  if (!titleOnlyWhenValid) row.text[kColTitle] = title;

  File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    rows_.push_back(std::move(row));
    return {AddStatus::kUnreadable, "无法打开文件" + path + "!"};
  }
  GameEntry entry;
  const size_t got = std::fread(entry.header.data(), 1, kInesHeaderSize, file.get());
  const bool signature = got >= 4 && HasInesSignature(entry.header);
  if (!signature) {
    rows_.push_back(std::move(row));
    return {AddStatus::kNoSignature, {}};
  }
  if (got < kInesHeaderSize || !ReadExactly(file.get(), entry.prg, PrgByteSize(entry.header)) ||
      !ReadExactly(file.get(), entry.chr, ChrByteSize(entry.header))) {
    rows_.push_back(std::move(row));
    return {AddStatus::kTruncated, "文件" + path + "不完整，比文件头所说的短!"};
  }
  entry.path = path;
  entry.index = number - 1;
  row.text[kColTitle] = title;
  row.text[kColPrgSize] = HexText(PrgByteSize(entry.header));
  row.text[kColChrSize] = HexText(ChrByteSize(entry.header));
  row.text[kColAttribute] = AttributeText(entry.header);
  rows_.push_back(std::move(row));
  records_.push_back(std::move(entry));  // the highest number so far: index order holds
  return {AddStatus::kStored, {}};
}

void GameList::RemoveGames(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    const int row = *it;
    if (row < 0 || row >= RowCount()) continue;
    const int number = NumberOfRow(row);
    if (GameEntry* entry = EntryWithIndex(number - 1)) {
      records_.erase(records_.begin() + (entry - records_.data()));
    }
    rows_.erase(rows_.begin() + row);
    for (ListRow& r : rows_) {
      const int n = ParseDecimal(r.text[kColNumber]);
      if (n > number) r.text[kColNumber] = std::to_string(n - 1);
    }
    for (GameEntry& e : records_) {
      if (e.index > number - 1) --e.index;
    }
  }
}

void GameList::ExchangeRows(int a, int b) {
  ListRow& ra = rows_[static_cast<size_t>(a)];
  ListRow& rb = rows_[static_cast<size_t>(b)];
  GameEntry* ea = EntryForRow(a);
  GameEntry* eb = EntryForRow(b);
  const int na = NumberOfRow(a);
  const int nb = NumberOfRow(b);
  for (int c = kColTitle; c < kColumnCount; ++c) std::swap(ra.text[c], rb.text[c]);
  std::swap(ra.path, rb.path);
  // The records follow their texts; the numbers stay with the positions.
  if (ea) ea->index = nb - 1;
  if (eb) eb->index = na - 1;
  std::sort(records_.begin(), records_.end(),
            [](const GameEntry& x, const GameEntry& y) { return x.index < y.index; });
}

std::string GameList::MoveGameUp(std::vector<int>& selection) {
  std::sort(selection.begin(), selection.end());
  for (int& row : selection) {
    if (row <= 0) return "文件不需要上移!";
    if (row >= RowCount()) continue;
    ExchangeRows(row, row - 1);
    --row;
  }
  return {};
}

std::string GameList::MoveGameDown(std::vector<int>& selection) {
  std::sort(selection.begin(), selection.end());
  for (auto it = selection.rbegin(); it != selection.rend(); ++it) {
    int& row = *it;
    if (row >= RowCount() - 1 || RowCount() == 1) return "文件不需要下移!";
    if (row < 0) continue;
    ExchangeRows(row, row + 1);
    ++row;
  }
  return {};
}

void GameList::MoveRowsTo(std::vector<int> selection, int dropRow) {
  std::sort(selection.begin(), selection.end());
  selection.erase(std::unique(selection.begin(), selection.end()), selection.end());
  std::erase_if(selection, [this](int r) { return r < 0 || r >= RowCount(); });
  if (selection.empty()) return;
  if (dropRow < 0 || dropRow > RowCount()) dropRow = RowCount();

  // Each row travels with the number of its record, so the pairs survive the move.
  std::vector<std::pair<ListRow, int>> moving;
  for (auto it = selection.rbegin(); it != selection.rend(); ++it) {
    moving.insert(moving.begin(), {rows_[static_cast<size_t>(*it)], NumberOfRow(*it)});
    rows_.erase(rows_.begin() + *it);
    if (*it < dropRow) --dropRow;
  }
  std::vector<int> oldNumbers;
  for (int i = 0; i < RowCount(); ++i) oldNumbers.push_back(NumberOfRow(i));
  for (size_t k = 0; k < moving.size(); ++k) {
    rows_.insert(rows_.begin() + dropRow + static_cast<int>(k), moving[k].first);
    oldNumbers.insert(oldNumbers.begin() + dropRow + static_cast<int>(k), moving[k].second);
  }
  std::vector<GameEntry> renumbered;
  for (int i = 0; i < RowCount(); ++i) {
    rows_[static_cast<size_t>(i)].text[kColNumber] = std::to_string(i + 1);
    if (GameEntry* e = EntryWithIndex(oldNumbers[static_cast<size_t>(i)] - 1)) {
      renumbered.push_back(std::move(*e));
      renumbered.back().index = i;
    }
  }
  records_ = std::move(renumbered);
}

void GameList::Clear() {
  rows_.clear();
  records_.clear();
}

void GameList::SetTitle(int row, std::string title) {
  if (row >= 0 && row < RowCount())
    rows_[static_cast<size_t>(row)].text[kColTitle] = std::move(title);
}

void GameList::SortRows(int column, bool ascending) {
  if (column < 0 || column >= kColumnCount) return;
  struct Keyed {
    long long number;
    std::string text;
    ListRow row;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(rows_.size());
  for (ListRow& r : rows_) {
    Keyed k{0, {}, std::move(r)};
    const std::string& t = k.row.text[static_cast<size_t>(column)];
    if (column == kColNumber) {
      k.number = ParseDecimal(t);
    } else if (column == kColPrgSize || column == kColChrSize) {
      // The size texts are our own lower-case hex; an empty one (no record) counts 0.
      k.number = std::strtoll(t.c_str(), nullptr, 16);
    } else {
      k.text = ByteKey(t);
    }
    keyed.push_back(std::move(k));
  }
  const bool byNumber = column == kColNumber || column == kColPrgSize || column == kColChrSize;
  std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
    if (byNumber) return ascending ? a.number < b.number : b.number < a.number;
    return ascending ? a.text < b.text : b.text < a.text;
  });
  rows_.clear();
  for (Keyed& k : keyed) rows_.push_back(std::move(k.row));
}

std::string GameList::SetMirroring(int row, bool vertical) {
  GameEntry* entry = EntryForRow(row);
  if (!entry) return "该行没有有效的NES文件!";
  File file(std::fopen(entry->path.c_str(), "r+b"));
  if (!file) return "无法写入文件" + entry->path + "!";
  InesHeader onDisk{};
  if (std::fread(onDisk.data(), 1, onDisk.size(), file.get()) != onDisk.size() ||
      !HasInesSignature(onDisk)) {
    return "文件" + entry->path + "已不是有效的NES文件!";
  }
  // Only the mirroring bit changes; the rest of the header is kept as the file has it.
  onDisk[6] =
      static_cast<uint8_t>(vertical ? (onDisk[6] | kFlagVertical) : (onDisk[6] & ~kFlagVertical));
  if (std::fseek(file.get(), 0, SEEK_SET) != 0 ||
      std::fwrite(onDisk.data(), 1, onDisk.size(), file.get()) != onDisk.size() ||
      std::fflush(file.get()) != 0) {
    return "无法写入文件" + entry->path + "!";
  }
  entry->header[6] = onDisk[6];
  rows_[static_cast<size_t>(row)].text[kColAttribute] = AttributeText(entry->header);
  return {};
}

}  // namespace romvane
