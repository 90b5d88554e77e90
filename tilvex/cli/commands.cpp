#include "cli/commands.h"

#include <cstdio>
#include <map>
#include <string>

#include "cli/convert_commands.h"

namespace tilvex::cli {
namespace {

using common::cli::Option;

constexpr std::string_view kSpaces = "hsl|rgb|nes";
constexpr Option kSpace{.name = "--space",
                        .value = kSpaces,
                        .help =
                            "the console colour space: VT03 NEW (4K HSL), TFT RGB (4K RGB) "
                            "or VT03 OLD (64 NES)",
                        .fallback = "hsl"};

constexpr Option kAdaptOptions[] = {
    {.name = "--mode",
     .value = kSpaces,
     .help = "the colour space whose colours the picture is repainted in",
     .required = true},
    {.name = "--output",
     .shortFlag = 'o',
     .value = "OUT.bmp",
     .help = "the BMP file to write",
     .required = true},
};
constexpr Option kReduce{
    .name = "--reduce",
    .help =
        "reduce the colours where an area has too many or the palettes cannot hold them "
        "all, instead of refusing; the background is chosen too unless given"};
constexpr Option kDither{.name = "--dither",
                         .value = "none|ordered|fs",
                         .help =
                             "with --reduce: no dithering, an ordered pattern, or "
                             "Floyd-Steinberg error diffusion",
                         .fallback = "none"};
constexpr Option kConvertOptions[] = {
    {.name = "--output",
     .shortFlag = 'o',
     .value = "OUT.pic",
     .help = "the block-picture file to write",
     .required = true},
    {.name = "--area",
     .value = "X,Y,W,H",
     .help = "the working area, whole blocks (default: the whole picture, rounded up to blocks)"},
    {.name = "--colors", .value = "16|4", .help = "colours per palette", .fallback = "16"},
    {.name = "--block",
     .value = "8x8|8x16|16x8|16x16",
     .help = "the block size in pixels",
     .fallback = "8x8"},
    {.name = "--no-compress", .help = "keep tiles that repeat instead of sharing them"},
    kSpace,
    {.name = "--background",
     .value = "RRGGBB",
     .help = "the background colour, slot 0 of every palette (default: the top left pixel)"},
    {.name = "--begin", .value = "HEX", .help = "the first PGT address", .fallback = "0"},
    {.name = "--end",
     .value = "HEX",
     .help = "the end of the PGT address range",
     .fallback = "2000"},
    {.name = "--palettes",
     .value = "FILE.pal",
     .help = "use the palettes of this palette file instead of analysing the picture"},
    kReduce,
    kDither,
};
constexpr Option kRenderOptions[] = {
    {.name = "--output",
     .shortFlag = 'o',
     .value = "OUT.bmp",
     .help = "the BMP file to write",
     .required = true},
};
constexpr Option kOutputOptions[] = {
    {.name = "--pgt",
     .value = "FILE",
     .help = "the PGT file (tile pixel data) to write",
     .required = true},
    {.name = "--pnt",
     .value = "FILE",
     .help = "the PNT assembler file (name table, attributes, palette) to write",
     .required = true},
    {.name = "--asm", .help = "write the PGT file as assembler text instead of raw bytes"},
    {.name = "--16bit", .help = "write 16-bit name-table entries"},
};
constexpr Option kPreviewOptions[] = {
    {.name = "--config", .value = "N", .help = "the TV display configuration", .fallback = "0"},
    {.name = "--nes",
     .value = "OUT.nes",
     .help = "also write the image as a NES 2.0 file (mapper 256) and show it in an emulator"},
    {.name = "--emulator",
     .value = "PROGRAM",
     .help = "the emulator for --nes (default: MAME's VT03 machine, else FCEUX)"},
    {.name = "--no-run", .help = "with --nes, only write the file"},
};
constexpr Option kPalStepsOptions[] = {
    {.name = "--target",
     .value = "RRGGBB",
     .help = "the colour every step moves towards",
     .required = true},
    {.name = "--level", .value = "N", .help = "the number of steps", .required = true},
    kSpace,
};
constexpr Option kBatchOptions[] = {kSpace, kReduce, kDither};

constexpr Command kCommands[] = {
    {{.name = "adapt",
      .operands = "PICTURE",
      .summary = "Repaints a picture in the colours of a console colour space.",
      .options = kAdaptOptions},
     RunAdapt},
    {{.name = "colours",
      .operands = "PICTURE",
      .summary = "Counts a picture's colours and their console colour codes per colour space."},
     RunColours},
    {{.name = "convert",
      .operands = "PICTURE",
      .summary = "Converts a picture into a block picture and saves it as a .pic file.",
      .options = kConvertOptions},
     RunConvert},
    {{.name = "render",
      .operands = "IN.pic",
      .summary = "Draws a block picture into a BMP file.",
      .options = kRenderOptions},
     RunRender},
    {{.name = "info", .operands = "IN.pic", .summary = "Prints the header of a block picture."},
     RunInfo},
    {{.name = "output",
      .operands = "IN.pic",
      .summary = "Writes a block picture's PGT file and PNT assembler file.",
      .options = kOutputOptions},
     RunOutput},
    {{.name = "preview",
      .operands = "IN.pic",
      .summary = "Patches \"Rom.b00\" from the data folder into \"Rom.b01\" and copies it to the "
                 "test device's drive labelled \"MS1\"; with --nes, shows it in an emulator.",
      .options = kPreviewOptions},
     RunPreview},
    {{.name = "palsteps",
      .operands = "FILE.pal",
      .summary = "Writes \"PALStep.asm\" in the current folder: the palette faded towards a "
                 "colour in steps.",
      .options = kPalStepsOptions},
     RunPalSteps},
    {{.name = "project",
      .operands = "show|output FILE.prg",
      .summary = "Shows a project's tree, or writes its output beside the project file."},
     RunProject},
    {{.name = "batch",
      .operands = "FILE.lst",
      .summary = "Converts the pictures of a list with the palettes of \"ani.pal\" into the "
                 "animation files, in the current folder.",
      .options = kBatchOptions},
     RunBatchCommand},
};

}  // namespace

std::span<const Command> Commands() {
  return kCommands;
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "tilvex-cli: %s\n", text.c_str());
  return common::cli::kExitFailure;
}

int Usage(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.spec.name == name) {
      std::fputs(common::cli::UsageLine("tilvex-cli", command.spec).c_str(), stderr);
    }
  }
  return common::cli::kExitUsage;
}

int BadValue(std::string_view name, const std::string& text) {
  std::fprintf(stderr, "tilvex-cli: %s\n", text.c_str());
  return Usage(name);
}

bool ParseSpace(const std::string& text, uint8_t& space) {
  static const std::map<std::string, uint8_t> kCodes = {{"hsl", 0}, {"rgb", 1}, {"nes", 2}};
  auto found = kCodes.find(text);
  if (found == kCodes.end()) return false;
  space = found->second;
  return true;
}

}  // namespace tilvex::cli
