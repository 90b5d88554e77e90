#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/ines_file.h"
#include "model/ines_header.h"

namespace romvane {

// One game of the list: what the user added and, for a complete iNES image, its header
// and its PRG and CHR data.
struct GameEntry {
  int32_t index = 0;  // the number shown in the list, minus one
  std::string title;
  std::string path;        // the file the game was added from
  bool hasRecord = false;  // a complete iNES image: header, sizes and attribute are known
  InesHeader header{};
  std::vector<uint8_t> prg;  // from file offset 16, a trainer included
  std::vector<uint8_t> chr;  // directly after the PRG data
  // Why the cartridge cannot take this game (a missing file, not a game, a mapper the chip
  // cannot run), in the program's words; empty when it can.
  std::string problem;

  int Number() const { return index + 1; }
  uint32_t PrgSize() const { return hasRecord ? PrgByteSize(header) : 0; }
  uint32_t ChrSize() const { return hasRecord ? ChrByteSize(header) : 0; }
};

enum Column { kColNumber, kColTitle, kColPrgSize, kColChrSize, kColAttribute, kColumnCount };

// The text a column shows for a game: the number in decimal, the title, the sizes in
// lower-case hexadecimal and the attribute text; a game without a record shows no sizes
// and no attribute. The attribute's words are in the user's language where the text is
// shown (the window, `info`); as written otherwise (sorting, the workbook).
std::string ColumnText(const GameEntry& game, int column, bool userLanguage = false);

enum class AddStatus {
  kStored,       // a row and its record; from a list also a game the cartridge cannot
                 // run, marked, with the message saying why
  kNoSignature,  // a row without a record; nothing to report
  kUnreadable,   // a row without a record; the file could not be opened
  kTruncated,    // a row without a record; the file is shorter than its header says
  kUnsupported,  // by hand: nothing added, the cartridge cannot run the game
  kListFull,     // nothing added
  kRefused,      // nothing added: the path cannot stand in a list file
};

// How a game comes into the list: by hand (the add command, a drop), where only a game the
// cartridge can run is added and anything else is refused with its message; or from a list
// file, where every line keeps its row and a row the cartridge cannot take is marked.
enum class AddMode { kFromList, kByHand };

struct AddResult {
  AddStatus status = AddStatus::kNoSignature;
  std::string message;  // the program's message when something must be shown
};

// Whether the list keeps each game's PRG and CHR data or only its header (enough for
// the export and for showing the list).
enum class GameData { kWhole, kHeaderOnly };

// Told about every change of the list, row by row, so a view can follow it. Moves use
// the destination convention of Qt's item models: the row index before the move.
class GameListObserver {
 public:
  virtual ~GameListObserver() = default;
  virtual void BeforeInsert(int first, int last) = 0;
  virtual void AfterInsert() = 0;
  virtual void BeforeRemove(int first, int last) = 0;
  virtual void AfterRemove() = 0;
  virtual void BeforeMove(int row, int destination) = 0;
  virtual void AfterMove() = 0;
  // A reordering of every row; newRowOf[old row] is where it now stands.
  virtual void BeforeReorder() = 0;
  virtual void AfterReorder(const std::vector<int>& newRowOf) = 0;
  virtual void Changed(int firstRow, int lastRow) = 0;
};

// The ordered games of the list, in the order they are shown. Each game carries its
// number; rows show numbers 1..n, and only sorting shows them in another order.
class GameList {
 public:
  static constexpr int kMaxGames = 512;

  explicit GameList(GameData data = GameData::kWhole) : data_(data) {}

  int RowCount() const { return static_cast<int>(games_.size()); }
  int RecordCount() const;
  const GameEntry& Game(int row) const { return games_[static_cast<size_t>(row)]; }
  const std::vector<GameEntry>& Games() const { return games_; }

  // The row's game when it has a record, else nullptr.
  const GameEntry* EntryForRow(int row) const;

  // Row positions in number order: element k is the row showing number k + 1.
  std::vector<int> RowsByNumber() const;

  // Rises with every change, so anything computed from the list can tell whether it
  // still belongs to it.
  uint64_t Revision() const { return revision_; }
  // Counts the changes of the games, their order or a title (not the shown order): what a
  // built cartridge would have to be built again for.
  uint64_t ContentRevision() const { return contentRevision_; }
  // Whether each row shows the game of its own number (no sorted or edited view).
  bool InNumberOrder() const;
  // Whether the games, their order or a title changed since MarkSaved.
  bool Modified() const { return modified_; }
  void MarkSaved() { modified_ = false; }

  void SetObserver(GameListObserver* observer) { observer_ = observer; }

  // Appends a row for the file and, when it is a complete iNES image, its record (see
  // AddMode for what is refused).
  AddResult AddGame(const std::string& path, const std::string& title,
                    AddMode mode = AddMode::kFromList);
  // The same for a file the caller has read already.
  AddResult AddReadGame(const std::string& path, const std::string& title, InesFile ines,
                        AddMode mode = AddMode::kFromList);

  // The rows the cartridge cannot take, in number order.
  std::vector<int> ProblemRows() const;

  // Makes room for this many games (at most kMaxGames), so adding them allocates once.
  void Reserve(int games) { games_.reserve(static_cast<size_t>(std::clamp(games, 0, kMaxGames))); }

  // Whether games keep their data or only their headers.
  GameData Data() const { return data_; }

  // Removes the rows (positions); later numbers close the gap.
  void RemoveGames(std::vector<int> rows);

  // Exchange each selected row with its neighbour; the numbers stay with the positions
  // and the selection follows the games. Returns the message to show ("文件不需要上移!")
  // when the first row cannot move, in which case nothing at all moves.
  std::string MoveGameUp(std::vector<int>& selection);
  std::string MoveGameDown(std::vector<int>& selection);

  // Moves the selected rows, in their order, to stand before the row at dropRow
  // (RowCount() appends them); the rows are renumbered 1..n in their new order.
  void MoveRowsTo(std::vector<int> selection, int dropRow);

  void Clear();

  void SetTitle(int row, std::string title);

  // Orders the rows by one column (numbers and sizes as integers, texts as GBK bytes);
  // only the display order changes, never a number.
  void SortRows(int column, bool ascending);

  // Rewrites the mirroring bit of the row's game, in its file and in the list.
  // Returns an empty text on success, else the message to show.
  std::string SetMirroring(int row, bool vertical);

 private:
  // Why a game for the path cannot be added at all, if it cannot.
  std::optional<AddResult> Refusal(const std::string& path) const;
  void ExchangeRows(int upper);  // the row and the one below it
  void MoveRow(int from, int to);
  void Touch(bool contentChanged);

  std::vector<GameEntry> games_;
  GameData data_;
  uint64_t revision_ = 0;
  uint64_t contentRevision_ = 0;
  bool modified_ = false;
  GameListObserver* observer_ = nullptr;
};

}  // namespace romvane
