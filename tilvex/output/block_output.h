// The raw and assembler outputs of one block picture.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/result.h"
#include "convert/block_picture.h"
#include "convert/progress.h"
#include "image/slot_table.h"

namespace tilvex {
using common::Result;

// Upper-cased file title used for labels: no directory, no extension (GBK bytes).
std::string LabelOf(const std::string& path);

// The PGT bytes as the 16-bit bus reads them: in every 32 bytes, byte 2i is byte i and
// byte 2i+1 is byte 16+i.
std::vector<uint8_t> InterleaveSixteenBit(const std::vector<uint8_t>& pgt);

// PGT assembler text ("\n" line ends) of every bank, its filled part only.
std::string PgtAssemblerText(const PicHeader& header, const std::vector<uint8_t>& pgt,
                             const std::string& label);

// PNT assembler text: header table, interrupt table, palette, name tables and attributes
// per 256-pixel screen column.
std::string PntAssemblerText(const BlockPicture& picture, const std::string& label);

// The number of PGT banks the section rows describe (1 at least).
int BankCount(const PicHeader& header);

// Writes the PGT file (raw or assembler, 8- or 16-bit) and the PNT assembler file, the pair
// together: neither is replaced unless both can be written.
Result WriteBlockOutput(const BlockPicture& picture, const std::string& pgtPath,
                        const std::string& pntPath, bool assembler, bool sixteenBit,
                        Progress& progress = NoProgress());

// The fade of the palette steps runs over 1 to 255 levels.
inline constexpr int kMinPaletteLevels = 1;
inline constexpr int kMaxPaletteLevels = 255;
inline constexpr char kPaletteLevelsMessage[] = "LEVEL必须在1到255之间!";

// The text of "PALStep.asm": the first four palettes of the table faded towards target in
// levels steps, as colour codes made by rgbToCode.
std::string PaletteStepsText(const SlotTable& palettes, Rgb target, int levels,
                             const std::function<uint16_t(Rgb)>& rgbToCode);

// "PALStep.asm" in directory; levels outside 1..255 give kPaletteLevelsMessage.
Result WritePaletteSteps(const SlotTable& palettes, Rgb target, int levels,
                         const std::function<uint16_t(Rgb)>& rgbToCode,
                         const std::string& directory = ".");

}  // namespace tilvex
