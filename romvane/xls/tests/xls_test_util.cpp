#include "xls_test_util.h"

namespace romvane::testing {

namespace {

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutName(std::vector<uint8_t>& b, size_t at, const std::u16string& name) {
  for (size_t i = 0; i < name.size(); ++i) b[at + 2 * i] = static_cast<uint8_t>(name[i]);
  b[at + 64] = static_cast<uint8_t>((name.size() + 1) * 2);
}

std::vector<uint8_t> Sector(const std::vector<uint8_t>& file, uint32_t n) {
  const size_t at = (size_t{n} + 1) * 512;
  if (at + 512 > file.size()) return std::vector<uint8_t>(512, 0);
  return {file.begin() + at, file.begin() + at + 512};
}

std::vector<uint32_t> Table(const std::vector<uint8_t>& file,
                            const std::vector<uint32_t>& sectors) {
  std::vector<uint32_t> table;
  for (uint32_t s : sectors) {
    const std::vector<uint8_t> block = Sector(file, s);
    for (size_t i = 0; i < 128; ++i) table.push_back(Le32(block, 4 * i));
  }
  return table;
}

std::vector<uint32_t> Chain(uint32_t start, const std::vector<uint32_t>& table) {
  std::vector<uint32_t> chain;
  for (uint32_t s = start; s < table.size() && chain.size() <= table.size(); s = table[s]) {
    chain.push_back(s);
  }
  return chain;
}

std::vector<uint8_t> ChainBytes(const std::vector<uint8_t>& file, uint32_t start,
                                const std::vector<uint32_t>& fat) {
  std::vector<uint8_t> bytes;
  for (uint32_t s : Chain(start, fat)) {
    const std::vector<uint8_t> block = Sector(file, s);
    bytes.insert(bytes.end(), block.begin(), block.end());
  }
  return bytes;
}

}  // namespace

std::vector<uint8_t> StreamOf(const std::vector<uint8_t>& file, uint32_t entry) {
  std::vector<uint32_t> fatSectors;
  const uint32_t fatCount = Le32(file, 44);
  for (uint32_t i = 0; i < fatCount && i < 109; ++i) fatSectors.push_back(Le32(file, 76 + 4 * i));
  uint32_t difat = Le32(file, 68);
  for (uint32_t d = 0; d < Le32(file, 72); ++d) {
    const std::vector<uint8_t> block = Sector(file, difat);
    for (size_t k = 0; k < 127 && fatSectors.size() < fatCount; ++k) {
      fatSectors.push_back(Le32(block, 4 * k));
    }
    difat = Le32(block, 508);
  }
  const std::vector<uint32_t> fat = Table(file, fatSectors);
  const std::vector<uint8_t> directory = ChainBytes(file, Le32(file, 48), fat);
  const auto field = [&](uint32_t index, size_t at) { return Le32(directory, 128 * index + at); };
  const uint32_t start = field(entry, 116);
  const uint32_t size = field(entry, 120);
  std::vector<uint8_t> bytes;
  if (size >= 4096) {
    bytes = ChainBytes(file, start, fat);
  } else {
    const std::vector<uint8_t> mini = ChainBytes(file, field(0, 116), fat);
    const std::vector<uint32_t> miniFat = Table(file, Chain(Le32(file, 60), fat));
    for (uint32_t s : Chain(start, miniFat)) {
      if (64 * size_t{s} + 64 > mini.size()) break;
      bytes.insert(bytes.end(), mini.begin() + 64 * s, mini.begin() + 64 * s + 64);
    }
  }
  bytes.resize(size);
  return bytes;
}

}  // namespace romvane::testing

