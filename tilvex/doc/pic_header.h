// PROVISIONAL until the picture buffer's header lands.
#pragma once
#include <cstdint>
namespace tilvex {
struct PicHeader {
  char magic[4];
  char filler[10];
  uint8_t palFirst;
  uint8_t palUsed;
  uint32_t palInfo;
  uint8_t kind;
  uint8_t colourMode;
  uint8_t blockMode;
  uint8_t address;
  uint32_t pntSize;
  uint32_t palSize;
  uint32_t pgtSize;
  uint32_t width;
  uint32_t height;
  uint8_t compressMode;
  uint8_t outSegment;
  uint8_t outLevel;
  uint8_t colourSpace;
  int32_t sectionRows[256];
  int16_t sectionFill[16];
  uint16_t beginAddress;
  uint16_t endAddress;
  uint8_t reserved[12];
};
static_assert(sizeof(PicHeader) == 1120);
}  // namespace tilvex
