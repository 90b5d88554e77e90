#pragma once

#include <cstdint>
#include <string>

namespace romvane {

// A file addressed in blocks of 512 bytes. Block 0 holds the compound file header and the
// compound file's sector n is block n + 1.
//
// Writes never touch the file at the target path directly: they go to a working file beside
// it, and Commit() renames the working file over the target, so a failed or abandoned write
// leaves an older file at that path whole. After a commit the next write starts a fresh
// working copy of the committed file.
class BlockFile {
 public:
  static constexpr size_t kBlockSize = 512;

  BlockFile() = default;
  BlockFile(const BlockFile&) = delete;
  BlockFile& operator=(const BlockFile&) = delete;
  ~BlockFile();

  // Starts an empty file for path (the target is replaced only at Commit). False when the
  // working file cannot be created.
  bool Create(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // Reads one block; a block past the end of the file reads as zero bytes.
  bool ReadBlock(uint32_t index, uint8_t* out);
  // Writes one block of kBlockSize bytes; writing past the end extends the file. Does
  // nothing and reports failure when the file is not open.
  bool WriteBlock(uint32_t index, const uint8_t* data);
  // Whether every write since Create succeeded.
  bool AllWritesSucceeded() const { return !failed_; }
  // Makes the blocks written so far the file at the target path. False (and the target
  // untouched) when any write failed or the file cannot be flushed or renamed.
  bool Commit();
  // Closes the file, discarding changes that were not committed.
  void Close();

 private:
  bool StartWorkingCopy();
  void DiscardWorkingFile();

  int fd_ = -1;
  std::string path_;
  std::string workPath_;  // empty once the open file is the committed target
  bool failed_ = false;
};

}  // namespace romvane
