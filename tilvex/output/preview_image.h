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

// Patches the 512 KB image in place. Fails when the picture's data would pass the viewer's
// area or the image is not 512 KB.
Result PatchPreviewImage(std::vector<uint8_t>& image, const BlockPicture& picture, int configIndex);

// Reads "Rom.b00" from programDir, patches it, writes "Rom.b01" beside it and copies that
// to the device volume as "ROM.BIN" when one is mounted. copiedTo receives the copy's path.
Result BuildPreviewImage(const BlockPicture& picture, int configIndex,
                         const std::string& programDir, VolumeLister& volumes,
                         std::string* copiedTo = nullptr);

}  // namespace tilvex
