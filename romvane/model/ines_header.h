#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace romvane {

// The first 16 bytes of an iNES file, kept exactly as read.
using InesHeader = std::array<uint8_t, 16>;

constexpr size_t kInesHeaderSize = 16;
constexpr uint32_t kPrgUnit = 0x4000;
constexpr uint32_t kChrUnit = 0x2000;

// Flag bits of header byte 6.
constexpr uint8_t kFlagVertical = 0x01;
constexpr uint8_t kFlagSram = 0x02;
constexpr uint8_t kFlagTrainer = 0x04;
constexpr uint8_t kFlagFourScreen = 0x08;

bool HasInesSignature(const InesHeader& header);
uint32_t PrgByteSize(const InesHeader& header);
uint32_t ChrByteSize(const InesHeader& header);
int MapperNumber(const InesHeader& header);
bool IsVertical(const InesHeader& header);

// The largest game blocks the menu's game table can describe.
constexpr uint32_t kMaxCartridgePrg = 0x80000;
constexpr uint32_t kMaxCartridgeChr = 0x40000;

// Why the VT03 cartridge cannot run the game of this header, in the program's words; empty
// when it can. The chip banks through its own registers and their MMC3-compatible
// interface only, so it runs NROM (mapper 0, no banking) and MMC3 (mapper 4) games. Tile
// data comes from the ROM bus: there is no pattern RAM for a game without CHR ROM, and no
// video RAM for four name tables.
std::string CartridgeRefusal(const InesHeader& header);

// "mapper4,垂直,SRAM": mapper number, mirroring, then the optional features in fixed order.
std::string AttributeText(const InesHeader& header, bool userLanguage = false);

// Lower-case hexadecimal without prefix, as the size columns show it ("20000", "0").
std::string HexText(uint32_t value);

}  // namespace romvane
