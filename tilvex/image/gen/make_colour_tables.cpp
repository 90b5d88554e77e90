// Writes the two colour tables that Tilvex reads beside its executable:
//
//   "Hsl2rgb.tab"   65536 little-endian u32 RGB values, one per 16-bit colour code of the
//                   VT03 extended palette (colour space 0); a non-zero top byte marks a code
//                   that is not a colour.
//   "6576(ok).act"  the 64-colour NES palette as a standard 768-byte colour table: 64
//                   red, green, blue triplets, the rest zero.
//
// Both follow the published facts about the console's video output.
//
// VT03 extended palette. An entry is a low byte and a high byte with 6 bits used in each;
// the colour is c = (high & 0x3F) << 6 | (low & 0x3F). Our code is high << 8 | low, so a code
// with any of bits 6, 7, 14, 15 set names no colour. The fields of c are hue phase (bits
// 0-3), luma (bits 4-7) and chroma (bits 8-11). The chip's documentation advises
// 4 <= 2 x luma + chroma <= 31; codes outside that range are marked as well, so no
// conversion ever picks them. So are the codes whose signal would swing past the ends of
// the luma range, luma < (chroma + 1) / 2 or luma > 15 - chroma / 2: the documentation says
// nothing of them, and the emulators (MAME's VT03 video, after EmuVT) show them wrapped
// round to another phase, chroma and luma, so a dark red there comes out bright cyan. The
// model keeps their colour for files that already hold one. A colour is modelled as a YUV
// signal:
//   Y = (luma - 4) / 9.625, C = chroma / 18.975, angle = ((phase - 2) x 30 - 11) degrees;
//   phase 0 and phases above 12 carry no colour (C = 0); phase 0 adds chroma / 18.975 to Y,
//   phase 13 subtracts it, phases 14 and 15 are black (Y = 0).
//   V = sin(angle) C 1.05, U = cos(angle) C 1.05;
//   R = Y + 1.14 V, G = Y - 0.5807 V - 0.394 U, B = Y + 2.029 U,
// each clamped to 0..1 and scaled to 0..255, rounded to the nearest step.
//
// 64-colour NES palette. Index bits 4-5 are the intensity i, bits 0-3 the hue h. Luma y by
// hue: h = 0: {0.50, 0.75, 1.0, 1.0}[i]; h = 1..12: {0.29, 0.45, 0.73, 0.90}[i];
// h = 13: {0, 0.24, 0.47, 0.77}[i]; h = 14, 15: 0. For h = 1..12 the hue angle is
// (h x 30 + 287) degrees with u = 0.22 cos(angle), v = 0.22 sin(angle); other hues are grey.
//   R = y + 1.140 v, G = y - (0.1145 x 2.029 u + 0.2989 x 1.140 v) / (1 - 0.1145 - 0.2989),
//   B = y + 2.029 u, each x 255, rounded and clamped to 0..255.
//
// Usage: tilvex_make_tables OUTPUT-FOLDER

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/file_io.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kNotAColour = 0xFF000000;

uint32_t Channel(double level) {
  return static_cast<uint32_t>(std::lround(std::clamp(level, 0.0, 1.0) * 255.0));
}

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
  return r | g << 8 | b << 16;
}

uint32_t ExtendedEntry(uint32_t code) {
  const uint32_t low = code & 0xFF, high = code >> 8;
  const uint32_t c = (high & 0x3F) << 6 | (low & 0x3F);
  const int phase = static_cast<int>(c & 15);
  const int luma = static_cast<int>(c >> 4 & 15);
  const int chroma = static_cast<int>(c >> 8 & 15);

  double y = (luma - 4) / 9.625;
  double saturation = chroma / 18.975;
  if (phase == 0) y += saturation;
  if (phase == 13) y -= saturation;
  if (phase >= 14) y = 0;
  if (phase == 0 || phase > 12) saturation = 0;
  const double angle = ((phase - 2) * 30 - 11) * kPi / 180.0;
  const double v = std::sin(angle) * saturation * 1.05;
  const double u = std::cos(angle) * saturation * 1.05;
  const uint32_t rgb =
      Rgb(Channel(y + 1.14 * v), Channel(y - 0.5807 * v - 0.394 * u), Channel(y + 2.029 * u));

  const bool unusedBits = (code & 0xC0C0) != 0;
  const int drive = 2 * luma + chroma;
  const bool wraps = luma < (chroma + 1) / 2 || luma > 15 - chroma / 2;
  if (unusedBits || drive < 4 || drive > 31 || wraps) return kNotAColour | rgb;
  return rgb;
}

uint8_t Rounded(double level) {
  return static_cast<uint8_t>(std::clamp(std::lround(level * 255.0), 0L, 255L));
}

void NesEntry(int index, uint8_t* out) {
  static const double kLumaGrey[4] = {0.50, 0.75, 1.0, 1.0};
  static const double kLumaColour[4] = {0.29, 0.45, 0.73, 0.90};
  static const double kLumaDark[4] = {0.0, 0.24, 0.47, 0.77};
  const int i = index >> 4 & 3, h = index & 15;
  const double y = h == 0 ? kLumaGrey[i] : h <= 12 ? kLumaColour[i] : h == 13 ? kLumaDark[i] : 0;
  double u = 0, v = 0;
  if (h >= 1 && h <= 12) {
    const double angle = (h * 30 + 287) * kPi / 180.0;
    u = 0.22 * std::cos(angle);
    v = 0.22 * std::sin(angle);
  }
  out[0] = Rounded(y + 1.140 * v);
  out[1] = Rounded(y - (0.1145 * 2.029 * u + 0.2989 * 1.140 * v) / (1 - 0.1145 - 0.2989));
  out[2] = Rounded(y + 2.029 * u);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  return common::WriteFileReplacing(path, bytes).ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";

  std::vector<uint8_t> codeTable(65536 * 4);
  for (uint32_t code = 0; code < 65536; ++code) {
    const uint32_t entry = ExtendedEntry(code);
    for (int b = 0; b < 4; ++b) codeTable[code * 4 + b] = static_cast<uint8_t>(entry >> (8 * b));
  }
  std::vector<uint8_t> act(768, 0);
  for (int i = 0; i < 64; ++i) NesEntry(i, act.data() + 3 * i);

  if (!WriteFile(dir + "Hsl2rgb.tab", codeTable) || !WriteFile(dir + "6576(ok).act", act)) {
    std::fprintf(stderr, "cannot write the colour tables into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
