// The parameter block of the device preview: where Tilvex writes each value into the
// 512 KB image and where the console's picture viewer reads it. The viewer's params.inc
// is generated from this file when the viewer is assembled, so neither side keeps its
// own copy of an offset or a flag.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tilvex::viewer_params {

// Image offsets.
constexpr size_t kPalLow = 0x7E000;    // 128 low bytes of the pens
constexpr size_t kPalHigh = 0x7E080;   // 128 high bytes
constexpr size_t kNamePage = 0x7E100;  // 8 KB page of the name table
constexpr size_t kWidth = 0x7E101;     // width in tiles
constexpr size_t kHeight = 0x7E102;    // height in tiles
constexpr size_t kAttrPage = 0x7E103;  // 8 KB page of the attribute bytes
constexpr size_t kWidth32 = 0x7E104;   // width in 32-pixel squares
constexpr size_t kHeight32 = 0x7E105;  // height in 32-pixel squares
constexpr size_t kFlags = 0x7E106;     // the flags below
constexpr size_t kTvConfig = 0x7E107;  // index into the TV display configurations
constexpr size_t kSections = 0x7E108;  // rows of each tile bank's section less one, 0 ends
constexpr size_t kSectionsEnd = kSections + 16;  // the viewer reads at most 15 entries and the 0
constexpr size_t kViewerCode = 0x7E200;          // the viewer's own code starts here

// The flags are the bits of the VT03's video mode register the viewer stores them in.
constexpr uint8_t kFlag12Bit = 0x80;      // 12-bit palette
constexpr uint8_t kFlag16Colours = 0x02;  // background tiles of 4 bits per pixel

// At power-on the console shows the image's last 16 KB at CPU $C000-$FFFF.
constexpr size_t kImageSize = 0x80000;
constexpr unsigned CpuAddress(size_t offset) {
  return static_cast<unsigned>(offset - (kImageSize - 0x4000) + 0xC000);
}
static_assert(kPalLow >= kImageSize - 0x4000 && kSectionsEnd <= kViewerCode);

// The viewer's names for the fields, in the order params.inc lists them.
struct Field {
  const char* name;
  size_t offset;
  const char* comment;
};
constexpr Field kFields[] = {
    {"PARAM_PAL_LOW", kPalLow, "128 low bytes of the pens"},
    {"PARAM_PAL_HIGH", kPalHigh, "128 high bytes"},
    {"PARAM_NAME_PAGE", kNamePage, "8 KB page of the name table (one byte per 8 x 8 cell)"},
    {"PARAM_WIDTH", kWidth, "width in tiles"},
    {"PARAM_HEIGHT", kHeight, "height in tiles"},
    {"PARAM_ATTR_PAGE", kAttrPage, "8 KB page of the attribute bytes"},
    {"PARAM_FLAGS", kFlags, "FLAG_12BIT, FLAG_16COLOURS"},
    {"PARAM_SECTIONS", kSections, "rows of each tile bank's section less one, 0 ends"},
    {"PARAM_END", kViewerCode, "the viewer's code starts here"},
};

}  // namespace tilvex::viewer_params
