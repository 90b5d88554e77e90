// Block pictures from any bytes (fitted so that the reader accepts them) as the items of a
// project output: one to three items of the same picture, so that the shared tile file
// runs on from one item's pages to the next.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pic_fuzz_input.h"
#include "project/project_output.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tilvex;
  PicLoad load = FitPicture(data, size);
  if (load.kind != PicLoadKind::kBlockPicture) return 0;
  std::vector<OutputItem> items(1 + load.picture.header.reserved[0] % 3);
  for (size_t i = 0; i < items.size(); ++i) {
    items[i].name = "item" + std::to_string(i);
    items[i].header = load.picture.header;
    items[i].blocks = load.picture.blocks;
  }
  (void)MakeProjectOutput(items);
  return 0;
}
