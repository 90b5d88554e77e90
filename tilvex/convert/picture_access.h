// PROVISIONAL adapter over the picture buffer, slot table and colour spaces.
#pragma once
#include <array>
#include <cstdint>
#include <vector>
namespace tilvex {
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};
inline bool ReadPixel(const Picture& p, int x, int y, uint32_t& rgb) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height) return false;
  rgb = p.pixels[static_cast<size_t>(y) * p.width + x];
  return true;
}
inline bool WritePixel(Picture& p, int x, int y, uint32_t rgb) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height) return false;
  p.pixels[static_cast<size_t>(y) * p.width + x] = rgb;
  return true;
}
inline void FillBlack(Picture& p) {
  std::fill(p.pixels.begin(), p.pixels.end(), 0u);
}
struct Slot {
  uint32_t rgb;
  uint32_t used;
};
using SlotTable = std::array<std::array<Slot, 16>, 16>;
inline bool SlotUsed(const SlotTable& t, int p, int s) {
  return t[p][s].used != 0;
}
inline uint32_t SlotRgb(const SlotTable& t, int p, int s) {
  return t[p][s].rgb;
}
inline void SetSlot(SlotTable& t, int p, int s, uint32_t rgb) {
  t[p][s] = {rgb, 1};
}
inline void ClearSlot(SlotTable& t, int p, int s) {
  t[p][s].used = 0;
}
inline void SlotsFromBytes(const uint8_t* b, SlotTable& t) {
  for (int i = 0; i < 256; ++i) {
    const uint8_t* at = b + 8 * i;
    t[i / 16][i % 16] = {static_cast<uint32_t>(at[0] | at[1] << 8 | at[2] << 16 | at[3] << 24),
                         static_cast<uint32_t>(at[4] | at[5] << 8 | at[6] << 16 | at[7] << 24)};
  }
}
struct ColourTables {};
inline uint16_t RgbToCodeIn(const ColourTables&, int, uint32_t rgb) {
  static const int L[16] = {0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 9, 10, 11, 11, 12, 13};
  int r = rgb & 0xFF, g = rgb >> 8 & 0xFF, b = rgb >> 16 & 0xFF;
  return static_cast<uint16_t>(L[r >> 4] | (g & 0x30) | (g & 0xC0) << 2 | (b >> 4) << 10);
}
inline uint32_t CodeToRgbIn(const ColourTables&, int, uint16_t code) {
  static const int R[16] = {0, 16, 32, 48, 64, 96, 112, 128, 144, 160, 176, 208, 224, 240, 0, 0};
  uint32_t r = R[code & 15], g = ((code >> 2) & 0xC0) | (code & 0x30), b = ((code >> 10) & 15) << 4;
  return r | g << 8 | b << 16;
}
}  // namespace tilvex
namespace tilvex {
inline Picture MakeBlankPicture(int w, int h) {
  Picture p;
  p.width = w;
  p.height = h;
  p.pixels.assign(static_cast<size_t>(w) * h, 0xFFFFFF);
  return p;
}
inline int PictureWidth(const Picture& p) {
  return p.width;
}
inline int PictureHeight(const Picture& p) {
  return p.height;
}
}  // namespace tilvex
