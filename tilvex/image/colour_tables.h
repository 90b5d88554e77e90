#pragma once

// The console's colour spaces and the two tables that two of them rest on.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/result.h"
#include "image/code_table.h"
#include "image/colour.h"

namespace tilvex {
using common::Result;

inline constexpr int kNesColourCount = 64;
inline constexpr char kCodeTableFile[] = "Hsl2rgb.tab";
inline constexpr char kNesTableFile[] = "6576(ok).act";
inline constexpr char kCodeTableMessage[] = "RGB2HSL.TAB文件读取错误!";
inline constexpr char kNesTableMessage[] = "6576(ok).act文件错误!";

// Finds the nearest valid code-table entry without scanning the whole table; built once per
// table (see colour_index.cpp).
class NearestCodeIndex;

struct ColourTables {
  // Colour space 0: RGB value of each code; an entry with a non-zero top byte is not a colour.
  CodeTable codes;
  // Colour space 2.
  std::array<Rgb, kNesColourCount> nes{};
  // Built from `codes` by RebuildIndex, or by the nearest search itself once it has been
  // asked often enough to pay for it: a handful of colours are found quicker by scanning the
  // table than by building the index first. Either way the answer is the same.
  mutable std::shared_ptr<const NearestCodeIndex> index;
  mutable uint32_t scans = 0;

  // Builds the index now; call after changing `codes`.
  void RebuildIndex() const;
  // Drops the index; the nearest search builds it again when it is worth it.
  void DropIndex() {
    index.reset();
    scans = 0;
  }
};

// The folder of the data files: $TILVEX_DIR when set and non-empty, else the installed data
// folder (PREFIX/share/tilvex), else the folder of the running executable (the build tree).
std::string DataDirectory();

// Reads "Hsl2rgb.tab" from `dir`: up to 65536 little-endian u32; entries past the end of a
// short file stay zero. Fails with kCodeTableMessage when the file cannot be opened.
Result LoadCodeTable(const std::string& dir, CodeTable& codes);
// Reads the first 192 bytes of "6576(ok).act" from `dir` as 64 red, green, blue triplets;
// missing bytes are zero. Fails with kNesTableMessage when the file cannot be opened.
Result LoadNesTable(const std::string& dir, std::array<Rgb, kNesColourCount>& nes);

// Loads both tables from DataDirectory() (or `dir`) and builds the index. On failure the
// tables stay usable (zero where unread) and the result carries the first message; the
// window then asks the application to quit.
Result LoadColourTables(ColourTables& tables);
Result LoadColourTables(ColourTables& tables, const std::string& dir);

// Every colour space but packed RGB looks its colours up in the two tables.
inline bool NeedsColourTables(ColourSpace space) {
  return space != ColourSpace::kRgb4K;
}
// The tables the colour space needs, from DataDirectory(); for packed RGB nothing is read.
Result LoadColourTablesFor(ColourSpace space, ColourTables& tables);

Rgb CodeToRgb(ColourSpace space, const ColourTables& tables, ColourCode code);
ColourCode RgbToCode(ColourSpace space, const ColourTables& tables, Rgb rgb);

// Colour space 1, packed RGB.
ColourCode EncodeRgb4K(Rgb rgb);
Rgb DecodeRgb4K(ColourCode code);

// Nearest code-table entry by the plain scan: candidate code 1 (taken without the validity
// test), then codes 2..65535 that are valid, strictly nearer wins; never code 0.
ColourCode NearestCodeByScan(std::span<const uint32_t> codes, Rgb rgb);
// Nearest of the 64 colours, ties to the lowest index.
ColourCode NearestNesColour(const std::array<Rgb, kNesColourCount>& nes, Rgb rgb);

}  // namespace tilvex
