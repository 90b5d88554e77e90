#include "output/block_output.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "common/translate.h"
#include "doc/file_writes.h"
#include "output/asm_text.h"

namespace tilvex {
namespace {

constexpr int kScreenWidth = 256;
constexpr int kStepSlots = 64;  // palettes 0..3

void Appendf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Appendf(std::string& out, const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n > 0) out.append(buffer, std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
}

// Four lines of 16 byte values each.
void AppendByteLines(std::string& out, const uint8_t* bytes, int count) {
  for (int i = 0; i < count; ++i) {
    out += (i % 16 == 0) ? "\tdb\t" : ",";
    Appendf(out, "$%02X", bytes[i]);
    if (i % 16 == 15) out += "\n";
  }
}

// Attribute of cell index, 0 past the end of the attribute array.
int AttributeAt(const BlockData& blocks, size_t index) {
  return index < blocks.Cells() ? blocks.Attribute(index) : 0;
}

}  // namespace

std::string LabelOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = title.rfind('.');
  if (dot != std::string::npos) title.resize(dot);
  title = GbkOrQuestionMarks(title);
  bool lead = false;  // inside a two-byte GBK character nothing is upper-cased
  for (char& c : title) {
    auto u = static_cast<unsigned char>(c);
    if (lead) {
      lead = false;
    } else if (u >= 0x81) {
      lead = true;
    } else if (u >= 'a' && u <= 'z') {
      c = static_cast<char>(u - 'a' + 'A');
    }
  }
  return title;
}

std::vector<uint8_t> InterleaveSixteenBit(const std::vector<uint8_t>& pgt) {
  std::vector<uint8_t> out = pgt;
  for (size_t group = 0; group + 32 <= pgt.size(); group += 32) {
    for (size_t i = 0; i < 16; ++i) {
      out[group + 2 * i] = pgt[group + i];
      out[group + 2 * i + 1] = pgt[group + 16 + i];
    }
  }
  return out;
}

int BankCount(const PicHeader& header) {
  int banks = 1;
  for (int k = 1; k < kMaxSectionRows && header.sectionRows[k] != -1; ++k) ++banks;
  return banks;
}

std::string PgtAssemblerText(const PicHeader& header, const std::vector<uint8_t>& pgt,
                             const std::string& label) {
  std::string out;
  const size_t bankBytes = static_cast<size_t>(BankBytes(header.colourMode));
  const int blockBytes = BytesPerBlock(header.colourMode, header.blockMode);
  const int banks = std::min(BankCount(header), kMaxPgtBanks);
  for (int b = 0; b < banks; ++b) {
    Appendf(out, "%s_bank%d_pgt:\n", label.c_str(), b);
    const size_t start = static_cast<size_t>(b) * bankBytes;
    // The fill length comes from the file: never read past the bank or the block.
    size_t fill = static_cast<size_t>(std::max<int>(0, header.sectionFill[b]));
    fill = std::min(fill, bankBytes);
    fill = start < pgt.size() ? std::min(fill, pgt.size() - start) : 0;
    for (size_t i = 0; i < fill; ++i) {
      if (i % 16 == 0) out += "\tdb\t";
      Appendf(out, "$%02X", pgt[start + i]);
      if (i % 16 == 15) {
        int block = static_cast<int>(i) / blockBytes;
        Appendf(out, "\t;%02X(%03d)\n", block, block);
      } else {
        out += ",";
      }
    }
    out += "\n";
  }
  return out;
}

namespace {

// The name table and the attribute table of one 256-pixel screen column.
void AppendScreenTables(std::string& out, const BlockPicture& picture, const char* t, int s) {
  const PicHeader& header = picture.header;
  const BlockData& blocks = picture.blocks;
  const BlockGeometry g = GeometryOf(header.blockMode);
  const int w = static_cast<int>(header.width) / g.width;
  const int h = static_cast<int>(header.height) / g.height;
  const int perLine = kScreenWidth / g.width;
  const size_t cells = blocks.Cells();
  const int c0 = kScreenWidth * s / g.width;
  Appendf(out, "%s_pnt%d:\n", t, s);
  for (int r = 0; r < h; ++r) {
    out += "\tdb\t";
    for (int c = c0, count = 0; c < w && count < perLine; ++c, ++count) {
      size_t cell = static_cast<size_t>(r) * w + c;
      if (count > 0) out += ",";
      Appendf(out, "$%02X", cell < cells ? blocks.Code(cell) & 0xFF : 0);
    }
    out += "\n";
  }
  out += "\n";

  Appendf(out, "%s_attrib%d:\n", t, s);
  for (int r = 0; r < h; r += 4) {
    out += "\tdb\t";
    for (int c = c0, count = 0;; c += 4) {
      auto at = [&](int row, int col) { return static_cast<size_t>(row) * w + col; };
      int value = AttributeAt(blocks, at(r, c)) | AttributeAt(blocks, at(r, c + 2)) << 2;
      if (at(r + 2, c + 2) < cells) {
        value |= AttributeAt(blocks, at(r + 2, c)) << 4 | AttributeAt(blocks, at(r + 2, c + 2))
                                                              << 6;
      }
      if (count > 0) out += ",";
      Appendf(out, "$%02X", value & 0xFF);
      ++count;
      if (count >= perLine / 4 || c0 / 4 + count >= w / 4) break;
    }
    out += "\n";
  }
  out += "\n";
}

}  // namespace

