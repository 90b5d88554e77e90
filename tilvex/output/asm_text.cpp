#include "output/asm_text.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>

#include "common/gbk.h"

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

std::string ToCrlf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string GbkOrQuestionMarks(const std::string& utf8) {
  if (std::optional<std::string> whole = common::Utf8ToGbk(utf8)) return *whole;
  auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
  std::string out;
  size_t at = 0;
  while (at < utf8.size()) {
    // One character: its lead byte and the continuation bytes after it.
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    const std::string_view character(utf8.data() + at, std::min(length, utf8.size() - at));
    if (std::optional<std::string> gbk = common::Utf8ToGbk(character)) {
      out += *gbk;
      at += character.size();
      continue;
    }
    out += '?';
    ++at;
    while (at < utf8.size() && continuation(utf8[at])) ++at;
  }
  return out;
}

std::vector<uint8_t> TextFileBytes(const std::string& text) {
  const std::string bytes = GbkOrQuestionMarks(ToCrlf(text));
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace tilvex
