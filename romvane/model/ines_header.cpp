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

namespace {

// NES 2.0 headers (byte 7 bits 2-3 = 10) carry mapper bits 8-11 and the high bits of both
// sizes in bytes 8 and 9; an old header's bytes 8-15 are left as they are.
bool IsNes20(const InesHeader& header) {
  return (header[7] & 0x0C) == 0x08;
}

bool PowerOfTwo(uint32_t size) {
  return size != 0 && (size & (size - 1)) == 0;
}

}  // namespace

std::string CartridgeRefusal(const InesHeader& header) {
  const bool nes20 = IsNes20(header);
  const int mapper = MapperNumber(header) | (nes20 ? (header[8] & 0x0F) << 8 : 0);
  if (mapper != 0 && mapper != 4) {
    return common::TrFill("mapper{0}的存储体切换，卡带无法模拟(只支持mapper0与mapper4)",
                          {std::to_string(mapper)});
  }
  const uint32_t prg = PrgByteSize(header);
  const uint32_t chr = ChrByteSize(header);
  if ((nes20 && (header[9] & 0x0F) != 0) || prg > kMaxCartridgePrg)
    return common::Tr("PRG大于512KB");
  if ((nes20 && (header[9] & 0xF0) != 0) || chr > kMaxCartridgeChr)
    return common::Tr("CHR大于256KB");
  if (prg == 0) return common::Tr("没有PRG数据");
  if (chr == 0) return common::Tr("没有CHR ROM(用CHR RAM)，卡带没有图案RAM");
  // Each block stands at a multiple of its own size and the menu maps whole windows.
  if (!PowerOfTwo(prg) || !PowerOfTwo(chr)) return common::Tr("PRG或CHR的大小不是2的幂");
  if (header[6] & kFlagFourScreen) return common::Tr("需要四屏幕的显存，卡带没有");
  // The trainer's 512 bytes would stand where the game's program starts.
  if (header[6] & kFlagTrainer) return common::Tr("带Trainer，卡带无法载入");
  return {};
}

std::string HexText(uint32_t value) {
  char buf[8];
  const auto end = std::to_chars(buf, buf + sizeof buf, value, 16).ptr;
  return std::string(buf, end);
}

}  // namespace romvane
