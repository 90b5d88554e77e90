#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace romvane {

// A file addressed in blocks of 512 bytes. Block 0 holds the compound file header and the
// compound file's sector n is block n + 1.
//
// The blocks are kept in memory; Commit() writes them as the file at the target path in
// one piece, replacing an older file there only once the new one is complete. Until then,
// and when the file is closed without a commit, an older file at that path stays whole.
class BlockFile {
 public:
  static constexpr size_t kBlockSize = 512;

  // Starts an empty file for path. False when no file can be created in its folder (a
  // missing or read-only folder).
  bool Create(const std::string& path);
  bool IsOpen() const { return open_; }
  // Writes one block of kBlockSize bytes; writing past the end extends the file. Does
  // nothing and reports failure when the file is not open.
  bool WriteBlock(uint32_t index, const uint8_t* data);
  // Makes room for a file of this many bytes, so growing it never moves what is written.
  void Reserve(size_t bytes) { bytes_.reserve(bytes); }
  // Makes the blocks written so far the file at the target path. False (and the target
  // untouched) when any write failed or the file cannot be written.
  bool Commit();
  // Forgets the blocks; changes that were not committed are dropped.
  void Close();

 private:
  std::string path_;
  std::vector<uint8_t> bytes_;
  bool open_ = false;
  bool failed_ = false;
  bool committed_ = false;  // nothing written since the last commit
};

}  // namespace romvane
