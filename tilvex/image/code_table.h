// The code table of colour space 0: 65536 entries, each a little-endian u32 RGB value with
// a top byte of zero when the entry is a colour. Read from its file the table maps the
// file's pages instead of copying them: a conversion looks at a few colours, and zeroing,
// filling and later freeing a quarter of a megabyte of its own would cost it more than the
// rest of its work. A write goes to a private copy of the page written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tilvex {

inline constexpr int kCodeTableSize = 65536;

class CodeTable {
 public:
  CodeTable() = default;  // every entry 0
  CodeTable(const CodeTable& other);
  CodeTable& operator=(const CodeTable& other);
  ~CodeTable();

  size_t size() const { return size_; }
  const uint32_t* data() const;
  uint32_t* data() { return Writable(); }
  uint32_t operator[](size_t i) const { return data()[i]; }
  uint32_t& operator[](size_t i) { return Writable()[i]; }
  const uint32_t* begin() const { return data(); }
  const uint32_t* end() const { return data() + size_; }
  uint32_t* begin() { return Writable(); }
  uint32_t* end() { return Writable() + size_; }
  operator std::span<const uint32_t>() const { return {data(), size_}; }

  void assign(size_t count, uint32_t value);
  // Maps the open file's first size() entries; false (the table unchanged) when the file is
  // shorter or the system cannot map it.
  bool Map(int fd);

 private:
  uint32_t* Writable();
  void Release();

  std::vector<uint32_t> owned_;  // empty while the table is all zero or mapped
  void* mapped_ = nullptr;
  size_t size_ = kCodeTableSize;
};

}  // namespace tilvex
