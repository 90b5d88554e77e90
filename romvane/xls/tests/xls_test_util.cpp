#include "xls_test_util.h"

#include <cctype>
#include <map>

namespace romvane::testing {

std::vector<Record> Records(const std::vector<uint8_t>& stream) {
  std::vector<Record> records;
  for (size_t p = 0; p + 4 <= stream.size();) {
    const size_t length = Le16(stream, p + 2);
    if (p + 4 + length > stream.size()) break;
    records.push_back({p,
                       static_cast<uint16_t>(Le16(stream, p)),
                       {stream.begin() + p + 4, stream.begin() + p + 4 + length}});
    p += 4 + length;
  }
  return records;
}

std::vector<Record> RecordsOfType(const std::vector<uint8_t>& stream, uint16_t type) {
  std::vector<Record> found;
  for (Record& r : Records(stream)) {
    if (r.type == type) found.push_back(std::move(r));
  }
  return found;
}

std::vector<uint8_t> HexBytes(const std::string& text) {
  std::vector<uint8_t> bytes;
  bool comment = false;
  int high = -1;
  for (char c : text) {
    if (c == '\n') comment = false;
    if (c == '#') comment = true;
    if (comment || !std::isxdigit(static_cast<unsigned char>(c))) continue;
    const int digit = std::stoi(std::string(1, c), nullptr, 16);
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<uint8_t>(high << 4 | digit));
      high = -1;
    }
  }
  return bytes;
}

std::string PositionFaults(const std::vector<uint8_t>& stream) {
  const std::vector<Record> records = Records(stream);
  std::map<size_t, const Record*> at;
  for (const Record& r : records) at[r.offset] = &r;
  const auto typeAt = [&](size_t offset) { return at.count(offset) ? at[offset]->type : 0; };
  std::string faults;
  for (const Record& r : records) {
    if (r.type == 0x0085 && typeAt(Le32(r.data, 0)) != 0x0809) {
      faults += "BOUNDSHEET does not lead to a BOF\n";
    }
    if (r.type == 0x020B) {
      for (size_t i = 16; i < r.data.size(); i += 4) {
        if (typeAt(Le32(r.data, i)) != 0x00D7) faults += "INDEX entry does not lead to a DBCELL\n";
      }
    }
    if (r.type == 0x00D7 && r.data.size() > 4) {
      const size_t firstRow = r.offset - Le32(r.data, 0);
      if (typeAt(firstRow) != 0x0208) {
        faults += "DBCELL does not lead back to a ROW\n";
        continue;
      }
      size_t cell = firstRow + 20;  // the second ROW record
      for (size_t i = 4, row = firstRow; i < r.data.size(); i += 2, row += 20) {
        cell += Le16(r.data, i);
        if (typeAt(row) != 0x0208) {
          faults += "DBCELL has more offsets than its block has rows\n";
          break;
        }
        const uint32_t rowNumber = Le16(at[row]->data, 0);
        if (!at.count(cell) || at[cell]->type == 0x0208 || Le16(at[cell]->data, 0) != rowNumber) {
          faults +=
              "DBCELL offset does not lead to the cells of row " + std::to_string(rowNumber) + "\n";
        }
      }
    }
  }
  return faults;
}

}  // namespace romvane::testing
