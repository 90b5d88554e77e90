// The raw and assembler outputs of one block picture.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/result.h"
#include "convert/block_geometry.h"
#include "convert/progress.h"
#include "doc/pic_header.h"

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
std::string PntAssemblerText(const PicHeader& header, const BlockData& blocks,
                             const std::string& label);

// The number of PGT banks the section rows describe (1 at least).
int BankCount(const PicHeader& header);

// Writes the PGT file (raw or assembler, 8- or 16-bit) and the PNT assembler file.
Result WriteBlockOutput(const PicHeader& header, const BlockData& blocks,
                        const std::string& pgtPath, const std::string& pntPath, bool assembler,
                        bool sixteenBit, Progress& progress = NoProgress());

// "PGT_Temp.BIN", "PNT_Temp.BIN" and "PAL_Temp.BIN" in directory (the batch runs).
Result WriteTempFiles(const PicHeader& header, const BlockData& blocks,
                      const std::string& directory = ".");

// "PALStep.asm" in directory: the first four palettes of palPath faded towards target in
// levels steps, as colour codes made by rgbToCode.
Result WritePaletteSteps(const std::string& palPath, uint32_t target, int levels,
                         const std::function<uint16_t(uint32_t)>& rgbToCode,
                         const std::string& directory = ".");

}  // namespace tilvex
