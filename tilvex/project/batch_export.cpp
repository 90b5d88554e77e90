#include "project/batch_export.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "common/file_io.h"
#include "common/gbk.h"
#include "common/translate.h"
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
  const std::string name = common::FileNameOf(path);
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

// The tiles a frame uses: the bytes from its lowest to its highest tile code.
struct TileRange {
  uint32_t start = 0;
  uint32_t end = 0;
};

// Why a converted frame cannot go into the animation; empty when it can.
std::string FrameProblem(const FrameData& frame, TileRange& tiles) {
  const size_t codes = frame.pnt.size() / 2;
  if (codes == 0 || frame.pal.size() < 32) return common::Tr("转换结果为空");
  // The animation keeps one byte of each code: every tile must lie in the first bank.
  if (frame.pgt.size() > kFrameBankBytes) return common::Tr("图块超过一个PGT分区");
  uint8_t first = 0xFF, last = 0;
  for (size_t i = 0; i < codes; ++i) {
    first = std::min(first, frame.pnt[2 * i]);
    last = std::max(last, frame.pnt[2 * i]);
  }
  tiles = {first * uint32_t{kTileBytes}, (last + 1u) * kTileBytes};
  if (frame.pgt.size() < tiles.end) return common::Tr("PGT数据不完整");
  return {};
}

// The animation being gathered: its text files, the tile file and where the next frame's
// tiles and name table go.
class Animation {
 public:
  Animation(const std::string& dir, std::vector<uint8_t> sprites)
      : text(dir), sprites_(std::move(sprites)), pgt_(kSpriteAreaBytes, 0) {
    text["ANI.asm"];
    text["ANIINDEX.asm"];
    text["ANIPAL.asm"];
    text[PntFileName(0)] = kPntFileStart;
    sprites_.resize(kSpritePatternBytes, 0);
    std::copy(sprites_.begin(), sprites_.end(), pgt_.begin());
  }

  // Converts the frame for the current position. A frame whose tiles would cross into the
  // next 512 KB region is converted again at the start of that region, behind its sprite
  // patterns. `skipped` says why a frame is left out; a failure stops the run.
  Result Place(const std::string& path, const FrameConverter& convert, FrameData& frame,
               TileRange& tiles, std::string& skipped) {
    for (int attempt = 0; attempt < kMaxRetries; ++attempt) {
      frame = {};
      const Result r = convert(path, static_cast<uint16_t>(pgtPos_ % kSpritePatternBytes), frame);
      skipped = r ? FrameProblem(frame, tiles) : r.Text();
      if (!skipped.empty()) return Result::Ok();
      const uint32_t after = pgtPos_ - tiles.start + tiles.end;
      if (after / kRegionBytes == pgtPos_ / kRegionBytes) return Result::Ok();
      if (attempt + 1 == kMaxRetries) break;
      const uint32_t region = after / kRegionBytes * kRegionBytes;
      pgt_.resize(region + kSpriteAreaBytes, 0);
      std::copy(sprites_.begin(), sprites_.end(), pgt_.begin() + region);
      pgtPos_ = region + kSpriteAreaBytes;
    }
    return Result::Fail(common::TrFill("图片{0}的图块放不进一个512K的区!", {path}),
                        "a frame's tiles do not fit into one 512 KB region");
  }

  // The frame's name table, palette, tiles and index entry.
  Result Add(const std::string& name, const FrameData& frame, TileRange tiles) {
    uint32_t pntAt = 0;
    if (Result r = AddNameTable(name, frame, pntAt); !r) return r;
    std::string& pal = text["ANIPAL.asm"];
    pal += name + "_pal:\n";
    std::vector<uint8_t> lowBytes, highBytes;
    for (int i = 0; i < 16; ++i) {
      lowBytes.push_back(frame.pal[2 * i]);
      highBytes.push_back(frame.pal[2 * i + 1]);
    }
    AppendDbLines(pal, lowBytes);
    AppendDbLines(pal, highBytes);

    pgt_.resize(pgtPos_ - tiles.start + tiles.end, 0);
    std::copy(frame.pgt.begin() + tiles.start, frame.pgt.begin() + tiles.end,
              pgt_.begin() + pgtPos_);

    std::string& index = text["ANIINDEX.asm"];
    index += name + "_BG:\n";
    index += Format("\tdb\tV_Bank0+$%02X,V_Bank1+$%02X\n", pgtPos_ / kRegionBytes * 16,
                    pgtPos_ / 2048 % 256);
    index += Format("\tdb\tPNT_Bank+$%02X\n", pntAt / kPntPhaseBytes);
    index += "\tdw\t" + name + "_pnt\n";
    text["ANI.asm"] += "\tdw\t" + name + "_BG\n";
    pgtPos_ += tiles.end - tiles.start;
    return Result::Ok();
  }

  // Closes the run: the last name-table file chains to the index, and every file is written.
  Result Finish(const Result& outcome) {
    text[PntFileName(pntFile_)] += "\t\tdph\n\n\t\tcharge\tMindex00.asm\n\n";
    pgt_.resize(pgtPos_);
    if (Result r = text.WriteAll(&pgt_); !r) return r;
    return outcome;
  }

