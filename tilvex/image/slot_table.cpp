#include "image/slot_table.h"

namespace tilvex {
namespace {

void PutU32(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
  out[2] = static_cast<uint8_t>(value >> 16);
  out[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t GetU32(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
         static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

}  // namespace

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
