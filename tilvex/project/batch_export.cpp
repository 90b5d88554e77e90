#include "project/batch_export.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "common/file_io.h"
#include "common/gbk.h"
#include "convert/tile_converter.h"
#include "doc/file_writes.h"
#include "doc/pic_file.h"
#include "image/decoder.h"
#include "output/asm_text.h"
#include "palette/pal_file.h"

namespace tilvex {
using common::ReadFileBytes;
namespace {

constexpr size_t kMaxListFile = 16u << 20;
constexpr int kTileBytes = 32;
constexpr int kMaxRetries = 2;  // a frame moves to a fresh region at most once
constexpr int kLastPntFile = 0xFF;

std::string Format(const char* format, unsigned a, unsigned b = 0) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, a, b);
  return buf;
}

std::string FrameName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The batch's text files, kept whole and written at the end (or at a stop), together with
// the tile file when there is one.
class TextFiles {
 public:
  explicit TextFiles(std::string directory) : dir_(std::move(directory)) {}
  std::string& operator[](const std::string& name) {
    if (!files_.count(name)) order_.push_back(name);
    return files_[name];
  }
  Result WriteAll(const std::vector<uint8_t>* pgt = nullptr) const {
    std::vector<common::FileContents> files;
    if (pgt) files.push_back({dir_ + "/ANIPGT.BIN", *pgt});
    for (const std::string& name : order_) {
      files.push_back({dir_ + "/" + name, TextFileBytes(files_.at(name))});
    }
    return WriteOutputFiles(files);
  }

 private:
  std::string dir_;
  std::map<std::string, std::string> files_;
  std::vector<std::string> order_;
};

std::string PntFileName(int number) {
  return Format("ANIPNT%02X.asm", static_cast<unsigned>(number));
}

const char kPntFileStart[] = "\n\n\t\torg\t$8000\n\n\t\tphs\t$8000\n";

}  // namespace

FrameConverter BatchFrameConverter(std::shared_ptr<const ColourTables> tables,
                                   const std::string& directory, uint8_t colourSpace) {
  PaletteChoice palettes;
  SlotTable fixed;
  if (ReadPaletteFile(directory + "/ani.pal", fixed).ok) palettes.fixed = fixed;
  return [tables, palettes, colourSpace](const std::string& picturePath, uint16_t beginAddress,
                                         FrameData& frame) -> Result {
    Picture picture;
    if (Result r = DecodePictureFile(picturePath, picture); !r) return r;
    // The batch fills the header itself: the whole picture, 16 colours, 8 x 8 blocks.
    PicHeader settings = NewPicHeader();
    settings.kind = kBlockPictureKind;
    settings.colourSpace = colourSpace;
    settings.beginAddress = beginAddress;
    settings.endAddress = 0x2000;
    const WorkArea area{0, 0, picture.width - picture.width % 8,
                        picture.height - picture.height % 8};
    Conversion converted =
        ConvertPicture(picture, area, picture.At(0, 0), settings, palettes, *tables);
    if (!converted.status) return converted.status;
    const BlockData& blocks = converted.picture.blocks;
    const auto codesEnd = blocks.pnt.begin() + static_cast<ptrdiff_t>(2 * blocks.Cells());
    frame.pnt.assign(blocks.pnt.begin(), codesEnd);
    frame.pal.assign(blocks.pal.begin(), blocks.pal.begin() + 64);
    frame.pgt = std::move(converted.picture.blocks.pgt);
    return Result::Ok();
  };
}

