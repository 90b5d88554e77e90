#include "xls/block_file.h"

#include <unistd.h>

#include <cstring>
#include <span>

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

bool BlockFile::Extend(uint32_t index) {
  if (!open_) {
    failed_ = true;
    return false;
  }
  if (blocks_.size() <= index) blocks_.resize(size_t{index} + 1);
  committed_ = false;
  return true;
}

bool BlockFile::WriteBlock(uint32_t index, const uint8_t* data) {
  if (!Extend(index)) return false;
  Slot& slot = blocks_[index];
  if (slot.copy == nullptr) slot.copy = &copies_.emplace_back();
  slot.lent = nullptr;
  std::memcpy(slot.copy->data(), data, kBlockSize);
  return true;
}

bool BlockFile::LendBlock(uint32_t index, const uint8_t* data) {
  if (!Extend(index)) return false;
  blocks_[index] = Slot{nullptr, data};
  return true;
}

bool BlockFile::Commit() {
  if (!open_ || failed_) return false;
  if (committed_) return true;
  // Neighbouring blocks that lie one after the other in memory go out as one part.
  static constexpr Block kZeros{};
  std::vector<std::span<const uint8_t>> parts;
  for (const Slot& slot : blocks_) {
    const uint8_t* data = slot.copy ? slot.copy->data() : slot.lent ? slot.lent : kZeros.data();
    if (!parts.empty() && parts.back().data() + parts.back().size() == data) {
      parts.back() = std::span(parts.back().data(), parts.back().size() + kBlockSize);
    } else {
      parts.emplace_back(data, kBlockSize);
    }
  }
  if (!common::WriteFileReplacing(path_, parts)) {
    failed_ = true;
    return false;
  }
  committed_ = true;
  return true;
}

void BlockFile::Close() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  copies_.clear();
  path_.clear();
  open_ = false;
  failed_ = false;
  committed_ = false;
}

}  // namespace romvane
