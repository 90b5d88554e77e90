#include "xls/compound_file.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/le_bytes.h"
#include "common/utf16.h"
#include "xls/compound_layout.h"

namespace romvane {
using common::PutU16;
using common::PutU32;
using common::Utf8ToUtf16;
using namespace cfb;

namespace {

void PutTable(Block& block, const std::vector<uint32_t>& table, size_t first) {
  for (size_t i = 0; i < kEntriesPerSector; ++i) {
    PutU32(block.data() + 4 * i, first + i < table.size() ? table[first + i] : kCfbFree);
  }
}

void PutDirectoryEntry(uint8_t* at, const DirectoryEntry& entry) {
  for (size_t i = 0; i < entry.name.size(); ++i) PutU16(at + 2 * i, entry.name[i]);
  PutU16(at + 64, static_cast<uint32_t>((entry.name.size() + 1) * 2));
  at[66] = entry.type;
  at[67] = 1;  // black: the tree is written without red nodes
  PutU32(at + 68, entry.left);
  PutU32(at + 72, entry.right);
  PutU32(at + 76, entry.child);
  PutU32(at + 116, entry.start);
  PutU32(at + 120, static_cast<uint32_t>(entry.size));
  PutU32(at + 124, static_cast<uint32_t>(entry.size >> 32));
}

}  // namespace

CompoundFile::~CompoundFile() {
  Close();
}

int CompoundFile::Create(const std::string& path) {
  Close();
  file_.Create(path);
  fat_.assign(kEntriesPerSector, kCfbFree);
  fat_[0] = kCfbFatSector;
  fat_[1] = kCfbEndOfChain;
  fatSectors_ = {0};
  directorySectors_ = {1};
  fatFreeHint_ = 2;
  DirectoryEntry root;
  root.name = u"Root Entry";
  root.type = DirectoryEntry::kRoot;
  directory_ = {root};
  current_ = 0;
  WriteTables();
  return kCfbOk;
}

int CompoundFile::MakeStream(std::string_view name) {
  if (directory_.empty()) return kCfbWriteFailed;
  ParsedPath path;
  if (int result = ParsePath(name, path); result != kCfbOk) return result;
  // Find how much of the path exists; nothing changes until every check has passed.
  uint32_t storage = path.base;
  size_t depth = 0;
  for (; depth < path.parts.size(); ++depth) {
    const uint32_t found = FindChild(storage, path.parts[depth]);
    if (found == kCfbNoEntryIndex) break;
    if (depth + 1 == path.parts.size()) return kCfbDuplicateName;
    if (directory_[found].type == DirectoryEntry::kStream) return kCfbInvalidPath;
    storage = found;
  }
  for (; depth < path.parts.size(); ++depth) {
    DirectoryEntry entry;
    entry.name = path.parts[depth];
    entry.parent = storage;
    const bool last = depth + 1 == path.parts.size();
    entry.type = last ? DirectoryEntry::kStream : DirectoryEntry::kStorage;
    entry.start = last ? kCfbEndOfChain : 0;  // a storage has no sectors
    storage = InsertEntry(std::move(entry));
  }
  EnsureDirectorySectors();
  return WriteTables() ? kCfbOk : kCfbWriteFailed;
}

int CompoundFile::WriteStream(std::string_view name, const uint8_t* bytes, size_t size) {
  return PutStream(name, bytes, size, false);
}

int CompoundFile::WriteStream(std::string_view name, std::vector<uint8_t> bytes) {
  const std::vector<uint8_t>& kept = kept_.emplace_back(std::move(bytes));
  return PutStream(name, kept.data(), kept.size(), true);
}

int CompoundFile::PutStream(std::string_view name, const uint8_t* bytes, size_t size, bool lend) {
  if (directory_.empty()) return kCfbWriteFailed;
  ParsedPath path;
  if (ParsePath(name, path) != kCfbOk) return kCfbNoEntry;
  uint32_t index = path.base;
  for (const std::u16string& part : path.parts) {
    if (directory_[index].type == DirectoryEntry::kStream) return kCfbNoEntry;
    index = FindChild(index, part);
    if (index == kCfbNoEntryIndex) return kCfbNoEntry;
  }
  if (directory_[index].type != DirectoryEntry::kStream) return kCfbNoEntry;
  if (size > kMaxStreamSize) return kCfbStreamTooLarge;

  // The stream, a FAT sector per 128 of its sectors, the header and the directory.
  file_.Reserve((size / kSectorSize + size / (kSectorSize * kEntriesPerSector) + 16) * kSectorSize);
  bool written = true;
  DirectoryEntry& stream = directory_[index];
  const bool wasMini = stream.size < kMiniStreamCutoff;
  const bool isMini = size < kMiniStreamCutoff;
  if (wasMini && !isMini) {
    FreeChain(stream.start, miniFat_, miniFreeHint_);
    stream.start = kCfbEndOfChain;
    written = WriteMiniStream(stream, nullptr, 0);  // the mini stream may shrink
  } else if (!wasMini && isMini) {
    FreeChain(stream.start, fat_, fatFreeHint_);
    stream.start = kCfbEndOfChain;
  }
  if (isMini) {
    written = WriteMiniStream(stream, bytes, size) && written;
  } else {
    written = WriteSectorChain(stream.start, bytes, size, lend) && written;
  }
  stream.size = size;
  written = WriteTables() && written;
  return written ? kCfbOk : kCfbWriteFailed;
}

bool CompoundFile::Commit() {
  return file_.Commit();
}

void CompoundFile::Close() {
  file_.Close();
  directory_.clear();
  fat_.clear();
  miniFat_.clear();
  fatSectors_.clear();
  difatSectors_.clear();
  miniFatSectors_.clear();
  directorySectors_.clear();
  miniStream_.clear();
  kept_.clear();
  fatFreeHint_ = miniFreeHint_ = 0;
  current_ = 0;
}

int CompoundFile::ParsePath(std::string_view name, ParsedPath& path) const {
  path.base = current_;
  if (!name.empty() && name.front() == '\\') {
    path.base = 0;
    name.remove_prefix(1);
  }
  for (;;) {
    const size_t cut = std::min(name.find('\\'), name.size());
    if (cut == 0) return kCfbInvalidPath;  // an empty name or an empty storage name
    path.parts.push_back(Utf8ToUtf16(name.substr(0, cut)));
    if (cut == name.size()) break;
    name.remove_prefix(cut + 1);
  }
  for (const std::u16string& part : path.parts) {
    if (part.size() > kMaxNameLength) return kCfbNameTooLong;
  }
  return kCfbOk;
}

uint32_t CompoundFile::FindChild(uint32_t storage, const std::u16string& name) const {
  for (uint32_t i = 1; i < directory_.size(); ++i) {
    if (directory_[i].parent == storage && directory_[i].name == name) return i;
  }
  return kCfbNoEntryIndex;
}

// Entries after the root stay sorted by name length, then by code units.
uint32_t CompoundFile::InsertEntry(DirectoryEntry entry) {
  uint32_t at = 1;
  while (at < directory_.size()) {
    const std::u16string& other = directory_[at].name;
    if (other.size() > entry.name.size() ||
        (other.size() == entry.name.size() && !(other < entry.name))) {
      break;
    }
    ++at;
  }
  for (DirectoryEntry& moved : directory_) {
    if (moved.parent != kCfbNoEntryIndex && moved.parent >= at) ++moved.parent;
  }
  if (current_ >= at) ++current_;
  if (entry.parent >= at) ++entry.parent;
  directory_.insert(directory_.begin() + at, std::move(entry));
  LinkSiblings();
  return at;
}

// The children of a storage, in directory order, hang from the middle one: the lower half
// as a chain of left siblings, the upper half as a chain of right siblings.
void CompoundFile::LinkSiblings() {
  std::vector<std::vector<uint32_t>> children(directory_.size());
  for (uint32_t i = 1; i < directory_.size(); ++i) children[directory_[i].parent].push_back(i);
  for (DirectoryEntry& entry : directory_) {
    entry.left = entry.right = entry.child = kCfbNoEntryIndex;
  }
  for (uint32_t s = 0; s < directory_.size(); ++s) {
    const std::vector<uint32_t>& kids = children[s];
    if (kids.empty()) continue;
    const size_t middle = kids.size() / 2;
    directory_[s].child = kids[middle];
    for (size_t k = middle; k > 0; --k) directory_[kids[k]].left = kids[k - 1];
    for (size_t k = middle; k + 1 < kids.size(); ++k) directory_[kids[k]].right = kids[k + 1];
  }
}

void CompoundFile::EnsureDirectorySectors() {
  while (directorySectors_.size() * kEntriesPerDirectorySector < directory_.size()) {
    const uint32_t sector = AllocateSector();
    fat_[directorySectors_.back()] = sector;
    directorySectors_.push_back(sector);
  }
}

bool CompoundFile::WriteBlock(uint32_t sector, const uint8_t* data) {
  return file_.WriteBlock(sector + 1, data);
}

bool CompoundFile::LendBlock(uint32_t sector, const uint8_t* data) {
  return file_.LendBlock(sector + 1, data);
}

bool CompoundFile::WriteHeader() {
  Block header{};
  static constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::memcpy(header.data(), kSignature, sizeof kSignature);
  PutU16(&header[24], 0x003B);  // minor version
  PutU16(&header[26], 3);       // major version: 512-byte sectors
  PutU16(&header[28], 0xFFFE);  // byte order
  PutU16(&header[30], 9);       // sector shift
  PutU16(&header[32], 6);       // mini sector shift
  PutU32(&header[44], static_cast<uint32_t>(fatSectors_.size()));
  PutU32(&header[48], directorySectors_.front());
  PutU32(&header[56], kMiniStreamCutoff);
  PutU32(&header[60], miniFatSectors_.empty() ? kCfbEndOfChain : miniFatSectors_.front());
  PutU32(&header[64], static_cast<uint32_t>(miniFatSectors_.size()));
  PutU32(&header[68], difatSectors_.empty() ? kCfbEndOfChain : difatSectors_.front());
  PutU32(&header[72], static_cast<uint32_t>(difatSectors_.size()));
  for (uint32_t i = 0; i < kHeaderDifatSlots; ++i) {
    PutU32(&header[76 + 4 * i], i < fatSectors_.size() ? fatSectors_[i] : kCfbFree);
  }
  return file_.WriteBlock(0, header.data());
}

bool CompoundFile::WriteTables() {
  bool written = WriteHeader();
  Block block;
  for (size_t i = 0; i < fatSectors_.size(); ++i) {
    PutTable(block, fat_, i * kEntriesPerSector);
    written = WriteBlock(fatSectors_[i], block.data()) && written;
  }
  for (size_t d = 0; d < difatSectors_.size(); ++d) {
    block.fill(0xFF);
    for (size_t k = 0; k < kDifatSlotsPerSector; ++k) {
      const size_t fatIndex = kHeaderDifatSlots + d * kDifatSlotsPerSector + k;
      if (fatIndex < fatSectors_.size()) PutU32(&block[4 * k], fatSectors_[fatIndex]);
    }
    const bool last = d + 1 == difatSectors_.size();
    PutU32(&block[4 * kDifatSlotsPerSector], last ? kCfbEndOfChain : difatSectors_[d + 1]);
    written = WriteBlock(difatSectors_[d], block.data()) && written;
  }
  for (size_t i = 0; i < miniFatSectors_.size(); ++i) {
    PutTable(block, miniFat_, i * kEntriesPerSector);
    written = WriteBlock(miniFatSectors_[i], block.data()) && written;
  }
  for (size_t i = 0; i < directorySectors_.size(); ++i) {
    block.fill(0);
    for (size_t k = 0; k < kEntriesPerDirectorySector; ++k) {
      const size_t entry = i * kEntriesPerDirectorySector + k;
      if (entry < directory_.size()) {
        PutDirectoryEntry(&block[k * kDirectoryEntrySize], directory_[entry]);
      }
    }
    written = WriteBlock(directorySectors_[i], block.data()) && written;
  }
  return written;
}

}  // namespace romvane
