#include "output/preview_image.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/data_dirs.h"
#include "common/file_io.h"
#include "common/nes_header.h"
#include "common/translate.h"
#include "doc/file_writes.h"
#include "image/colour_tables.h"
#include "output/viewer_params.h"

namespace tilvex {
using common::ReadFileBytes;

const std::array<const char*, kTvDisplayConfigCount> kTvDisplayConfigs = {
    "a15al1p0", "a15an2n1",   "a15an2p0",   "a15bl1n0",   "a15bl2n0",   "a18an3n0",
    "a18an3n1", "a18an3p2",   "a18an32p",   "a20bl1p0",   "a20cn1n0",   "a21bl1n1",
    "a21bl1p0", "a25bl0n0",   "a25cn1n0",   "a15an4n2",   "a15an4n3",   "a15an4p0",
    "a15an4p1", "A025BL00P1", "A025BN01P0", "A025DL01N0", "A020BD01P0", "A027DL01NO",
    "TD20P0",   "TD25N0",     "G24164N0",   "G24164N1",   "G24164N2",   "G24164N3"};

namespace {

using namespace viewer_params;
static_assert(kPreviewDataLimit == kPalLow && kPreviewImageSize == kImageSize);
// A picture's banks, less the first, and the closing zero fit below the viewer's code.
static_assert(kSections + kMaxPgtBanks <= kSectionsEnd);
constexpr size_t kPage = 0x2000;

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

size_t RoundUpToPage(size_t n) {
  return (n + kPage - 1) / kPage * kPage;
}

// Undoes the escapes /proc/self/mounts uses for blanks in paths.
std::string UnescapeMountPath(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size()) {
      out += static_cast<char>(std::strtol(text.substr(i + 1, 3).c_str(), nullptr, 8));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::vector<Volume> MountedVolumes::ListVolumes() {
  // Labels are published as links under /dev/disk/by-label; match them to mounted devices.
  std::vector<Volume> volumes;
  std::ifstream mounts("/proc/self/mounts");
  std::string line;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string device, mountPoint;
    if (!(fields >> device >> mountPoint) || device.rfind("/dev/", 0) != 0) continue;
    char resolvedDevice[PATH_MAX];
    if (!realpath(device.c_str(), resolvedDevice)) continue;
    std::string labelLink = std::string("/dev/disk/by-label/") + kDeviceVolumeLabel;
    char resolvedLabel[PATH_MAX];
    if (realpath(labelLink.c_str(), resolvedLabel) &&
        std::string(resolvedLabel) == resolvedDevice) {
      volumes.push_back({UnescapeMountPath(mountPoint), kDeviceVolumeLabel});
    } else {
      volumes.push_back({UnescapeMountPath(mountPoint), std::string()});
    }
  }
  return volumes;
}

std::string FindDeviceRoot(VolumeLister& volumes) {
  for (const Volume& volume : volumes.ListVolumes()) {
    if (volume.label == kDeviceVolumeLabel) return volume.root;
  }
  return std::string();
}

namespace {

// The viewer works in 8 x 8 tiles, the console's own unit: the name table holds one tile
// number per tile and the attributes one palette per 16 x 16 quadrant. In "8*8" mode a
// cell is a tile; larger blocks are spread over their tiles here, so every block mode
// shows as converted.
struct PreviewLayout {
  BlockGeometry g;
  size_t cells, w, h;            // cells per row and per column
  size_t tilesW, tilesH, tiles;  // the same in tiles
  size_t pgtSize, p, a, attributeStride, end;
};

PreviewLayout LayoutOf(const BlockPicture& picture) {
  PreviewLayout l{};
  l.g = GeometryOf(picture.header.blockMode);
  l.w = picture.header.width / l.g.width;
  l.h = picture.header.height / l.g.height;
  l.cells = picture.blocks.Cells();
  l.tilesW = l.w * (l.g.width / 8);
  l.tilesH = l.h * (l.g.height / 8);
  l.tiles = std::min(l.tilesW * l.tilesH, l.cells * (l.g.width / 8) * (l.g.height / 8));
  l.pgtSize = picture.blocks.pgt.size();
  l.p = RoundUpToPage(l.pgtSize);
  l.a = RoundUpToPage(l.p + l.tiles);
  // A partial group of columns at the right keeps its byte: with w / 4 the viewer would
  // show palette 0 for the last columns of a picture whose width is no multiple of 32.
  l.attributeStride = (l.tilesW + 3) / 4;
  l.end = std::max(l.p + l.tiles, l.a + (l.tilesH + 3) / 4 * l.attributeStride);
  return l;
}

// The cell that tile (row, column) belongs to, or -1 outside the picture.
long CellOfTile(const PreviewLayout& l, size_t row, size_t column) {
  if (row >= l.tilesH || column >= l.tilesW) return -1;
  const size_t cell = row / (l.g.height / 8) * l.w + column / (l.g.width / 8);
  return cell < l.cells ? static_cast<long>(cell) : -1;
}

}  // namespace

constexpr int kDevicePalettes = 4;

size_t PreviewDataSize(const BlockPicture& picture) {
  return LayoutOf(picture).end;
}

Result CheckPreviewFits(const BlockPicture& picture) {
  const size_t size = PreviewDataSize(picture);
  if (size <= kPreviewDataLimit) return Result::Ok();
  auto hex = [](size_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%zX", value);
    return std::string(text);
  };
  return Result::Fail(
      common::TrFill("图片数据需要 {0} 字节(0x{1}),超出预览映像可用的 {2} 字节(0x{3}),预览终止!",
                     {std::to_string(size), hex(size), std::to_string(kPreviewDataLimit),
                      hex(kPreviewDataLimit)}));
}

std::string PreviewPaletteWarning(const BlockPicture& picture) {
  const BlockData& blocks = picture.blocks;
  int used = 0;
  for (size_t cell = 0; cell < blocks.Cells(); ++cell)
    used = std::max(used, blocks.Attribute(cell) + 1);
  if (used <= kDevicePalettes) return {};
  return common::TrFill(
      "图片用到{0}个调色板,主机一次只能显示4个:用调色板5到16的区域在预览中显示为别的颜色。",
      {std::to_string(used)});
}

namespace {

// Name table and attributes per tile; a block's sub-tiles lie left to right, then top to
// bottom, from its code's tile.
void PatchTiles(std::vector<uint8_t>& image, const PreviewLayout& l, const BlockData& blocks) {
  const size_t blockW = static_cast<size_t>(l.g.width / 8);
  const size_t blockH = static_cast<size_t>(l.g.height / 8);
  const size_t tilesPerCode = static_cast<size_t>(l.g.codeUnit / 64);
  for (size_t r = 0; r < l.tilesH; ++r) {
    for (size_t c = 0; c < l.tilesW; ++c) {
      const long cell = CellOfTile(l, r, c);
      if (cell < 0) continue;
      const size_t tile =
          blocks.Code(static_cast<size_t>(cell)) * tilesPerCode + r % blockH * blockW + c % blockW;
      image[l.p + r * l.tilesW + c] = static_cast<uint8_t>(tile);
    }
  }
  auto at = [&](size_t r, size_t c) -> int {
    const long cell = CellOfTile(l, r, c);
    return cell < 0 ? 0 : blocks.Attribute(static_cast<size_t>(cell));
  };
  size_t out = l.a;
  for (size_t r = 0; r < l.tilesH; r += 4) {
    for (size_t c = 0; c < 4 * l.attributeStride; c += 4) {
      int value = at(r, c) | at(r, c + 2) << 2 | at(r + 2, c) << 4 | at(r + 2, c + 2) << 6;
      image[out++] = static_cast<uint8_t>(value);
    }
  }
}

// Pen (v & 3) + 4a + 32 (v >> 2) of the 12-bit palette holds slot v of palette a.
void PatchPalettes(std::vector<uint8_t>& image, const BlockData& blocks) {
  auto entry = [&](size_t i) -> uint16_t {
    return 2 * i + 1 < blocks.pal.size() ? blocks.PaletteEntry(i) : 0xFFFF;
  };
  std::fill(image.begin() + kPalLow, image.begin() + kPalLow + 128, static_cast<uint8_t>(entry(0)));
  std::fill(image.begin() + kPalHigh, image.begin() + kPalHigh + 128,
            static_cast<uint8_t>(entry(0) >> 8));
  for (size_t q = 0; q < 4; ++q) {
    for (size_t pal = 0; pal < 4; ++pal) {
      for (size_t s = 0; s < 4; ++s) {
        uint16_t code = entry(16 * pal + 4 * q + s);
        image[kPalLow + 32 * q + 4 * pal + s] = static_cast<uint8_t>(code);
        image[kPalHigh + 32 * q + 4 * pal + s] = static_cast<uint8_t>(code >> 8);
      }
    }
  }
}

}  // namespace

Result PatchPreviewImage(std::vector<uint8_t>& image, const BlockPicture& picture,
                         int configIndex) {
  const PicHeader& header = picture.header;
  if (image.size() != kPreviewImageSize) return Result::Fail("Open Rom.b00 Error!");
  if (Result fits = CheckPreviewFits(picture); !fits.ok) return fits;
  const PreviewLayout l = LayoutOf(picture);
  std::copy(picture.blocks.pgt.begin(), picture.blocks.pgt.end(), image.begin());
  PatchTiles(image, l, picture.blocks);
  PatchPalettes(image, picture.blocks);

  image[kNamePage] = static_cast<uint8_t>(l.p / kPage);
  image[kWidth] = static_cast<uint8_t>(header.width / 8);
  image[kHeight] = static_cast<uint8_t>(header.height / 8);
  image[kAttrPage] = static_cast<uint8_t>(l.a / kPage);
  image[kWidth32] = static_cast<uint8_t>(header.width / 32);
  image[kHeight32] = static_cast<uint8_t>(header.height / 32);
  image[kFlags] = static_cast<uint8_t>((header.colourSpace != 2 ? kFlag12Bit : 0) |
                                       (header.colourMode == 0 ? kFlag16Colours : 0));
  image[kTvConfig] = static_cast<uint8_t>(configIndex);
  size_t next = kSections;
  for (int k = 1; k < kMaxPgtBanks && header.sectionRows[k] != -1; ++k) {
    image[next++] = static_cast<uint8_t>(header.sectionRows[k] - header.sectionRows[k - 1] - 1);
  }
  image[next] = 0;
  return Result::Ok();
}

Result BuildPreviewImage(const BlockPicture& picture, int configIndex,
                         const PreviewFolders& folders, VolumeLister& volumes,
                         PreviewResult* result) {
  if (Result fits = CheckPreviewFits(picture); !fits.ok) return fits;
  const std::string templatePath = JoinPath(folders.templateDir, "Rom.b00");
  std::vector<uint8_t> image;
  if (!ReadFileBytes(templatePath, kPreviewImageSize, image).ok ||
      image.size() != kPreviewImageSize) {
    return Result::Fail("Open Rom.b00 Error!\n" + templatePath);
  }
  Result patched = PatchPreviewImage(image, picture, configIndex);
  if (!patched.ok) return patched;
  const std::string imagePath = JoinPath(folders.outputDir, "Rom.b01");
  Result written = WriteOutputFile(imagePath, image);
  if (!written.ok) return written;

  std::string target;
  if (std::string root = FindDeviceRoot(volumes); !root.empty()) {
    target = JoinPath(root, "ROM.BIN");
    written = WriteOutputFile(target, image);
    if (!written.ok) return written;
  }
  if (result) *result = {imagePath, target, std::move(image)};
  return Result::Ok();
}

std::vector<uint8_t> PreviewNesFile(const std::vector<uint8_t>& image) {
  const std::array<uint8_t, 16> header = common::Mapper256Header(image.size());
  std::vector<uint8_t> file(header.size() + image.size());
  std::copy(header.begin(), header.end(), file.begin());
  std::copy(image.begin(), image.end(), file.begin() + header.size());
  return file;
}

std::string PreviewOutputDirectory() {
  const char* env = std::getenv("TILVEX_DIR");
  if ((env && *env) || common::InstalledDataDirectory("tilvex").empty()) return DataDirectory();
  std::string user = common::UserDataDirectory("tilvex");
  if (user.empty()) return ".";
  std::error_code ignored;
  std::filesystem::create_directories(user, ignored);
  return user;
}

}  // namespace tilvex
