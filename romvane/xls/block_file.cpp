#include "xls/block_file.h"

#include <unistd.h>

#include <cstring>

#include "common/file_io.h"
#include "common/write_target.h"

namespace romvane {
namespace {

// Whether the workbook can be written at path: a new file or a regular one (through any
// links) whose folder is there and writable. A folder or a device there is never replaced.
bool CanCreateAt(const std::string& path) {
  const common::WriteTarget target = common::FindWriteTarget(path);
  if (target.kind != common::WriteTargetKind::kNewFile &&
      target.kind != common::WriteTargetKind::kRegular) {
    return false;
  }
  const std::string& file = target.path;
  const size_t slash = file.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : file.substr(0, slash));
  return access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

bool BlockFile::Create(const std::string& path) {
  Close();
  path_ = path;
  open_ = CanCreateAt(path);
  return open_;
}

bool BlockFile::WriteBlock(uint32_t index, const uint8_t* data) {
  if (!open_) {
    failed_ = true;
    return false;
  }
  const size_t at = size_t{index} * kBlockSize;
  if (bytes_.size() < at + kBlockSize) bytes_.resize(at + kBlockSize, 0);
  std::memcpy(bytes_.data() + at, data, kBlockSize);
  committed_ = false;
  return true;
}

bool BlockFile::Commit() {
  if (!open_ || failed_) return false;
  if (committed_) return true;
  if (!common::WriteFileReplacing(path_, bytes_)) {
    failed_ = true;
    return false;
  }
  committed_ = true;
  return true;
}

void BlockFile::Close() {
  bytes_.clear();
  bytes_.shrink_to_fit();
  path_.clear();
  open_ = false;
  failed_ = false;
  committed_ = false;
}

}  // namespace romvane