std::string PntAssemblerText(const BlockPicture& picture, const std::string& label) {
  const PicHeader& header = picture.header;
  const BlockData& blocks = picture.blocks;
  const char* t = label.c_str();
  const int screens = (static_cast<int>(header.width) + kScreenWidth - 1) / kScreenWidth;
  std::string out;

  Appendf(out, "%s:\n\tdw\t%s_irq\n\tdw\t%s_palette\n", t, t, t);
  for (int s = 0; s < screens; ++s) Appendf(out, "\tdw\t%s_pnt%d\n\tdw\t%s_attrib%d\n", t, s, t, s);

  // Bank switches: picture rows between consecutive bank starts, less one.
  Appendf(out, "%s_irq:\n", t);
  if (header.sectionRows[1] != -1) {
    out += "\tdb\t";
    for (int k = 1; k < kMaxSectionRows && header.sectionRows[k] != -1; ++k) {
      if (k > 1) out += ",";
      Appendf(out, "$%02X",
              static_cast<uint32_t>(header.sectionRows[k] - header.sectionRows[k - 1] - 1));
    }
  }
  out += "\n";

  Appendf(out, "%s_palette:\n", t);
  uint8_t low[kStepSlots], high[kStepSlots];
  for (int i = 0; i < kStepSlots; ++i) {
    uint16_t code = 2 * i + 1 < static_cast<int>(blocks.pal.size()) ? blocks.PaletteEntry(i) : 0;
    low[i] = static_cast<uint8_t>(code);
    high[i] = static_cast<uint8_t>(code >> 8);
  }
  AppendByteLines(out, low, kStepSlots);
  AppendByteLines(out, high, kStepSlots);

  for (int s = 0; s < screens; ++s) AppendScreenTables(out, picture, t, s);
  return out;
}

Result WriteBlockOutput(const BlockPicture& picture, const std::string& pgtPath,
                        const std::string& pntPath, bool assembler, bool sixteenBit,
                        Progress& progress) {
  ProgressScope scope(progress, 0, 3, 1);
  const std::vector<uint8_t>& raw = picture.blocks.pgt;
  std::vector<uint8_t> pgt = sixteenBit ? InterleaveSixteenBit(raw) : raw;

  progress.SetText(common::Tr("输出PGT..."));
  if (assembler) {
    const std::string text = ToCrlf(PgtAssemblerText(picture.header, pgt, LabelOf(pgtPath)));
    pgt.assign(text.begin(), text.end());
  }
  progress.SetText(common::Tr("输出PNT..."));
  progress.Step();
  const std::string text = ToCrlf(PntAssemblerText(picture, LabelOf(pntPath)));
  progress.SetText(common::Tr("输出Palette..."));
  progress.Step();
  const common::FileContents files[] = {{pgtPath, std::move(pgt)},
                                        {pntPath, std::vector<uint8_t>(text.begin(), text.end())}};
  if (Result written = WriteOutputFiles(files); !written.ok) return written;
  progress.SetText(common::Tr("输出Attrib..."));
  progress.Step();
  return Result::Ok();
}

std::string PaletteStepsText(const SlotTable& palettes, Rgb target, int levels,
                             const std::function<uint16_t(Rgb)>& rgbToCode) {
  std::string out;
  for (int k = 0; k < levels; ++k) {
    uint8_t low[kStepSlots], high[kStepSlots];
    for (int i = 0; i < kStepSlots; ++i) {
      const Slot& slot = palettes.slots[size_t(i)];
      Rgb rgb = target;
      if (slot.used != 0) {
        rgb = 0;
        for (int shift = 0; shift < 24; shift += 8) {
          const int c = static_cast<int>(slot.rgb >> shift & 0xFF);
          const int t = static_cast<int>(target >> shift & 0xFF);
          const int v = c + ((t - c) / levels) * k;
          rgb |= static_cast<uint32_t>(v & 0xFF) << shift;
        }
      }
      const uint16_t code = rgbToCode(rgb);
      low[i] = static_cast<uint8_t>(code);
      high[i] = static_cast<uint8_t>(code >> 8);
    }
    AppendByteLines(out, low, kStepSlots);
    out += "\n\n";
    AppendByteLines(out, high, kStepSlots);
    out += "\n\n;==============================================\n";
  }
  return out;
}

Result WritePaletteSteps(const SlotTable& palettes, Rgb target, int levels,
                         const std::function<uint16_t(Rgb)>& rgbToCode,
                         const std::string& directory) {
  if (levels < kMinPaletteLevels || levels > kMaxPaletteLevels) {
    return Result::Fail(common::Tr(kPaletteLevelsMessage), "the level count must lie in 1..255");
  }
  const std::string path = (directory.empty() ? std::string() : directory + "/") + "PALStep.asm";
  const std::string text = ToCrlf(PaletteStepsText(palettes, target, levels, rgbToCode));
  return WriteOutputFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace tilvex
