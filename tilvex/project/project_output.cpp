#include "project/project_output.h"

#include <algorithm>
#include <set>

#include "common/translate.h"
#include "doc/file_writes.h"
#include "doc/pic_file.h"
#include "output/asm_text.h"

namespace tilvex {
namespace {

constexpr char kPgtFileName[] = "VT03PGT.BIN";
constexpr char kIrqFileName[] = "VT03IRQ.ASM";
// A full last section writes one page more than its bank holds; that page is filler.
constexpr uint8_t kFiller = 0xFF;

int SectionCount(const PicHeader& h) {
  int k = 0;
  while (k < kSectionRowCount && h.sectionRows[k] != -1) ++k;
  return k;
}

// Bytes one section writes: its filled part rounded up to whole pages.
int64_t SectionLength(const PicHeader& h, int k) {
  return (h.sectionFill[k] / kOutputPageBytes + 1) * int64_t{kOutputPageBytes};
}

// Checks that the filled part of every section the header names lies inside the item's PGT
// block.
std::string CheckItem(const OutputItem& item) {
  const PicHeader& h = item.header;
  if (h.kind != kBlockPictureKind) return common::Tr("不是块图");
  const BlockGeometry g = GeometryOf(h.blockMode);
  const uint64_t cells = item.blocks.pnt.size() / 3;
  if (h.width == 0 || h.height == 0 ||
      uint64_t{h.width / g.width} * (h.height / g.height) != cells ||
      item.blocks.pal.size() < 256) {
    return common::Tr("大小与文件头不符");
  }
  const int64_t sectionBytes = BankBytes(h.colourMode);
  const int64_t skip = h.beginAddress / kOutputPageBytes * kOutputPageBytes;
  for (int k = 0; k < SectionCount(h); ++k) {
    const int64_t length = SectionLength(h, k) - (k == 0 ? skip : 0);
    const int64_t filledEnd = k * sectionBytes + std::max<int64_t>(h.sectionFill[k], 0);
    if (length < 0 || filledEnd > static_cast<int64_t>(item.blocks.pgt.size())) {
      return common::Tr("PGT数据比文件头所说的短");
    }
  }
  return {};
}

// Appends length bytes of the PGT block from start, filler where the block ends.
void AppendSection(const std::vector<uint8_t>& block, int64_t start, int64_t length,
                   std::vector<uint8_t>& pgt) {
  const int64_t held = std::clamp<int64_t>(static_cast<int64_t>(block.size()) - start, 0, length);
  if (held > 0) {
    const auto from = block.begin() + static_cast<ptrdiff_t>(start);
    pgt.insert(pgt.end(), from, from + static_cast<ptrdiff_t>(held));
  }
  pgt.insert(pgt.end(), static_cast<size_t>(length - held), kFiller);
}

// The value for the chip's video mode register that shows the item.
unsigned VideoModeOf(const PicHeader& h) {
  constexpr unsigned kTwelveBitPalette = 0x80, kSixteenColours = 0x02, kNesColours = 2;
  return (h.colourSpace != kNesColours ? kTwelveBitPalette : 0) |
         (h.colourMode == 0 ? kSixteenColours : 0);
}

struct Cursor {
  int bank = 0;         // next page of the tile file
  int64_t written = 0;  // section bytes written, zero pages not counted
};

// Interrupt entries and tile data of one item; returns the table text ("%s_irq:" on).
std::string AppendSections(const OutputItem& item, const std::string& name, Cursor& at,
                           std::vector<uint8_t>& pgt) {
  const PicHeader& h = item.header;
  const int sections = SectionCount(h);
  const int64_t sectionBytes = BankBytes(h.colourMode);
  std::string text = name + "_irq:\n\tdb\t";
  int prev = 0;
  for (int k = 0; k < sections; ++k) {
    const bool hasNext = k + 1 < sections;
    int64_t start = k * sectionBytes;
    int64_t length = SectionLength(h, k);
    if (k == 0) {
      // 16-pixel-wide blocks address tiles in page pairs: start on an even page.
      if ((h.blockMode == 2 || h.blockMode == 3) && at.bank % 2 == 1) {
        pgt.insert(pgt.end(), kOutputPageBytes, 0);
        ++at.bank;
      }
      int64_t skip = h.beginAddress / kOutputPageBytes * kOutputPageBytes;
      start = skip;
      length -= skip;
      AppendSection(item.blocks.pgt, start, length, pgt);
      if (hasNext) {
        text +=
            AsmByte(static_cast<unsigned>(h.sectionRows[1] - prev - 1)) + "," + AsmByte(kIrqLines);
        prev = h.sectionRows[1];
      } else {
        text += "$00," + AsmByte(kIrqLines);
      }
      int page = at.bank;
      for (int i = 0; i < 4; ++i) {
        if (skip != 0) {
          text += ",$FF";
          skip -= kOutputPageBytes;
        } else {
          text += ',';
          text += AsmByte(static_cast<unsigned>(page++));
        }
      }
      if (hasNext) text += "\n\tdb\t";
    } else {
      AppendSection(item.blocks.pgt, start, length, pgt);
      const unsigned rows = hasNext ? static_cast<unsigned>(h.sectionRows[k + 1] - prev - 1) : 0;
      text += AsmByte(rows) + "," + AsmByte(kIrqLines);
      for (int i = 0; i < 4; ++i) {
        text += ',';
        text += AsmByte(static_cast<unsigned>(at.bank + i));
      }
      if (hasNext) {
        text += "\n\tdb\t";
        prev = h.sectionRows[k + 1];
      }
    }
    at.written += length;
    at.bank += static_cast<int>(length / kOutputPageBytes);
  }
  return text;
}

std::string ItemTables(const OutputItem& item, const std::string& name) {
  const PicHeader& h = item.header;
  const BlockData& b = item.blocks;
  const BlockGeometry g = GeometryOf(h.blockMode);
  const size_t cells = b.Cells();
  std::string text = "\n" + name + "_pnt:\n";
  std::vector<uint8_t> codes(cells);
  for (size_t i = 0; i < cells; ++i) codes[i] = static_cast<uint8_t>(b.Code(i));
  AppendDbLines(text, codes);
  text += "\n";

  text += name + "_attrib:\n";
  const int w = static_cast<int>(h.width) / g.width;
  const int hgt = static_cast<int>(h.height) / g.height;
  auto attribute = [&](int y, int x) -> unsigned {
    const int64_t cell = int64_t{y} * w + x;
    return cell < static_cast<int64_t>(cells) ? b.Attribute(static_cast<size_t>(cell)) : 0;
  };
  const int groups = std::max(w / 4, 1);
  for (int r = 0; r < hgt; r += 4) {
    text += "\tdb\t";
    for (int i = 0; i < groups; ++i) {
      const int c = 4 * i;
      const unsigned a = attribute(r, c) | attribute(r, c + 2) << 2 | attribute(r + 2, c) << 4 |
                         attribute(r + 2, c + 2) << 6;
      if (i) text += ',';
      text += AsmByte(a);
    }
    text += "\n";
  }
  text += "\n";

  text += name + "_palette:\n";
  std::vector<uint8_t> pal;
  for (int i = 0; i < 64; ++i) pal.push_back(static_cast<uint8_t>(b.PaletteEntry(i)));
  for (int i = 0; i < 64; ++i) pal.push_back(static_cast<uint8_t>(b.PaletteEntry(i) >> 8));
  AppendDbLines(text, pal);

  // What a player cannot tell from the tables: their shape and the video mode they are for
  // (the mode byte is the chip's: $80 12-bit palette, $02 background in 16 colours).
  text += name + "_info:\n\tdb\t" + AsmByte(static_cast<unsigned>(w)) + "," +
          AsmByte(static_cast<unsigned>(hgt)) + "," + AsmByte(VideoModeOf(h)) + "," +
          AsmByte(h.blockMode) + "\n";
  return text;
}

}  // namespace

std::string ItemFileName(const std::string& itemName) {
  return UpperAscii(itemName) + ".ASM";
}

ProjectOutputFiles MakeProjectOutput(const std::vector<OutputItem>& items) {
  ProjectOutputFiles out;
  Cursor at;
  for (const OutputItem& item : items) {
    if (const std::string problem = CheckItem(item); !problem.empty()) {
      out.messages.push_back(common::TrFill("项目{0}已跳过: {1}!", {item.name, problem}));
      continue;
    }
    const std::string name = UpperAscii(item.name);
    const std::string irq = AppendSections(item, name, at, out.pgt);
    out.irq += irq + "\n";
    out.itemFiles.emplace_back(ItemFileName(item.name), irq + ItemTables(item, name));
  }
  const int64_t pad = (kOutputPadding - at.written % kOutputPadding) % kOutputPadding;
  out.pgt.insert(out.pgt.end(), static_cast<size_t>(pad), 0xFF);
  return out;
}

std::string ProjectFolder(const std::string& projectPath) {
  const size_t slash = projectPath.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : projectPath.substr(0, slash);
}

std::string CheckItemNames(const std::vector<std::string>& names) {
  std::set<std::string> taken = {kPgtFileName, kIrqFileName};
  for (const std::string& name : names) {
    const bool plain = name.find_first_of(std::string("/\\\0", 3)) == std::string::npos &&
                       name.find("..") == std::string::npos;
    if (!plain) return common::TrFill("项目{0}的名称不能用作文件名,输出终止!", {name});
    if (!taken.insert(ItemFileName(name)).second) {
      return common::TrFill("项目{0}的输出文件与其他文件同名,输出终止!", {name});
    }
  }
  return {};
}

Result OutputProject(const ProjectTree& tree, const std::string& folder,
                     std::vector<std::string>& messages, std::vector<std::string>* fileNames) {
  std::vector<const ProjectNode*> records;
  std::vector<std::string> names;
  for (const ProjectTree::Visit& v : tree.PreOrder()) {
    const ProjectNode* r = tree.Record(v.id);
    if (!r || r->valid == 0 || r->kind != kKindItem) continue;
    records.push_back(r);
    names.push_back(r->name);
  }
  // Item names come from the project file: every one must make a plain file name of its
  // own in the folder before anything is replaced.
  if (const std::string refused = CheckItemNames(names); !refused.empty()) {
    return Result::Fail(refused, "an item name cannot be an output file name");
  }
  std::vector<OutputItem> items;
  for (const ProjectNode* r : records) {
    PicLoad load;
    if (!ReadPicFile(r->path, load) || load.kind != PicLoadKind::kBlockPicture) {
      messages.push_back(common::TrFill("项目{0}已跳过: 无法读取块图文件{1}!", {r->name, r->path}));
      continue;
    }
    items.push_back({r->name, load.picture.header, std::move(load.picture.blocks)});
  }
  ProjectOutputFiles files = MakeProjectOutput(items);
  messages.insert(messages.end(), files.messages.begin(), files.messages.end());
  const std::string base = (folder.empty() ? std::string(".") : folder) + "/";
  std::vector<std::string> outputNames = {kPgtFileName, kIrqFileName};
  std::vector<common::FileContents> written;
  written.push_back({base + kPgtFileName, std::move(files.pgt)});
  written.push_back({base + kIrqFileName, TextFileBytes(files.irq)});
  for (const auto& [fileName, text] : files.itemFiles) {
    written.push_back({base + fileName, TextFileBytes(text)});
    outputNames.push_back(fileName);
  }
  if (Result r = WriteOutputFiles(written); !r) return r;
  if (fileNames) *fileNames = std::move(outputNames);
  return Result::Ok();
}

}  // namespace tilvex
