#include "image/slot_table.h"
#include "common/le_bytes.h"

namespace tilvex {
using common::GetU32;
using common::PutU32;
void WriteSlotTable(const SlotTable& table, std::span<uint8_t, kSlotTableBytes> out) {
  for (int i = 0; i < kSlotCount; ++i) {
    PutU32(out.data() + i * 8, table.slots[i].rgb);
    PutU32(out.data() + i * 8 + 4, table.slots[i].used);
  }
}

SlotTable ReadSlotTable(std::span<const uint8_t, kSlotTableBytes> bytes) {
  SlotTable table;
  for (int i = 0; i < kSlotCount; ++i) {
    table.slots[i].rgb = GetU32(bytes.data() + i * 8);
    table.slots[i].used = GetU32(bytes.data() + i * 8 + 4);
  }
  return table;
}

}  // namespace tilvex
