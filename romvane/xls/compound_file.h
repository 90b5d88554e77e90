#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xls/block_file.h"

namespace romvane {

// Result codes of the compound file operations.
inline constexpr int kCfbOk = 1;
inline constexpr int kCfbInvalidPath = -1;
inline constexpr int kCfbNoEntry = -4;
inline constexpr int kCfbNameTooLong = -5;
inline constexpr int kCfbDuplicateName = -6;
inline constexpr int kCfbWriteFailed = -7;     // the file is not open or a write failed
inline constexpr int kCfbStreamTooLarge = -8;  // beyond what a version 3 file can hold

// Sector numbers with a special meaning in the allocation tables.
inline constexpr uint32_t kCfbDifatSector = 0xFFFFFFFC;
inline constexpr uint32_t kCfbFatSector = 0xFFFFFFFD;
inline constexpr uint32_t kCfbEndOfChain = 0xFFFFFFFE;
inline constexpr uint32_t kCfbFree = 0xFFFFFFFF;
inline constexpr uint32_t kCfbNoEntryIndex = 0xFFFFFFFF;

// One entry of the container's directory (128 bytes on disk).
struct DirectoryEntry {
  static constexpr uint8_t kStorage = 1;
  static constexpr uint8_t kStream = 2;
  static constexpr uint8_t kRoot = 5;

  std::u16string name;
  uint8_t type = kStorage;
  uint32_t left = kCfbNoEntryIndex;
  uint32_t right = kCfbNoEntryIndex;
  uint32_t child = kCfbNoEntryIndex;
  uint32_t start = kCfbEndOfChain;
  uint64_t size = 0;
  uint32_t parent = kCfbNoEntryIndex;  // kept in memory only, to find entries by path
};

// Writes a structured storage container (compound file, version 3, 512-byte sectors) of
// streams. The allocation tables and the directory live in memory; after every change the
// header, every table sector and the directory are written to the file again.
//
// Changes reach the file at the given path only when they are committed; until then an
// older file at that path stays as it was, and closing without a commit leaves it so.
class CompoundFile {
 public:
  static constexpr uint32_t kSectorSize = 512;
  static constexpr uint32_t kMiniSectorSize = 64;
  static constexpr uint32_t kMiniStreamCutoff = 4096;
  static constexpr size_t kMaxNameLength = 31;            // UTF-16 units, terminator excluded
  static constexpr uint64_t kMaxStreamSize = 0x7FFFFFFF;  // version 3 keeps sizes below 2 GB

  CompoundFile() = default;
  CompoundFile(const CompoundFile&) = delete;
  CompoundFile& operator=(const CompoundFile&) = delete;
  ~CompoundFile();

  // Starts a new container with an empty root storage for the file at path. Always kCfbOk;
  // whether the file could be opened shows in IsOpen.
  int Create(const std::string& path);
  bool IsOpen() const { return file_.IsOpen(); }
  // Adds an empty stream. A name starting with "\" starts at the root; further "\"
  // separators name storages on the way, created when missing.
  int MakeStream(std::string_view name);
  // Replaces the content of the named stream with a copy of the bytes.
  int WriteStream(std::string_view name, const uint8_t* bytes, size_t size);
  // The same without a copy: the container keeps the bytes until it is closed.
  int WriteStream(std::string_view name, std::vector<uint8_t> bytes);
  // Makes everything written so far the file at the path. False when a write failed.
  bool Commit();
  // Forgets the container and closes the file; changes not committed are dropped.
  void Close();

  const std::vector<DirectoryEntry>& Directory() const { return directory_; }

 private:
  struct ParsedPath {
    uint32_t base = 0;
    std::vector<std::u16string> parts;
  };

  int ParsePath(std::string_view name, ParsedPath& path) const;
  uint32_t FindChild(uint32_t storage, const std::u16string& name) const;
  uint32_t InsertEntry(DirectoryEntry entry);
  void LinkSiblings();

  uint32_t AllocateSector();
  uint32_t AllocateMiniSector();
  void GrowFat();
  void FreeChain(uint32_t start, std::vector<uint32_t>& table, size_t& freeHint);
  std::vector<uint32_t> ChainOf(uint32_t start, const std::vector<uint32_t>& table) const;
  int PutStream(std::string_view name, const uint8_t* bytes, size_t size, bool lend);
  // With lend, whole sectors are lent to the file rather than copied.
  bool WriteSectorChain(uint32_t& start, const uint8_t* bytes, size_t size, bool lend = false);
  bool WriteMiniStream(DirectoryEntry& stream, const uint8_t* bytes, size_t size);
  void EnsureDirectorySectors();

  bool WriteBlock(uint32_t sector, const uint8_t* data);
  bool LendBlock(uint32_t sector, const uint8_t* data);
  bool WriteHeader();
  bool WriteTables();

  BlockFile file_;
  std::vector<DirectoryEntry> directory_;  // entry 0 is the root; empty when closed
  std::vector<uint32_t> fat_;
  std::vector<uint32_t> miniFat_;
  std::vector<uint32_t> fatSectors_;      // where FAT sector i lives
  std::vector<uint32_t> difatSectors_;    // the DIFAT sectors beyond the header, in order
  std::vector<uint32_t> miniFatSectors_;  // the mini FAT's sector chain
  std::vector<uint32_t> directorySectors_;
  std::vector<uint8_t> miniStream_;         // content of the mini stream, 64 bytes per mini sector
  std::vector<std::vector<uint8_t>> kept_;  // stream contents the file holds without a copy
  size_t fatFreeHint_ = 0;                  // no free FAT entry below this index
  size_t miniFreeHint_ = 0;
  uint32_t current_ = 0;  // the current storage
};

}  // namespace romvane
