#include "cart/nes_image.h"

#include "cart/launcher.h"
#include "common/file_io.h"
#include "common/nes_header.h"

namespace romvane {

std::array<uint8_t, 16> NesImageHeader(size_t imageSize) {
  return common::Mapper256Header(imageSize, true);
}

common::Result WriteNesImage(const std::string& path, std::span<const uint8_t> image) {
  const std::array<uint8_t, 16> header = NesImageHeader(image.size());
  const std::span<const uint8_t> parts[] = {header, image};
  return common::WriteFileReplacing(path, parts);
}

std::string NesImagePath(const std::string& programDir) {
  return JoinPath(programDir, "rom.nes");
}

}  // namespace romvane
