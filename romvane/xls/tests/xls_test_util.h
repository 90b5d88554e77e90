#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "model/game_list.h"

namespace romvane::testing {

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Checked reads: a malformed stream fails the test with an exception, never a crash.
inline uint32_t Le16(const std::vector<uint8_t>& b, size_t at) {
  return b.at(at) | b.at(at + 1) << 8;
}
inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return Le16(b, at) | Le16(b, at + 2) << 16;
}

// A fresh, empty folder for one test's files.
inline std::filesystem::path MakeTestFolder(const std::string& name) {
  auto folder = std::filesystem::temp_directory_path() /
                ("romvane_xls_" + name + "_" + std::to_string(getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
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

inline std::vector<Record> Records(const std::vector<uint8_t>& stream) {
  std::vector<Record> records;
  for (size_t p = 0; p + 4 <= stream.size();) {
    const size_t length = Le16(stream, p + 2);
    if (p + 4 + length > stream.size()) break;  // a length past the stream ends the walk
    records.push_back({p,
                       static_cast<uint16_t>(Le16(stream, p)),
                       {stream.begin() + p + 4, stream.begin() + p + 4 + length}});
    p += 4 + length;
  }
  return records;
}

// Bytes from text such as "09 08 10 00  # BOF": hex pairs, "#" starts a comment.
inline std::vector<uint8_t> HexBytes(const std::string& text) {
  std::vector<uint8_t> bytes;
  bool comment = false;
  int high = -1;
  for (char c : text) {
    if (c == '\n') comment = false;
    if (comment) continue;
    if (c == '#') {
      comment = true;
      continue;
    }
    int digit = std::isxdigit(static_cast<unsigned char>(c))
                    ? std::stoi(std::string(1, c), nullptr, 16)
                    : -1;
    if (digit < 0) continue;
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<uint8_t>(high << 4 | digit));
      high = -1;
    }
  }
  return bytes;
}

// The stream of a compound file, followed through the header's and DIFAT sectors' list of
// FAT sectors and the FAT (or the mini FAT for a small stream). Directory entry index given.
std::vector<uint8_t> StreamOf(const std::vector<uint8_t>& file, uint32_t entry);

}  // namespace romvane::testing

namespace romvane::testing {

// The shared strings of a workbook stream, read across CONTINUE records.
std::vector<std::u16string> SharedStrings(const std::vector<uint8_t>& stream);

// Checks the positions a workbook stream records about itself: every BOUNDSHEET names a
// sheet's BOF, every INDEX entry a DBCELL, and every DBCELL leads to its block's first ROW
// record and to the first cell of each row. Returns an empty text when all hold.
std::string PositionFaults(const std::vector<uint8_t>& stream);

// The whole 4096-byte file holding one 1551-byte stream "Workbook" (the size of the
// three-game workbook): header, FAT, directory, mini FAT and mini stream as written out.
std::vector<uint8_t> ExpectedWorkbookFile1551(const std::vector<uint8_t>& content);

}  // namespace romvane::testing
