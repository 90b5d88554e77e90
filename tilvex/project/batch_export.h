#pragma once

// Batch processing: a list of pictures converted one after another with the palettes of
// "ani.pal", gathered into an animation: "ANI.asm" (the frames), "ANIINDEX.asm" (bank and
// name-table references per frame), "ANIPNT%02X.asm" (name tables in 8 KB phases, 32 KB
// files chained with "charge"), "ANIPAL.asm" and "ANIPGT.BIN" (all tiles, in 512 KB
// regions that each begin with 16 KB of sprite patterns from "Sprite_pgt.bin").

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/result.h"
#include "convert/colour_reduction.h"
#include "image/colour_tables.h"

namespace tilvex {
using common::Result;

constexpr uint32_t kRegionBytes = 0x80000;    // one 512 KB region of the tile file
constexpr uint32_t kSpriteAreaBytes = 16384;  // sprite patterns at the start of a region
constexpr uint32_t kSpritePatternBytes = 2048;
constexpr uint32_t kPntPhaseBytes = 8192;
constexpr uint32_t kPntFileBytes = 32768;

constexpr uint32_t kFrameBankBytes = 8192;  // one PGT bank of a 16-colour frame

// What the batch takes from one converted frame.
struct FrameData {
  std::vector<uint8_t> pnt;  // u16 cell codes
  std::vector<uint8_t> pal;  // u16 palette entries
  std::vector<uint8_t> pgt;  // 32 bytes per tile
};

// Converts one picture with the batch settings and the given begin address.
using FrameConverter =
    std::function<Result(const std::string& picturePath, uint16_t beginAddress, FrameData& frame)>;

// The real conversion: load the picture and convert it whole in 16 colours and 8 x 8 blocks
// with the palettes of directory/"ani.pal", read once here for the whole run (without that
// file the palettes are taken as the analysis gathers them).
// With reduce.reduce a frame with too many colours is reduced (to "ani.pal" when there is one).
FrameConverter BatchFrameConverter(std::shared_ptr<const ColourTables> tables,
                                   const std::string& directory, uint8_t colourSpace = 0,
                                   const ReduceOptions& reduce = {});

// Runs the batch in directory. A picture that cannot be converted, or whose tiles need more
// than one PGT bank, is skipped and named in messages; step is called once per list entry
// and may stop the run by returning false, which writes nothing (kBatchStopped). The output
// files are written together at the end.
Result RunBatch(const std::vector<std::string>& pictures, const std::string& directory,
                const FrameConverter& convert, std::vector<std::string>& messages,
                const std::function<bool()>& step = {});

// The detail of the failure a stopped run returns.
inline constexpr const char* kBatchStopped = "the batch was stopped before its end";

// The whitespace-separated words of a ".lst" file, each one picture path.
Result ReadPictureList(const std::string& path, std::vector<std::string>& pictures);

}  // namespace tilvex