namespace romvane::testing {

std::vector<std::u16string> SharedStrings(const std::vector<uint8_t>& stream) {
  std::vector<std::vector<uint8_t>> pieces;
  for (const Record& record : Records(stream)) {
    if (record.type == 0x00FC || (record.type == 0x003C && !pieces.empty())) {
      pieces.push_back(record.data);
    } else if (!pieces.empty()) {
      break;
    }
  }
  std::vector<std::u16string> strings;
  if (pieces.empty() || pieces[0].size() < 8) return strings;
  size_t piece = 0, at = 8;
  const uint32_t count = Le32(pieces[0], 4);
  // A malformed table ends the walk with the strings read so far, so a test fails on them
  // instead of reading past its records.
  const auto inside = [&](size_t bytes) {
    return piece < pieces.size() && at + bytes <= pieces[piece].size();
  };
  for (uint32_t s = 0; s < count; ++s) {
    if (piece < pieces.size() && at == pieces[piece].size()) ++piece, at = 0;
    if (!inside(3)) break;
    const uint32_t chars = Le16(pieces[piece], at);
    bool wide = pieces[piece][at + 2] & 1;
    at += 3;
    std::u16string text;
    while (text.size() < chars) {
      if (at == pieces[piece].size()) {  // continued: a fresh option byte
        ++piece;
        at = 0;
        if (!inside(1)) return strings;
        wide = pieces[piece][0] & 1;
        at = 1;
      }
      if (!inside(wide ? 2 : 1)) return strings;
      text.push_back(static_cast<char16_t>(wide ? Le16(pieces[piece], at) : pieces[piece][at]));
      at += wide ? 2 : 1;
    }
    strings.push_back(text);
  }
  return strings;
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

namespace romvane::testing {

std::vector<uint8_t> ExpectedWorkbookFile1551(const std::vector<uint8_t>& content) {
  std::vector<uint8_t> expected(4096, 0);
  const uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::copy(std::begin(signature), std::end(signature), expected.begin());
  expected[24] = 0x3B, expected[26] = 3, expected[28] = 0xFE, expected[29] = 0xFF;
  expected[30] = 9, expected[32] = 6;
  PutU32(expected, 44, 1);           // FAT sectors
  PutU32(expected, 48, 1);           // first directory sector
  PutU32(expected, 56, 4096);        // mini stream cutoff
  PutU32(expected, 60, 3);           // first mini FAT sector
  PutU32(expected, 64, 1);           // mini FAT sectors
  PutU32(expected, 68, 0xFFFFFFFE);  // no DIFAT sector
  PutU32(expected, 76, 0);           // FAT sector 0 at sector 0
  for (size_t at = 80; at < 512; ++at) expected[at] = 0xFF;
  // Sector 0: the FAT.
  const uint32_t fat[] = {0xFFFFFFFD, 0xFFFFFFFE, 4, 0xFFFFFFFE, 5, 6, 0xFFFFFFFE};
  for (size_t i = 0; i < 128; ++i) PutU32(expected, 512 + 4 * i, i < 7 ? fat[i] : 0xFFFFFFFF);
  // Sector 1: the directory, root and "Workbook", then two zero entries.
  PutName(expected, 1024, u"Root Entry");
  expected[1024 + 66] = 5, expected[1024 + 67] = 1;
  PutU32(expected, 1024 + 68, 0xFFFFFFFF);
  PutU32(expected, 1024 + 72, 0xFFFFFFFF);
  PutU32(expected, 1024 + 76, 1);
  PutU32(expected, 1024 + 116, 2);
  PutU32(expected, 1024 + 120, 1600);
  PutName(expected, 1152, u"Workbook");
  expected[1152 + 66] = 2, expected[1152 + 67] = 1;
  for (size_t at : {68, 72, 76}) PutU32(expected, 1152 + at, 0xFFFFFFFF);
  PutU32(expected, 1152 + 116, 0);
  PutU32(expected, 1152 + 120, 1551);
  // Sector 3: the mini FAT, one chain of 25 mini sectors.
  for (uint32_t i = 0; i < 128; ++i) {
    PutU32(expected, 2048 + 4 * i, i < 24 ? i + 1 : i == 24 ? 0xFFFFFFFE : 0xFFFFFFFF);
  }
  // Sectors 2, 4, 5, 6: the mini stream.
  const size_t sectorOffsets[] = {1536, 2560, 3072, 3584};
  for (size_t i = 0; i < content.size(); ++i) {
    expected[sectorOffsets[i / 512] + i % 512] = content[i];
  }
  return expected;
}

}  // namespace romvane::testing
