#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/game_list.h"

namespace romvane::testing {

// Checked reads: a malformed stream fails the test with an exception, never a crash.
inline uint32_t Le16(const std::vector<uint8_t>& b, size_t at) {
  return b.at(at) | b.at(at + 1) << 8;
}
inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return Le16(b, at) | Le16(b, at + 2) << 16;
}

// A listed game with a record: PRG and CHR sizes in 16 KB and 8 KB units, header byte 6
// (mapper low nibble and flags) and byte 7.
inline GameEntry ListedGame(int number, std::string title, uint8_t prgUnits, uint8_t chrUnits,
                            uint8_t flags6 = 0, uint8_t flags7 = 0) {
  GameEntry game;
  game.index = number - 1;
  game.title = std::move(title);
  game.hasRecord = true;
  game.header = {'N', 'E', 'S', 0x1A, prgUnits, chrUnits, flags6, flags7};
  return game;
}

// A listed game whose file is no complete iNES image: number and title only.
inline GameEntry UnreadGame(int number, std::string title) {
  GameEntry game;
  game.index = number - 1;
  game.title = std::move(title);
  return game;
}

// One record of a workbook stream.
struct Record {
  size_t offset;
  uint16_t type;
  std::vector<uint8_t> data;
};

// The records of a stream, up to a length that runs past its end.
std::vector<Record> Records(const std::vector<uint8_t>& stream);
// The records of one type; use .at() on them, so a missing record fails the test.
std::vector<Record> RecordsOfType(const std::vector<uint8_t>& stream, uint16_t type);

// Bytes from text such as "09 08 10 00  # BOF": hex pairs, "#" starts a comment.
std::vector<uint8_t> HexBytes(const std::string& text);

// Checks the positions a workbook stream records about itself: every BOUNDSHEET names a
// sheet's BOF, every INDEX entry a DBCELL, and every DBCELL leads to its block's first ROW
// record and to the first cell of each row. Returns an empty text when all hold.
std::string PositionFaults(const std::vector<uint8_t>& stream);

}  // namespace romvane::testing
