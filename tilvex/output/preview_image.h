// The device preview: a cartridge template patched with the current block picture.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/result.h"
#include "convert/block_picture.h"

namespace tilvex {
using common::Result;

constexpr size_t kPreviewImageSize = 0x80000;
constexpr size_t kPreviewDataLimit = 0x7E000;  // the viewer's palettes and parameters follow
constexpr int kTvDisplayConfigCount = 30;
extern const std::array<const char*, kTvDisplayConfigCount> kTvDisplayConfigs;
constexpr const char* kDeviceVolumeLabel = "MS1";

// One mounted volume: where its root is and its label.
struct Volume {
  std::string root;
  std::string label;
};

// Lists the mounted volumes in the order they are searched. Tests supply their own.
class VolumeLister {
 public:
  virtual ~VolumeLister() = default;
  virtual std::vector<Volume> ListVolumes() = 0;
};

// The volumes this machine has mounted.
class MountedVolumes : public VolumeLister {
 public:
  std::vector<Volume> ListVolumes() override;
};

// The root of the first volume labelled exactly "MS1", empty when there is none.
std::string FindDeviceRoot(VolumeLister& volumes);

// Bytes of tiles, name table and attributes the picture needs from image offset 0: the
// end of its attribute table.
size_t PreviewDataSize(const BlockPicture& picture);

// Refuses a picture whose data would reach the viewer's palettes and parameters, with a
// message naming the size and the limit.
Result CheckPreviewFits(const BlockPicture& picture);

// The console's attribute table gives each 16 x 16 area two bits, so the device shows four
// background palettes at once; a picture whose areas use palettes 4-15 shows those areas in
// other colours. Empty when the picture keeps to palettes 0-3, else the warning to show.
std::string PreviewPaletteWarning(const BlockPicture& picture);

// Patches the 512 KB image in place. Fails when the picture's data would pass the viewer's
// area or the image is not 512 KB.
Result PatchPreviewImage(std::vector<uint8_t>& image, const BlockPicture& picture, int configIndex);

// Where the template is read and the patched image written.
struct PreviewFolders {
  std::string templateDir;  // holds "Rom.b00"
  std::string outputDir;    // receives "Rom.b01"
};

// What a preview left behind.
struct PreviewResult {
  std::string imagePath;       // "Rom.b01"
  std::string devicePath;      // "ROM.BIN" on the device volume, empty when none is mounted
  std::vector<uint8_t> image;  // the patched image
};

// Reads "Rom.b00" from folders.templateDir, patches it, writes "Rom.b01" to
// folders.outputDir and copies it to the device volume as "ROM.BIN" when one is mounted.
// A picture that does not fit is refused before anything is read or written.
Result BuildPreviewImage(const BlockPicture& picture, int configIndex,
                         const PreviewFolders& folders, VolumeLister& volumes,
                         PreviewResult* result = nullptr);

// The patched image as a NES 2.0 file for emulators: mapper 256 (the VT03's own bus),
// 512 KB of program data that the picture unit reads its tiles from as well.
std::vector<uint8_t> PreviewNesFile(const std::vector<uint8_t>& image);

// Where "Rom.b01" goes: beside the template when the program runs from its build tree or
// TILVEX_DIR names the data folder; an installed program's data folder belongs to the
// system, so then the per-user folder (created when missing).
std::string PreviewOutputDirectory();

}  // namespace tilvex
