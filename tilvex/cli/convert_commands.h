// tilvex-cli commands over the conversion engine, the .pic file and the output writers.
// They print their own errors ("tilvex-cli: ...") and usage lines, so they link without
// the program's command table.
#pragma once

#include <string_view>

#include "cli/commands.h"

namespace tilvex::cli {

inline constexpr std::string_view kConvertUsage =
    "PICTURE -o OUT.pic [--area X,Y,W,H] [--colors 16|4] [--block 8x8|8x16|16x8|16x16] "
    "[--no-compress] [--space hsl|rgb|nes] [--background RRGGBB] [--begin HEX] [--end HEX] "
    "[--palettes FILE.pal]";
inline constexpr std::string_view kRenderUsage = "IN.pic -o OUT.bmp";
inline constexpr std::string_view kInfoUsage = "IN.pic";
inline constexpr std::string_view kOutputUsage = "IN.pic --pgt FILE --pnt FILE [--asm] [--16bit]";
inline constexpr std::string_view kPreviewUsage = "IN.pic [--config N]";
inline constexpr std::string_view kPalStepsUsage =
    "FILE.pal --target RRGGBB --level N [--space hsl|rgb|nes]";

// Converts a picture into a block picture and saves it as a .pic file.
int RunConvert(Arguments args);
// Draws a .pic file into a BMP file.
int RunRender(Arguments args);
// Prints the long information text of a .pic file.
int RunInfo(Arguments args);
// Writes the PGT file (raw or assembler) and the PNT assembler file of a .pic file.
int RunOutput(Arguments args);
// Patches "Rom.b00" beside the program into "Rom.b01" and copies it to the "MS1" volume.
int RunPreview(Arguments args);
// Writes "PALStep.asm" in the current folder.
int RunPalSteps(Arguments args);

}  // namespace tilvex::cli
