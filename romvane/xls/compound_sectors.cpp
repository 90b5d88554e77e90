// The compound file's allocation: sectors and mini sectors, the FAT that grows with them
// (and the DIFAT that lists its sectors), and the chains each stream's content takes.
#include <algorithm>
#include <cstring>

#include "xls/compound_file.h"
#include "xls/compound_layout.h"

namespace romvane {
using namespace cfb;

uint32_t CompoundFile::AllocateSector() {
  while (fatFreeHint_ < fat_.size() && fat_[fatFreeHint_] != kCfbFree) ++fatFreeHint_;
  if (fatFreeHint_ == fat_.size()) {
    GrowFat();
    return AllocateSector();
  }
  fat_[fatFreeHint_] = kCfbEndOfChain;
  return static_cast<uint32_t>(fatFreeHint_);
}

// A new FAT sector covers 128 more sectors and sits at the first of them. The header lists
// the first 109 FAT sectors; further ones are listed in DIFAT sectors, 127 to a sector, each
// DIFAT sector naming the next in its last slot.
void CompoundFile::GrowFat() {
  const auto sector = static_cast<uint32_t>(fat_.size());
  fat_.resize(fat_.size() + kEntriesPerSector, kCfbFree);
  fat_[sector] = kCfbFatSector;
  fatSectors_.push_back(sector);
  if (fatSectors_.size() > kHeaderDifatSlots) {
    const size_t slot = fatSectors_.size() - 1 - kHeaderDifatSlots;
    if (slot / kDifatSlotsPerSector == difatSectors_.size()) {
      const uint32_t difat = AllocateSector();
      fat_[difat] = kCfbDifatSector;
      difatSectors_.push_back(difat);
    }
  }
}

uint32_t CompoundFile::AllocateMiniSector() {
  while (miniFreeHint_ < miniFat_.size() && miniFat_[miniFreeHint_] != kCfbFree) ++miniFreeHint_;
  if (miniFreeHint_ == miniFat_.size()) {
    // One more mini FAT sector, chained through the FAT after the previous one.
    const uint32_t sector = AllocateSector();
    if (!miniFatSectors_.empty()) fat_[miniFatSectors_.back()] = sector;
    miniFatSectors_.push_back(sector);
    miniFat_.resize(miniFat_.size() + kEntriesPerSector, kCfbFree);
  }
  miniFat_[miniFreeHint_] = kCfbEndOfChain;
  return static_cast<uint32_t>(miniFreeHint_);
}

void CompoundFile::FreeChain(uint32_t start, std::vector<uint32_t>& table, size_t& freeHint) {
  for (uint32_t sector : ChainOf(start, table)) {
    table[sector] = kCfbFree;
    freeHint = std::min<size_t>(freeHint, sector);
  }
}

std::vector<uint32_t> CompoundFile::ChainOf(uint32_t start,
                                            const std::vector<uint32_t>& table) const {
  std::vector<uint32_t> chain;
  // A chain never holds more links than the table has entries.
  for (uint32_t s = start; s < table.size() && chain.size() < table.size(); s = table[s]) {
    chain.push_back(s);
  }
  return chain;
}

// Rewrites a chain to hold size bytes: existing sectors are kept in order, new ones are the
// lowest free, surplus ones are freed.
bool CompoundFile::WriteSectorChain(uint32_t& start, const uint8_t* bytes, size_t size, bool lend) {
  std::vector<uint32_t> chain = ChainOf(start, fat_);
  const size_t needed = CeilDiv(size, kSectorSize);
  for (size_t i = needed; i < chain.size(); ++i) {
    fat_[chain[i]] = kCfbFree;
    fatFreeHint_ = std::min<size_t>(fatFreeHint_, chain[i]);
  }
  chain.resize(std::min(chain.size(), needed));
  while (chain.size() < needed) {
    const uint32_t sector = AllocateSector();
    if (!chain.empty()) fat_[chain.back()] = sector;
    chain.push_back(sector);
  }
  if (chain.empty()) {
    start = kCfbEndOfChain;
    return true;
  }
  fat_[chain.back()] = kCfbEndOfChain;
  start = chain.front();
  bool written = true;
  Block block;
  for (size_t i = 0; i < chain.size(); ++i) {
    const size_t offset = i * kSectorSize;
    const size_t count = std::min<size_t>(kSectorSize, size - offset);
    if (lend && count == kSectorSize) {
      written = LendBlock(chain[i], bytes + offset) && written;
      continue;
    }
    if (count < kSectorSize) block.fill(0);
    std::memcpy(block.data(), bytes + offset, count);
    written = WriteBlock(chain[i], block.data()) && written;
  }
  return written;
}

// Places a small stream in mini sectors and writes the whole mini stream, the root's content.
bool CompoundFile::WriteMiniStream(DirectoryEntry& stream, const uint8_t* bytes, size_t size) {
  DirectoryEntry& root = directory_[0];
  const size_t needed = CeilDiv(size, kMiniSectorSize);
  if (needed > 0 && root.start == kCfbEndOfChain) {
    root.start = AllocateSector();
    root.size = kSectorSize;
  }
  std::vector<uint32_t> chain = ChainOf(stream.start, miniFat_);
  for (size_t i = needed; i < chain.size(); ++i) {
    miniFat_[chain[i]] = kCfbFree;
    miniFreeHint_ = std::min<size_t>(miniFreeHint_, chain[i]);
  }
  chain.resize(std::min(chain.size(), needed));
  while (chain.size() < needed) {
    const uint32_t sector = AllocateMiniSector();
    if (!chain.empty()) miniFat_[chain.back()] = sector;
    chain.push_back(sector);
  }
  stream.start = chain.empty() ? kCfbEndOfChain : chain.front();
  if (!chain.empty()) miniFat_[chain.back()] = kCfbEndOfChain;

  // The mini stream reaches to the highest mini sector in use.
  size_t used = miniFat_.size();
  while (used > 0 && miniFat_[used - 1] == kCfbFree) --used;
  miniStream_.resize(used * kMiniSectorSize, 0);
  for (size_t i = 0; i < chain.size(); ++i) {
    uint8_t* target = miniStream_.data() + size_t{chain[i]} * kMiniSectorSize;
    const size_t offset = i * kMiniSectorSize;
    const size_t count = std::min<size_t>(kMiniSectorSize, size - offset);
    std::memset(target, 0, kMiniSectorSize);
    std::memcpy(target, bytes + offset, count);
  }
  root.size = miniStream_.size();
  return WriteSectorChain(root.start, miniStream_.data(), miniStream_.size());
}

}  // namespace romvane
