// tilvex-cli commands over the conversion engine, the .pic file and the output writers.
#pragma once

#include <optional>

#include "cli/commands.h"
#include "convert/colour_reduction.h"

namespace tilvex::cli {

// --reduce and --dither; a wrong value gives the exit status.
std::optional<int> ReduceFromOptions(const Arguments& args, const char* command,
                                     ReduceOptions& reduce);
// Converts a picture into a block picture and saves it as a .pic file.
int RunConvert(const Arguments& args);
// Draws a .pic file into a BMP file.
int RunRender(const Arguments& args);
// Prints the long information text of a .pic file.
int RunInfo(const Arguments& args);
// Writes the PGT file (raw or assembler) and the PNT assembler file of a .pic file.
int RunOutput(const Arguments& args);
// Patches "Rom.b00" beside the program into "Rom.b01" and copies it to the "MS1" volume.
int RunPreview(const Arguments& args);
// Writes "PALStep.asm" in the current folder.
int RunPalSteps(const Arguments& args);

}  // namespace tilvex::cli
