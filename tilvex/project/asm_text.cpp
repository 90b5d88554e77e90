#include "project/asm_text.h"

#include <cstdio>

namespace tilvex {

std::string AsmByte(unsigned value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "$%02X", value & 0xFF);
  return buf;
}

void AppendDbLines(std::string& out, const std::vector<uint8_t>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (i % 16 == 0) out += "\tdb\t";
    out += AsmByte(values[i]);
    out += i % 16 == 15 ? "\n" : ",";
  }
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace tilvex
