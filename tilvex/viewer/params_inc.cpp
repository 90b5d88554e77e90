// Writes the viewer's params.inc from the parameter block Tilvex writes, so that the
// console program reads every value where the preview puts it.
//   tilvex_viewer_params OUTPUT
#include <cstdio>

#include "output/viewer_params.h"

int main(int argc, char** argv) {
  namespace vp = tilvex::viewer_params;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out,
               "; The parameter block Tilvex writes into the image's last 8 KB page, seen at\n"
               "; $E000. Generated from tilvex/output/viewer_params.h: edit that file.\n");
  for (const vp::Field& f : vp::kFields) {
    std::fprintf(out, "%-16s= $%04X     ; %s\n", f.name, vp::CpuAddress(f.offset), f.comment);
  }
  std::fprintf(out, "\nFLAG_12BIT      = $%02X\nFLAG_16COLOURS  = $%02X\n", vp::kFlag12Bit,
               vp::kFlag16Colours);
  const bool written = std::fflush(out) == 0 && !std::ferror(out);
  return std::fclose(out) == 0 && written ? 0 : 1;
}
