#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace romvane {

// A file addressed in blocks of 512 bytes. Block 0 holds the compound file header and the
// compound file's sector n is block n + 1.
//
// The blocks are kept in memory, copied or lent by their owner; Commit() writes them as the
// file at the target path in one piece, replacing an older file there only once the new one
// is complete. Until then, and when the file is closed without a commit, an older file at
// that path stays whole.
class BlockFile {
 public:
  static constexpr size_t kBlockSize = 512;

  // Starts an empty file for path. False when no file can be created in its folder (a
  // missing or read-only folder).
  bool Create(const std::string& path);
  bool IsOpen() const { return open_; }
  // Writes a copy of one block of kBlockSize bytes; writing past the end extends the file.
  // Does nothing and reports failure when the file is not open.
  bool WriteBlock(uint32_t index, const uint8_t* data);
  // Makes the kBlockSize bytes at data the block, without copying them: they must stay as
  // they are until the file is committed, closed, or the block written again.
  bool LendBlock(uint32_t index, const uint8_t* data);
  // Makes room for a file of this many bytes.
  void Reserve(size_t bytes) { blocks_.reserve(bytes / kBlockSize + 1); }
  // Makes the blocks written so far the file at the target path. False (and the target
  // untouched) when any write failed or the file cannot be written.
  bool Commit();
  // Forgets the blocks; changes that were not committed are dropped.
  void Close();

 private:
  using Block = std::array<uint8_t, kBlockSize>;
  struct Slot {
    Block* copy = nullptr;          // the file's own copy, when it has one
    const uint8_t* lent = nullptr;  // else the lent bytes; neither: a block of zeros
  };

  bool Extend(uint32_t index);

  std::string path_;
  std::vector<Slot> blocks_;
  std::deque<Block> copies_;
  bool open_ = false;
  bool failed_ = false;
  bool committed_ = false;  // nothing written since the last commit
};

}  // namespace romvane
