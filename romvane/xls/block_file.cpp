#include "xls/block_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "common/write_target.h"

namespace romvane {

namespace {

// Opens a new file beside the file that path names (through any links), exclusively and
// under an unpredictable name. It gets the mode an existing target has, or the usual mode
// of a new file. Only a regular file or a new one can be the target: a device or a folder
// at path is never replaced.
int OpenWorkingFile(std::string& path, std::string& workPath) {
  const common::WriteTarget target = common::FindWriteTarget(path);
  if (target.kind != common::WriteTargetKind::kNewFile &&
      target.kind != common::WriteTargetKind::kRegular) {
    return -1;
  }
  path = target.path;
  return common::CreateFileBeside(target, workPath);
}

bool WriteAll(int fd, const uint8_t* data, size_t size, off_t offset) {
  while (size > 0) {
    ssize_t done = pwrite(fd, data, size, offset);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    data += done;
    size -= static_cast<size_t>(done);
    offset += done;
  }
  return true;
}

}  // namespace

BlockFile::~BlockFile() {
  Close();
}

bool BlockFile::Create(const std::string& path) {
  Close();
  path_ = path;
  failed_ = false;
  fd_ = OpenWorkingFile(path_, workPath_);
  return fd_ >= 0;
}

bool BlockFile::ReadBlock(uint32_t index, uint8_t* out) {
  std::memset(out, 0, kBlockSize);
  if (fd_ < 0) return false;
  size_t got = 0;
  const off_t offset = static_cast<off_t>(index) * static_cast<off_t>(kBlockSize);
  while (got < kBlockSize) {
    ssize_t n = pread(fd_, out + got, kBlockSize - got, offset + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return true;
}

bool BlockFile::WriteBlock(uint32_t index, const uint8_t* data) {
  if (fd_ < 0 || (workPath_.empty() && !StartWorkingCopy())) {
    failed_ = true;
    return false;
  }
  const off_t offset = static_cast<off_t>(index) * static_cast<off_t>(kBlockSize);
  if (!WriteAll(fd_, data, kBlockSize, offset)) {
    failed_ = true;
    return false;
  }
  return true;
}

bool BlockFile::Commit() {
  if (fd_ < 0 || failed_) return false;
  if (workPath_.empty()) return true;  // nothing written since the last commit
  if (fdatasync(fd_) != 0 || rename(workPath_.c_str(), path_.c_str()) != 0) {
    failed_ = true;
    return false;
  }
  workPath_.clear();
  return true;
}

void BlockFile::Close() {
  DiscardWorkingFile();
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  failed_ = false;
}

// Continues after a commit in a copy of the committed file, so that later changes reach
// the target only through the next commit.
bool BlockFile::StartWorkingCopy() {
  std::string copyPath;
  int copy = OpenWorkingFile(path_, copyPath);
  if (copy < 0) return false;
  std::vector<uint8_t> chunk(64 * 1024);
  off_t offset = 0;
  for (;;) {
    ssize_t n = pread(fd_, chunk.data(), chunk.size(), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) break;
    if (n < 0 || !WriteAll(copy, chunk.data(), static_cast<size_t>(n), offset)) {
      close(copy);
      unlink(copyPath.c_str());
      return false;
    }
    offset += n;
  }
  close(fd_);
  fd_ = copy;
  workPath_ = std::move(copyPath);
  return true;
}

void BlockFile::DiscardWorkingFile() {
  if (!workPath_.empty()) unlink(workPath_.c_str());
  workPath_.clear();
}

}  // namespace romvane
