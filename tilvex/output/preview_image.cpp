#include "output/preview_image.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/file_io.h"
#include "common/translate.h"
#include "doc/file_writes.h"

namespace tilvex {
using common::ReadFileBytes;

const std::array<const char*, kTvDisplayConfigCount> kTvDisplayConfigs = {
    "a15al1p0", "a15an2n1",   "a15an2p0",   "a15bl1n0",   "a15bl2n0",   "a18an3n0",
    "a18an3n1", "a18an3p2",   "a18an32p",   "a20bl1p0",   "a20cn1n0",   "a21bl1n1",
    "a21bl1p0", "a25bl0n0",   "a25cn1n0",   "a15an4n2",   "a15an4n3",   "a15an4p0",
    "a15an4p1", "A025BL00P1", "A025BN01P0", "A025DL01N0", "A020BD01P0", "A027DL01NO",
    "TD20P0",   "TD25N0",     "G24164N0",   "G24164N1",   "G24164N2",   "G24164N3"};

namespace {

constexpr size_t kPalLow = 0x7E000;
constexpr size_t kPalHigh = 0x7E080;
constexpr size_t kParams = 0x7E100;
constexpr size_t kBankSwitches = 0x7E108;
constexpr size_t kPage = 0x2000;

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

Result PatchPreviewImage(std::vector<uint8_t>& image, const BlockPicture& picture,
                         int configIndex) {
  const PicHeader& header = picture.header;
  const BlockData& blocks = picture.blocks;
  if (image.size() != kPreviewImageSize) return Result::Fail("Open Rom.b00 Error!");
  const BlockGeometry g = GeometryOf(header.blockMode);
  const size_t w = header.width / g.width;
  const size_t h = header.height / g.height;
  const size_t cells = blocks.Cells();
  const size_t pgtSize = blocks.pgt.size();
  const size_t p = RoundUpToPage(pgtSize);
  const size_t a = RoundUpToPage(p + cells);
  const size_t attributeBytes = (h + 3) / 4 * (w / 4);
  if (p + cells > kPreviewDataLimit || a + attributeBytes > kPreviewDataLimit) {
    return Result::Fail(common::Tr("图片数据超出预览映像的容量,预览终止!"));
  }

  std::copy(blocks.pgt.begin(), blocks.pgt.end(), image.begin());
  for (size_t i = 0; i < cells; ++i) image[p + i] = static_cast<uint8_t>(blocks.Code(i));
  auto at = [&](size_t r, size_t c) -> int {
    size_t index = r * w + c;
    return r < h && c < w && index < cells ? blocks.Attribute(index) : 0;
  };
  size_t out = a;
  for (size_t r = 0; r < h; r += 4) {
    for (size_t c = 0; c < w / 4 * 4; c += 4) {
      int value = at(r, c) | at(r, c + 2) << 2 | at(r + 2, c) << 4 | at(r + 2, c + 2) << 6;
      image[out++] = static_cast<uint8_t>(value);
    }
  }

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

  image[kParams + 0] = static_cast<uint8_t>(p / kPage);
  image[kParams + 1] = static_cast<uint8_t>(header.width / 8);
  image[kParams + 2] = static_cast<uint8_t>(header.height / 8);
  image[kParams + 3] = static_cast<uint8_t>(a / kPage);
  image[kParams + 4] = static_cast<uint8_t>(header.width / 32);
  image[kParams + 5] = static_cast<uint8_t>(header.height / 32);
  image[kParams + 6] = static_cast<uint8_t>((header.colourSpace != 2 ? 0x80 : 0) |
                                            (header.colourMode == 0 ? 0x02 : 0));
  image[kParams + 7] = static_cast<uint8_t>(configIndex);
  size_t next = kBankSwitches;
  for (int k = 1; k < kMaxSectionRows && header.sectionRows[k] != -1; ++k) {
    image[next++] = static_cast<uint8_t>(header.sectionRows[k] - header.sectionRows[k - 1] - 1);
  }
  image[next] = 0;
  return Result::Ok();
}

Result BuildPreviewImage(const BlockPicture& picture, int configIndex,
                         const std::string& programDir, VolumeLister& volumes,
                         std::string* copiedTo) {
  const std::string dir = programDir.empty() ? std::string() : programDir + "/";
  std::vector<uint8_t> image;
  if (!ReadFileBytes(dir + "Rom.b00", kPreviewImageSize, image).ok ||
      image.size() != kPreviewImageSize) {
    return Result::Fail("Open Rom.b00 Error!");
  }
  Result patched = PatchPreviewImage(image, picture, configIndex);
  if (!patched.ok) return patched;
  Result written = WriteOutputFile(dir + "Rom.b01", image);
  if (!written.ok) return written;

  std::string root = FindDeviceRoot(volumes);
  if (root.empty()) return Result::Ok();
  const std::string target = root + (root.back() == '/' ? "" : "/") + "ROM.BIN";
  written = WriteOutputFile(target, image);
  if (!written.ok) return written;
  if (copiedTo) *copiedTo = target;
  return Result::Ok();
}

}  // namespace tilvex