  TextFiles text;

 private:
  // Name tables go in 8 KB phases and 32 KB files; pntAt is where this one begins.
  Result AddNameTable(const std::string& name, const FrameData& frame, uint32_t& pntAt) {
    if (pntCount_ != 0 && pntCount_ % kPntFileBytes == 0) {
      if (pntFile_ == kLastPntFile) {
        return Result::Fail(common::Tr("名称表文件超过了ANIPNTFF.asm!"),
                            "the name tables need more files than ANIPNTFF.asm");
      }
      text[PntFileName(pntFile_)] +=
          "\t\tdph\n\n\n\t\tcharge\t" + PntFileName(pntFile_ + 1) + "\n\n";
      ++pntFile_;
      text[PntFileName(pntFile_)] = kPntFileStart;
    }
    std::string& pntText = text[PntFileName(pntFile_)];
    // The index names the 8 KB bank a frame begins in, which the game maps at $8000 (and
    // the next one after it): the frame's label must count from there. A frame beginning
    // in a later bank than the phase therefore starts a new phase at its place in that
    // bank; at an exact multiple of 8 KB that is "phs $8000". Without it the labels ran
    // on past $FFFF once the name tables outgrew 32 KB.
    const uint32_t bank = pntCount_ / kPntPhaseBytes;
    if (pntCount_ % kPntFileBytes != 0 && bank != phaseBank_) {
      pntText += Format("\t\tdph\n\t\tphs\t$%04X\n", 0x8000 + pntCount_ % kPntPhaseBytes);
    }
    phaseBank_ = bank;
    const size_t cells = frame.pnt.size() / 2;
    std::vector<uint8_t> low(cells);
    for (size_t i = 0; i < cells; ++i) low[i] = frame.pnt[2 * i];
    pntText += name + "_pnt:\n";
    AppendDbLines(pntText, low);
    pntText += "\n";
    pntAt = pntCount_;
    pntCount_ += static_cast<uint32_t>(cells);
    return Result::Ok();
  }

  std::vector<uint8_t> sprites_;
  std::vector<uint8_t> pgt_;
  uint32_t pgtPos_ = kSpriteAreaBytes;
  uint32_t pntCount_ = 0;
  uint32_t phaseBank_ = 0;  // the 8 KB bank the current phase began in
  int pntFile_ = 0;
};

}  // namespace

FrameConverter BatchFrameConverter(std::shared_ptr<const ColourTables> tables,
                                   const std::string& directory, uint8_t colourSpace,
                                   const ReduceOptions& reduce) {
  PaletteChoice palettes;
  SlotTable fixed;
  if (ReadPaletteFile(directory + "/ani.pal", fixed).ok) palettes.fixed = fixed;
  return [tables, palettes, colourSpace, reduce](
             const std::string& picturePath, uint16_t beginAddress, FrameData& frame) -> Result {
    Picture picture;
    if (Result r = DecodePictureFile(picturePath, picture); !r) return r;
    // The batch chooses for itself: the whole picture, 16 colours, 8 x 8 blocks.
    ConversionSettings settings = DefaultSettings(picture);
    settings.colourSpace = colourSpace;
    settings.beginAddress = beginAddress;
    settings.reduce = reduce;
    Conversion converted = ConvertPicture(picture, settings, palettes, *tables);
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
                const std::function<bool()>& step) {
  const std::string dir = directory.empty() ? "." : directory;
  std::vector<uint8_t> sprites;
  // Without the sprite patterns nothing can be made, and the last run's files stay whole.
  if (!ReadFileBytes(dir + "/Sprite_pgt.bin", kSpritePatternBytes, sprites))
    return Result::Fail("Sprite_pgt.bin not found!", "Sprite_pgt.bin cannot be opened");
  Animation animation(dir, std::move(sprites));
  for (const std::string& path : pictures) {
    FrameData frame;
    TileRange tiles;
    std::string skipped;
    const Result placed = animation.Place(path, convert, frame, tiles, skipped);
    if (!placed) return animation.Finish(placed);
    if (step && !step()) return Result::Fail({}, kBatchStopped);
    if (!skipped.empty()) {
      messages.push_back(common::TrFill("图片{0}已跳过: {1}", {path, skipped}));
      continue;
    }
    if (Result added = animation.Add(FrameName(path), frame, tiles); !added) {
      return animation.Finish(added);
    }
  }
  return animation.Finish(Result::Ok());
}

Result ReadPictureList(const std::string& path, std::vector<std::string>& pictures) {
  std::vector<uint8_t> bytes;
  if (Result r = ReadFileBytes(path, kMaxListFile + 1, bytes); !r) {
    return Result::Fail(common::TrFill("无法打开文件{0}!", {path}), r.detail);
  }
  if (bytes.size() > kMaxListFile) {
    return Result::Fail(common::TrFill("文件{0}太大,无法读取!", {path}),
                        path + " is larger than 16 MB");
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
