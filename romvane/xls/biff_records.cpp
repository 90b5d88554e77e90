#include "xls/biff_records.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>

#include "common/le_bytes.h"
#include "common/utf16.h"

using common::AppendU16;
using common::AppendU32;
using common::PutU16;
using common::Utf8ToUtf16;

namespace romvane::biff {

size_t RecordSize(size_t dataSize) {
  const size_t pieces = dataSize == 0 ? 1 : (dataSize + kMaxRecordData - 1) / kMaxRecordData;
  return dataSize + 4 * pieces;
}

void AppendRecord(std::vector<uint8_t>& out, uint16_t type, const std::vector<uint8_t>& data) {
  size_t offset = 0;
  do {
    const size_t piece = std::min(kMaxRecordData, data.size() - offset);
    AppendU16(out, offset == 0 ? type : kContinue);
    AppendU16(out, static_cast<uint32_t>(piece));
    out.insert(out.end(), data.begin() + offset, data.begin() + offset + piece);
    offset += piece;
  } while (offset < data.size());
}

BiffString NarrowBiffString(std::string_view utf8, BiffTextStore& store) {
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; }))
    return BiffString::Narrow(utf8);
  std::u16string units = Utf8ToUtf16(utf8);
  if (std::any_of(units.begin(), units.end(), [](char16_t u) { return u > 0xFF; }))
    return BiffString::Wide(store.Keep(std::move(units)));
  return BiffString::Narrow(store.Keep(std::string(units.begin(), units.end())));
}

namespace {

void AppendUnits(std::vector<uint8_t>& out, const BiffString& text, size_t first, size_t count) {
  if (!text.wide()) {
    const std::string_view part = text.Latin1().substr(first, count);
    out.insert(out.end(), part.begin(), part.end());
    return;
  }
  for (char16_t unit : text.Units().substr(first, count)) AppendU16(out, unit);
}

}  // namespace

void AppendShortString(std::vector<uint8_t>& out, const BiffString& text) {
  out.push_back(static_cast<uint8_t>(text.size()));
  out.push_back(text.wide() ? 1 : 0);
  AppendUnits(out, text, 0, text.size());
}

namespace {

size_t HashOf(std::string_view bytes, bool wide) {
  return std::hash<std::string_view>()(bytes) ^ (wide ? size_t{0x9E3779B97F4A7C15u} : 0);
}

}  // namespace

void SharedStringTable::AddNarrow(std::string_view utf8) {
  Add({utf8.data(), utf8.size(), false}, [&] { return NarrowBiffString(utf8, store_); });
}

void SharedStringTable::AddWide(std::u16string_view units) {
  Add({units.data(), units.size() * 2, true}, [&] { return BiffString::Wide(units); });
}

template <typename MakeString>
void SharedStringTable::Add(const Key& key, MakeString make) {
  if (2 * (keys_.size() + 1) > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  size_t i = HashOf(key.Bytes(), key.wide) & mask;
  while (slots_[i] != 0 && !(keys_[slots_[i] - 1] == key)) i = (i + 1) & mask;
  if (slots_[i] == 0) {
    keys_.push_back(key);
    strings.push_back(make());
    slots_[i] = static_cast<uint32_t>(keys_.size());
  }
  cellIndexes.push_back(slots_[i] - 1);
}

void SharedStringTable::Grow() {
  slots_.assign(std::max<size_t>(64, 2 * slots_.size()), 0);
  const size_t mask = slots_.size() - 1;
  for (size_t k = 0; k < keys_.size(); ++k) {
    size_t i = HashOf(keys_[k].Bytes(), keys_[k].wide) & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = static_cast<uint32_t>(k + 1);
  }
}

void AppendSharedStrings(std::vector<uint8_t>& out, uint32_t textCells,
                         const std::vector<BiffString>& strings) {
  // Each record's length is filled in once the record is complete.
  size_t header = out.size();
  auto begin = [&](uint16_t type) {
    header = out.size();
    AppendU16(out, type);
    AppendU16(out, 0);
  };
  auto used = [&] { return out.size() - header - 4; };
  auto finish = [&] { PutU16(&out[header + 2], static_cast<uint32_t>(used())); };
  begin(kSst);
  AppendU32(out, textCells);
  AppendU32(out, static_cast<uint32_t>(strings.size()));
  // A string header is never left alone at the end of a record: with fewer than this many
  // bytes left, a string that does not fit starts the next record.
  constexpr size_t kMinRoomForSplit = 12;
  for (const BiffString& text : strings) {
    const size_t unitSize = text.wide() ? 2 : 1;
    const size_t count = text.size();
    if (used() + 3 + count * unitSize > kMaxRecordData &&
        kMaxRecordData - used() < kMinRoomForSplit) {
      finish();
      begin(kContinue);
    }
    AppendU16(out, static_cast<uint32_t>(count));
    out.push_back(text.wide() ? 1 : 0);
    size_t done = 0;
    while (done < count) {
      const size_t fit = std::min((kMaxRecordData - used()) / unitSize, count - done);
      AppendUnits(out, text, done, fit);
      done += fit;
      if (done < count) {
        finish();
        begin(kContinue);
        out.push_back(text.wide() ? 1 : 0);  // the continuation's option byte
      }
    }
  }
  finish();
}

bool IntegerFitsRk(int32_t value) {
  return value >= -(1 << 29) && value < (1 << 29);
}

uint32_t IntegerRk(int32_t value) {
  return static_cast<uint32_t>(value) << 2 | 2;
}

namespace {

// Low 32 bits of the value truncated toward zero; the caller keeps |value| below 2^63.
uint32_t TruncatedLow32(double value) {
  return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value)));
}

uint32_t HighBits(double value) {
  return static_cast<uint32_t>(std::bit_cast<uint64_t>(value) >> 32);
}

}  // namespace

uint32_t NumberRk(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 9.0e16) return HighBits(value) & ~3u;
  const uint32_t wholeTimes100 = TruncatedLow32(value) * 100u;
  if (wholeTimes100 == TruncatedLow32(value * 100)) return HighBits(value) & ~3u;
  return (HighBits(value * 100) & ~3u) | 1u;
}

double RkValue(uint32_t rk) {
  double value;
  if (rk & 2) {
    value = static_cast<int32_t>(rk) >> 2;
  } else {
    value = std::bit_cast<double>(static_cast<uint64_t>(rk & ~3u) << 32);
  }
  return (rk & 1) ? value / 100 : value;
}

bool NumberFitsRk(double value) {
  // Values too large for the two-decimal test are kept whole in NUMBER records.
  if (!std::isfinite(value) || std::fabs(value * 10000) >= 9.0e18) return false;
  const uint32_t hundredths = TruncatedLow32(value * 100);
  const uint32_t tenThousandths = TruncatedLow32(value * 10000);
  if (hundredths * 100u != tenThousandths) return false;
  return std::bit_cast<uint64_t>(RkValue(NumberRk(value))) == std::bit_cast<uint64_t>(value);
}

}  // namespace romvane::biff
