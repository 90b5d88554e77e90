#include "model/ines_header.h"

#include <charconv>
#include "common/translate.h"

namespace romvane {

bool HasInesSignature(const InesHeader& header) {
  return header[0] == 0x4E && header[1] == 0x45 && header[2] == 0x53 && header[3] == 0x1A;
}

uint32_t PrgByteSize(const InesHeader& header) {
  return header[4] * kPrgUnit;
}

uint32_t ChrByteSize(const InesHeader& header) {
  return header[5] * kChrUnit;
}

int MapperNumber(const InesHeader& header) {
  return (header[7] & 0xF0) | (header[6] >> 4);
}

bool IsVertical(const InesHeader& header) {
  return (header[6] & kFlagVertical) != 0;
}

std::string AttributeText(const InesHeader& header, bool userLanguage) {
  auto shown = [userLanguage](const char* word) { return userLanguage ? common::Tr(word) : word; };
  std::string text = "mapper" + std::to_string(MapperNumber(header));
  text += shown(IsVertical(header) ? ",垂直" : ",水平");
  if (header[6] & kFlagSram) text += ",SRAM";
  if (header[6] & kFlagTrainer) text += ",Trainer";
  if (header[6] & kFlagFourScreen) text += shown(",4屏幕");
  return text;
}

std::string HexText(uint32_t value) {
  char buf[8];
  const auto end = std::to_chars(buf, buf + sizeof buf, value, 16).ptr;
  return std::string(buf, end);
}

}  // namespace romvane