Result RunBatch(const std::vector<std::string>& pictures, const std::string& directory,
                const FrameConverter& convert, std::vector<std::string>& messages,
                const std::function<void()>& step) {
  const std::string dir = directory.empty() ? "." : directory;
  TextFiles text(dir);
  text["ANI.asm"];
  text["ANIINDEX.asm"];
  text["ANIPAL.asm"];
  text[PntFileName(0)] = kPntFileStart;

  std::vector<uint8_t> sprites;
  if (!ReadFileBytes(dir + "/Sprite_pgt.bin", kSpritePatternBytes, sprites)) {
    if (Result r = text.WriteAll(); !r) return r;  // the files are emptied all the same
    return Result::Fail("Sprite_pgt.bin not found!", "Sprite_pgt.bin cannot be opened");
  }
  sprites.resize(kSpritePatternBytes, 0);
  std::vector<uint8_t> pgt(kSpriteAreaBytes, 0);
  std::copy(sprites.begin(), sprites.end(), pgt.begin());
  uint32_t pgtPos = kSpriteAreaBytes;
  uint32_t pntCount = 0;
  int pntFile = 0;

  // Closes the run: the last name-table file chains to the index, the tiles are written.
  auto finish = [&](Result outcome) -> Result {
    text[PntFileName(pntFile)] += "\t\tdph\n\n\t\tcharge\tMindex00.asm\n\n";
    pgt.resize(pgtPos);
    if (Result r = text.WriteAll(&pgt); !r) return r;
    return outcome;
  };

  for (const std::string& path : pictures) {
    const std::string name = FrameName(path);
    FrameData frame;
    uint32_t tileStart = 0, tileEnd = 0;
    bool converted = false;
    for (int attempt = 0; attempt < kMaxRetries && !converted; ++attempt) {
      frame = {};
      Result r = convert(path, static_cast<uint16_t>(pgtPos % kSpritePatternBytes), frame);
      if (!r) {
        messages.push_back("图片" + path + "已跳过: " + r.Text());
        break;
      }
      const size_t codes = frame.pnt.size() / 2;
      if (codes == 0 || frame.pal.size() < 32) {
        messages.push_back("图片" + path + "已跳过: 转换结果为空");
        break;
      }
      // The animation keeps one byte of each code: every tile must lie in the first bank.
      if (frame.pgt.size() > kFrameBankBytes) {
        messages.push_back("图片" + path + "已跳过: 图块超过一个PGT分区");
        break;
      }
      uint8_t first = 0xFF, last = 0;
      for (size_t i = 0; i < codes; ++i) {
        first = std::min(first, frame.pnt[2 * i]);
        last = std::max(last, frame.pnt[2 * i]);
      }
      tileStart = first * uint32_t{kTileBytes};
      tileEnd = (last + 1u) * kTileBytes;
      if (frame.pgt.size() < tileEnd) {
        messages.push_back("图片" + path + "已跳过: PGT数据不完整");
        break;
      }
      const uint32_t after = pgtPos - tileStart + tileEnd;
      if (after / kRegionBytes == pgtPos / kRegionBytes) {
        converted = true;
      } else if (attempt + 1 == kMaxRetries) {
        return finish(Result::Fail("图片" + path + "的图块放不进一个512K的区!",
                                   "a frame's tiles do not fit into one 512 KB region"));
      } else {
        // The frame would cross into the next region: start that region with its sprite
        // patterns and convert the frame again behind them.
        const uint32_t region = after / kRegionBytes * kRegionBytes;
        pgt.resize(region + kSpriteAreaBytes, 0);
        std::copy(sprites.begin(), sprites.end(), pgt.begin() + region);
        pgtPos = region + kSpriteAreaBytes;
      }
    }
    if (step) step();
    if (!converted) continue;

    // Name table, in 8 KB phases and 32 KB files.
    if (pntCount != 0 && pntCount % kPntFileBytes == 0) {
      if (pntFile == kLastPntFile) {
        return finish(Result::Fail("名称表文件超过了ANIPNTFF.asm!",
                                   "the name tables need more files than ANIPNTFF.asm"));
      }
      text[PntFileName(pntFile)] += "\t\tdph\n\n\n\t\tcharge\t" + PntFileName(pntFile + 1) + "\n\n";
      ++pntFile;
      text[PntFileName(pntFile)] = kPntFileStart;
    }
    std::string& pntText = text[PntFileName(pntFile)];
    if (pntCount % kPntPhaseBytes == 0 && pntCount % kPntFileBytes != 0) {
      pntText += "\t\tdph\n\t\tphs\t$8000\n";
    }
    const size_t cells = frame.pnt.size() / 2;
    std::vector<uint8_t> low(cells);
    for (size_t i = 0; i < cells; ++i) low[i] = frame.pnt[2 * i];
    pntText += name + "_pnt:\n";
    AppendDbLines(pntText, low);
    pntText += "\n";
    const uint32_t pntAt = pntCount;
    pntCount += static_cast<uint32_t>(cells);

    std::string& pal = text["ANIPAL.asm"];
    pal += name + "_pal:\n";
    std::vector<uint8_t> lowBytes, highBytes;
    for (int i = 0; i < 16; ++i) {
      lowBytes.push_back(frame.pal[2 * i]);
      highBytes.push_back(frame.pal[2 * i + 1]);
    }
    AppendDbLines(pal, lowBytes);
    AppendDbLines(pal, highBytes);

    pgt.resize(pgtPos - tileStart + tileEnd, 0);
    std::copy(frame.pgt.begin() + tileStart, frame.pgt.begin() + tileEnd, pgt.begin() + pgtPos);

    std::string& index = text["ANIINDEX.asm"];
    index += name + "_BG:\n";
    index += Format("\tdb\tV_Bank0+$%02X,V_Bank1+$%02X\n", pgtPos / kRegionBytes * 16,
                    pgtPos / 2048 % 256);
    index += Format("\tdb\tPNT_Bank+$%02X\n", pntAt / kPntPhaseBytes);
    index += "\tdw\t" + name + "_pnt\n";
    text["ANI.asm"] += "\tdw\t" + name + "_BG\n";
    pgtPos += tileEnd - tileStart;
  }

  return finish(Result::Ok());
}

Result ReadPictureList(const std::string& path, std::vector<std::string>& pictures) {
  std::vector<uint8_t> bytes;
  if (Result r = ReadFileBytes(path, kMaxListFile + 1, bytes); !r) {
    return Result::Fail("无法打开文件" + path + "!", r.detail);
  }
  if (bytes.size() > kMaxListFile) {
    return Result::Fail("文件" + path + "太大,无法读取!", path + " is larger than 16 MB");
  }
  pictures.clear();
  std::string word;
  auto flush = [&] {
    if (!word.empty()) pictures.push_back(common::GbkToUtf8(word).value_or(word));
    word.clear();
  };
  for (uint8_t c : bytes) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') {
      flush();
    } else {
      word += static_cast<char>(c);
    }
  }
  flush();
  return Result::Ok();
}

}  // namespace tilvex
