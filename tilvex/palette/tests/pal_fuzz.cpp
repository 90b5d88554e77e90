// Feeds arbitrary bytes to the palette file reader and writes back what it accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "palette/pal_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<tilvex::SlotTable> table =
      tilvex::ParsePalette(std::span<const uint8_t>(data, size));
  if (table) {
    // What was read writes back to the same 2064 bytes, header text aside.
    const std::vector<uint8_t> bytes = tilvex::PaletteFileBytes(*table);
    if (bytes.size() != tilvex::kPalFileBytes ||
        !std::equal(bytes.begin() + 16, bytes.end(), data + 16)) {
      std::abort();
    }
    tilvex::SlotTable merged;
    tilvex::MergeUsedSlots(*table, merged);
  }
  return 0;
}
