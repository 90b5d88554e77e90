#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace romvane::biff {

// Record types of the workbook stream.
inline constexpr uint16_t kBof = 0x0809;
inline constexpr uint16_t kWindow1 = 0x003D;
inline constexpr uint16_t kFont = 0x0031;
inline constexpr uint16_t kXf = 0x00E0;
inline constexpr uint16_t kStyle = 0x0293;
inline constexpr uint16_t kBoundSheet = 0x0085;
inline constexpr uint16_t kSst = 0x00FC;
inline constexpr uint16_t kContinue = 0x003C;
inline constexpr uint16_t kEof = 0x000A;
inline constexpr uint16_t kIndex = 0x020B;
inline constexpr uint16_t kDimensions = 0x0200;
inline constexpr uint16_t kRow = 0x0208;
inline constexpr uint16_t kLabelSst = 0x00FD;
inline constexpr uint16_t kRk = 0x027E;
inline constexpr uint16_t kMulRk = 0x00BD;
inline constexpr uint16_t kNumber = 0x0203;
inline constexpr uint16_t kDbCell = 0x00D7;
inline constexpr uint16_t kWindow2 = 0x023E;

// Longest data part of one record; longer data continues in CONTINUE records.
inline constexpr size_t kMaxRecordData = 8224;
inline constexpr size_t kMaxStringChars = 65535;     // 16-bit count of a shared string
inline constexpr size_t kMaxShortStringChars = 255;  // 8-bit count of a sheet or font name

// Bytes a record of dataSize bytes takes in the stream, headers of its continuations included.
size_t RecordSize(size_t dataSize);
// Appends a record, cutting data longer than kMaxRecordData into CONTINUE records.
void AppendRecord(std::vector<uint8_t>& out, uint16_t type, const std::vector<uint8_t>& data);

// A string of the workbook: 8-bit ("compressed", every unit below 0x100) or 16-bit units.
// It refers to its characters, which whoever made it keeps.
class BiffString {
 public:
  BiffString() = default;
  static BiffString Narrow(std::string_view latin1) {
    return BiffString(latin1.data(), latin1.size(), false);
  }
  static BiffString Wide(std::u16string_view units) {
    return BiffString(units.data(), units.size(), true);
  }

  bool wide() const { return wide_; }
  size_t size() const { return size_; }
  // The units of its width; the other view is empty.
  std::string_view Latin1() const {
    return wide_ ? std::string_view() : std::string_view(static_cast<const char*>(data_), size_);
  }
  std::u16string_view Units() const {
    return wide_ ? std::u16string_view(static_cast<const char16_t*>(data_), size_)
                 : std::u16string_view();
  }

 private:
  // A text beyond 4 G units is cut here; the workbook refuses any beyond 65535 all the same.
  BiffString(const void* data, size_t size, bool wide)
      : data_(data),
        size_(static_cast<uint32_t>(std::min<size_t>(size, UINT32_MAX))),
        wide_(wide) {}

  const void* data_ = nullptr;
  uint32_t size_ = 0;
  bool wide_ = false;
};

// Keeps the converted characters of narrow texts that are not plain ASCII.
class BiffTextStore {
 public:
  std::string_view Keep(std::string latin1) { return latin1_.emplace_back(std::move(latin1)); }
  std::u16string_view Keep(std::u16string units) { return wide_.emplace_back(std::move(units)); }

 private:
  std::deque<std::string> latin1_;
  std::deque<std::u16string> wide_;
};

// A narrow (UTF-8) text as the workbook stores it: 8-bit when every character is below
// U+0100, else 16-bit. ASCII text refers to utf8 itself; other text is kept in store.
BiffString NarrowBiffString(std::string_view utf8, BiffTextStore& store);
// Count byte, option byte and characters, as sheet and font names are written.
void AppendShortString(std::vector<uint8_t>& out, const BiffString& text);

// Shared strings: one entry for each distinct text of a width, in the order first met; a
// narrow and a wide text never share an entry. Entries refer to the texts they were given,
// which must stay put while the table is used. Every text's string index is kept in the
// order the texts were added.
class SharedStringTable {
 public:
  void AddNarrow(std::string_view utf8);
  void AddWide(std::u16string_view units);

  std::vector<BiffString> strings;  // the entries as the workbook stores them
  std::vector<uint32_t> cellIndexes;

 private:
  struct Key {
    const void* data;
    size_t bytes;
    bool wide;
    std::string_view Bytes() const { return {static_cast<const char*>(data), bytes}; }
    bool operator==(const Key& other) const {
      return wide == other.wide && Bytes() == other.Bytes();
    }
  };
  // The entry for the key, made by make when the key is new.
  template <typename MakeString>
  void Add(const Key& key, MakeString make);
  void Grow();

  std::vector<Key> keys_;
  std::vector<uint32_t> slots_;  // an entry's number plus one; 0 where free; 2^n long
  BiffTextStore store_;
};

// Appends the SST record and its CONTINUE records. Strings are never cut inside their
// 3-byte header; a cut string resumes after a repeated option byte, and a wide string is
// cut between whole characters.
void AppendSharedStrings(std::vector<uint8_t>& out, uint32_t textCells,
                         const std::vector<BiffString>& strings);

// RK values: a compact 30-bit form of a number in cell records.
bool IntegerFitsRk(int32_t value);
uint32_t IntegerRk(int32_t value);
// True when the number has at most two decimals and its RK form gives back exactly the
// same number; other numbers go into NUMBER records.
bool NumberFitsRk(double value);
// The floating RK form: the number's top 30 bits, or those of the number times 100 with
// bit 0 set when the number is not whole.
uint32_t NumberRk(double value);
double RkValue(uint32_t rk);

}  // namespace romvane::biff
