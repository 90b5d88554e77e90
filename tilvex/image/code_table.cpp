#include "image/code_table.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>

namespace tilvex {
namespace {

// The all-zero table, shared until someone writes; made only when it is read.
const std::vector<uint32_t>& Zeros() {
  static const std::vector<uint32_t> zeros(kCodeTableSize, 0);
  return zeros;
}

}  // namespace

CodeTable::CodeTable(const CodeTable& other) : size_(other.size_) {
  if (other.mapped_ || !other.owned_.empty()) owned_.assign(other.begin(), other.end());
}

CodeTable& CodeTable::operator=(const CodeTable& other) {
  if (this == &other) return *this;
  std::vector<uint32_t> copy;
  if (other.mapped_ || !other.owned_.empty()) copy.assign(other.begin(), other.end());
  Release();
  owned_ = std::move(copy);
  size_ = other.size_;
  return *this;
}

CodeTable::~CodeTable() {
  Release();
}

void CodeTable::Release() {
  if (mapped_) munmap(mapped_, size_ * sizeof(uint32_t));
  mapped_ = nullptr;
  owned_.clear();
  owned_.shrink_to_fit();
}

const uint32_t* CodeTable::data() const {
  if (mapped_) return static_cast<const uint32_t*>(mapped_);
  if (!owned_.empty()) return owned_.data();
  return size_ == Zeros().size() ? Zeros().data() : nullptr;
}

uint32_t* CodeTable::Writable() {
  if (mapped_) return static_cast<uint32_t*>(mapped_);
  if (owned_.empty() && size_ > 0) owned_.assign(size_, 0);
  return owned_.data();
}

void CodeTable::assign(size_t count, uint32_t value) {
  Release();
  size_ = count;
  if (count > 0) owned_.assign(count, value);
}

bool CodeTable::Map(int fd) {
  if constexpr (std::endian::native != std::endian::little) return false;
  const size_t bytes = size_t{kCodeTableSize} * sizeof(uint32_t);
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) < bytes) return false;
  void* at = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  if (at == MAP_FAILED) return false;
  Release();
  mapped_ = at;
  size_ = kCodeTableSize;
  return true;
}

}  // namespace tilvex
