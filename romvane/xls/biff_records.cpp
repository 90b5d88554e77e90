#include "xls/biff_records.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "common/le_bytes.h"
#include "common/utf16.h"

using common::AppendU16;
using common::AppendU32;
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

BiffString NarrowBiffString(const std::string& utf8) {
  BiffString text{Utf8ToUtf16(utf8), false};
  text.wide =
      std::any_of(text.units.begin(), text.units.end(), [](char16_t u) { return u > 0xFF; });
  return text;
}

void AppendShortString(std::vector<uint8_t>& out, const BiffString& text) {
  out.push_back(static_cast<uint8_t>(text.units.size()));
  out.push_back(text.wide ? 1 : 0);
  for (char16_t unit : text.units) {
    if (text.wide) {
      AppendU16(out, unit);
    } else {
      out.push_back(static_cast<uint8_t>(unit));
    }
  }
}

std::vector<uint8_t> SharedStringRecords(uint32_t textCells,
                                         const std::vector<BiffString>& strings) {
  std::vector<std::vector<uint8_t>> records(1);
  AppendU32(records.back(), textCells);
  AppendU32(records.back(), static_cast<uint32_t>(strings.size()));
  // A string header is never left alone at the end of a record: with fewer than this many
  // bytes left, a string that does not fit starts the next record.
  constexpr size_t kMinRoomForSplit = 12;
  for (const BiffString& text : strings) {
    const size_t unitSize = text.wide ? 2 : 1;
    const size_t count = text.units.size();
    if (records.back().size() + 3 + count * unitSize > kMaxRecordData &&
        kMaxRecordData - records.back().size() < kMinRoomForSplit) {
      records.emplace_back();
    }
    AppendU16(records.back(), static_cast<uint32_t>(count));
    records.back().push_back(text.wide ? 1 : 0);
    size_t done = 0;
    while (done < count) {
      std::vector<uint8_t>& record = records.back();
      const size_t fit = std::min((kMaxRecordData - record.size()) / unitSize, count - done);
      for (size_t i = done; i < done + fit; ++i) {
        if (text.wide) {
          AppendU16(record, text.units[i]);
        } else {
          record.push_back(static_cast<uint8_t>(text.units[i]));
        }
      }
      done += fit;
      if (done < count) {
        records.emplace_back();
        records.back().push_back(text.wide ? 1 : 0);  // the continuation's option byte
      }
    }
  }
  std::vector<uint8_t> out;
  for (size_t i = 0; i < records.size(); ++i) {
    AppendU16(out, i == 0 ? kSst : kContinue);
    AppendU16(out, static_cast<uint32_t>(records[i].size()));
    out.insert(out.end(), records[i].begin(), records[i].end());
  }
  return out;
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
  const uint32_t wholeTimes100 = TruncatedLow32(std::trunc(value)) * 100u;
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
