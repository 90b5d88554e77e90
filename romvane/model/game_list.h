#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/ines_header.h"

namespace romvane {

// One stored game: the file it came from, its header and its PRG and CHR data.
struct GameEntry {
  std::string path;
  InesHeader header{};
  std::vector<uint8_t> prg;  // from file offset 16, a trainer included
  std::vector<uint8_t> chr;  // directly after the PRG data
  int32_t index = 0;         // the number of the row it belongs to, minus one
};

enum Column { kColNumber, kColTitle, kColPrgSize, kColChrSize, kColAttribute, kColumnCount };

// One row of the list as shown: all five columns are text. The path is kept with the
// row too, so a row whose file had no iNES signature still saves and reloads.
struct ListRow {
  std::array<std::string, kColumnCount> text;
  std::string path;
};

enum class AddStatus {
  kStored,       // a row and its record
  kNoSignature,  // a row without a record; nothing to report
  kUnreadable,   // a row without a record; the file could not be opened
  kTruncated,    // a row without a record; the file is shorter than its header says
  kListFull,     // nothing added
};

struct AddResult {
  AddStatus status = AddStatus::kNoSignature;
  std::string message;  // the program's message when something must be shown
};

// The ordered rows of the list and the table of records. Rows are paired with records
// only through the row's number: the record of a row is the one whose index is the
// number minus one, whatever order the rows are shown in.
class GameList {
 public:
  static constexpr int kMaxGames = 512;

  int RowCount() const { return static_cast<int>(rows_.size()); }
  int RecordCount() const { return static_cast<int>(records_.size()); }
  const ListRow& Row(int row) const { return rows_[static_cast<size_t>(row)]; }
  const std::vector<ListRow>& Rows() const { return rows_; }

  // Column 0 read as a decimal number (0 when it is not one).
  int NumberOfRow(int row) const;
  // The position of the row showing the given number, or -1.
  int RowWithNumber(int number) const;

  const GameEntry* EntryForRow(int row) const;
  GameEntry* EntryForRow(int row);

  // The file a row stands for: its record's path, or for a row without a record the
  // path it was added from.
  const std::string& PathOfRow(int row) const;

  // Appends a row for the file and, when it is a complete iNES image, its record.
  // With titleOnlyWhenValid (files dropped on the list) a file without the signature
  // gets a row with only its number.
  AddResult AddGame(const std::string& path, const std::string& title,
                    bool titleOnlyWhenValid = false);

  // Removes the rows (positions) and their records; later numbers close the gap.
  void RemoveGames(std::vector<int> rows);

  // Exchange each selected row with its neighbour. The selection follows the rows.
  // Returns the message to show ("文件不需要上移!") when the first row cannot move,
  // in which case nothing at all moves.
  std::string MoveGameUp(std::vector<int>& selection);
  std::string MoveGameDown(std::vector<int>& selection);

  // Moves the selected rows, in their order, to stand before the row at dropRow
  // (RowCount() appends them); numbers stay with the positions and the rows are
  // renumbered 1..n in their new order, each keeping its own record.
  void MoveRowsTo(std::vector<int> selection, int dropRow);

  void Clear();

  void SetTitle(int row, std::string title);

  // Orders the rows by one column (numbers and sizes as integers, texts as GBK bytes);
  // only the display order changes, never a number or a record.
  void SortRows(int column, bool ascending);

  // Rewrites the mirroring bit of the row's game, in its file and in the record.
  // Returns an empty text on success, else the message to show.
  std::string SetMirroring(int row, bool vertical);

 private:
  GameEntry* EntryWithIndex(int index);
  void ExchangeRows(int a, int b);

  std::vector<ListRow> rows_;
  std::vector<GameEntry> records_;  // kept in index order
};

}  // namespace romvane
