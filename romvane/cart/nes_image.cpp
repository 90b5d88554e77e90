#include "cart/nes_image.h"

#include "cart/launcher.h"
#include "common/file_io.h"

namespace romvane {
namespace {

constexpr size_t kPrgUnit = 0x4000;
constexpr uint8_t kNes20 = 0x08;      // byte 7: the NES 2.0 identifier, mapper bits 4-7 zero
constexpr uint8_t kMapper256 = 0x01;  // byte 8: mapper bits 8-11

}  // namespace

std::array<uint8_t, 16> NesImageHeader(size_t imageSize) {
  // A partial last unit still has to be loaded: the count rounds up.
  const size_t units = (imageSize + kPrgUnit - 1) / kPrgUnit;
  std::array<uint8_t, 16> header{'N', 'E', 'S', 0x1A};
  header[4] = static_cast<uint8_t>(units & 0xFF);
  header[7] = kNes20;
  header[8] = kMapper256;
  header[9] = static_cast<uint8_t>((units >> 8) & 0x0F);
  return header;
}

bool WriteNesImage(const std::string& path, std::span<const uint8_t> image) {
  const std::array<uint8_t, 16> header = NesImageHeader(image.size());
  const std::span<const uint8_t> parts[] = {header, image};
  return static_cast<bool>(common::WriteFileReplacing(path, parts));
}

std::string NesImagePath(const std::string& programDir) {
  return JoinPath(programDir, "rom.nes");
}

}  // namespace romvane
