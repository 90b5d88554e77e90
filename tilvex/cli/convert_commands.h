// tilvex-cli commands over the conversion engine, the .pic file and the output writers.
// Each takes the words after the command name and returns the process exit code.
#pragma once

namespace tilvex {

// convert PICTURE -o OUT.pic [--area X,Y,W,H] [--colors 16|4] [--block 8x8|8x16|16x8|16x16]
//   [--no-compress] [--space hsl|rgb|nes] [--background RRGGBB] [--begin HEX] [--end HEX]
//   [--palettes FILE.pal]
int RunConvertCommand(int argc, char** argv);
// render IN.pic -o OUT.bmp
int RunRenderCommand(int argc, char** argv);
// info IN.pic
int RunInfoCommand(int argc, char** argv);
// output IN.pic --pgt FILE --pnt FILE [--asm] [--16bit]
int RunOutputCommand(int argc, char** argv);
// preview IN.pic [--config N]
int RunPreviewCommand(int argc, char** argv);
// palsteps FILE.pal --target RRGGBB --level N [--space hsl|rgb|nes]
int RunPalStepsCommand(int argc, char** argv);

}  // namespace tilvex
