#pragma once

// File access at the program's boundary: bounded whole-file reads and writes that replace a
// file only once the new contents are complete.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace common {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
// A C file stream closed when it goes out of scope.
using File = std::unique_ptr<FILE, FileCloser>;

// Reads at most maxBytes from the start of a file. Fails when the path is not a regular file
// (a folder, a pipe, a device), cannot be opened, or is longer than maxBytes and
// `refuseLonger` is set.
Result ReadFileBytes(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out,
                     bool refuseLonger = false);

// Writes the bytes to a new file beside `path`, then renames it over `path`. A symbolic link
// is written through to its file, an existing file keeps its mode, and a device or pipe
// (such as /dev/null) takes the bytes directly; a folder is refused.
Result WriteFileReplacing(const std::string& path, std::span<const uint8_t> bytes);
// The same for a file made of parts, one after the other.
Result WriteFileReplacing(const std::string& path, std::span<const std::span<const uint8_t>> parts);

// The system's reason why one of these writes failed ("No space left on device"); empty
// when the failure gives none.
std::string WriteFailureReason(const Result& failure);
// The message, then the system's reason in brackets when the failure gives one, so that a
// full disk or a read-only folder is named and not only the file.
std::string WithReason(const std::string& message, const Result& failure);

// One file of a set that belongs together.
struct FileContents {
  std::string path;
  std::vector<uint8_t> bytes;
};

// Old files that a replaced set leaves behind under second names, removed by Remove() or
// when dropped. Freeing a large file takes the file system a while, which other work can
// overlap.
class LeftoverFiles {
 public:
  LeftoverFiles() = default;
  LeftoverFiles(const LeftoverFiles&) = delete;
  LeftoverFiles& operator=(const LeftoverFiles&) = delete;
  ~LeftoverFiles() { Remove(); }
  void Add(std::string path) { paths_.push_back(std::move(path)); }
  void Remove();

 private:
  std::vector<std::string> paths_;
};

// Writes every file of the set beside its target first, and replaces the targets only once
// all of them were written, so a failure leaves every old file as it was. Each path is
// handled as by WriteFileReplacing; two paths naming one file are refused. With leftovers,
// the old files of a replaced set are left there to remove.
Result WriteFilesTogether(std::span<const FileContents> files, LeftoverFiles* leftovers = nullptr);

// The replacement of one file, written beside it now and put in place later, so the bulk of
// a large file is written while other work goes on. Patches change the written bytes before
// Commit. Dropped without Commit, it leaves the target as it was. A device or pipe, which
// cannot be taken back, receives its bytes only at Commit.
class PendingFile {
 public:
  PendingFile() = default;
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile();

  Result Write(const std::string& path, std::span<const uint8_t> bytes);
  Result Patch(uint64_t offset, std::span<const uint8_t> bytes);
  Result Commit();

 private:
  Result Failure(int error);
  void Drop();

  std::string path_;
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  uint64_t size_ = 0;
  bool stream_ = false;
  std::vector<uint8_t> held_;  // a device's or pipe's bytes until Commit
};

// Creates the file when it does not exist; an existing file keeps its contents. Fails when
// the file cannot be opened for writing or is not a regular file.
Result CreateFileKeeping(const std::string& path);

// The folder of the running executable ("." when it cannot be found).
std::string ExecutableDirectory();

// The file name of a path: the text after its last "/" or "\", so names written on either
// system read the same on both.
std::string FileNameOf(std::string_view path);

// The text after the last "." of the file name, lower case; empty without a ".".
std::string LowerExtension(const std::string& path);

}  // namespace common
