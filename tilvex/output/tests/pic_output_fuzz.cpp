// Block pictures from any bytes (fitted so that the reader accepts them) through the
// outputs of one picture: the PGT and PNT assembler texts, the 16-bit PGT, and the device
// preview patch of the cartridge template.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "output/block_output.h"
#include "output/preview_image.h"
#include "pic_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tilvex;
  const PicLoad load = FitPicture(data, size);
  if (load.kind != PicLoadKind::kBlockPicture) return 0;
  (void)BankCount(load.picture.header);
  (void)PgtAssemblerText(load.picture.header, load.picture.blocks.pgt, "FUZZ");
  (void)PntAssemblerText(load.picture, "FUZZ");
  (void)InterleaveSixteenBit(load.picture.blocks.pgt);
  static std::vector<uint8_t> image(kPreviewImageSize);
  const int config = size > 0 ? data[size - 1] % kTvDisplayConfigCount : 0;
  (void)PatchPreviewImage(image, load.picture, config);
  return 0;
}
