#include "image/colour_tables.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/data_dirs.h"
#include "common/file_io.h"
#include "common/translate.h"
#include "image/colour_index.h"

namespace tilvex {
using common::ExecutableDirectory;
using common::ReadFileBytes;
namespace {

// Red level by the upper four bits of red, and red by level (levels 14 and 15 are never made
// by encoding and decode as 0).
constexpr uint8_t kRedLevel[16] = {0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 9, 10, 11, 11, 12, 13};
constexpr uint8_t kRedOfLevel[16] = {0,   16,  32,  48,  64,  96,  112, 128,
                                     144, 160, 176, 208, 224, 240, 0,   0};

std::string JoinPath(const std::string& dir, const char* name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace

void ColourTables::RebuildIndex() const {
  index = std::make_shared<NearestCodeIndex>(codes);
}

std::string DataDirectory() {
  const char* env = std::getenv("TILVEX_DIR");
  if (env && *env) return env;
  if (std::string installed = common::InstalledDataDirectory("tilvex"); !installed.empty())
    return installed;
  return ExecutableDirectory();
}

Result LoadCodeTable(const std::string& dir, CodeTable& codes) {
  const std::string path = JoinPath(dir, kCodeTableFile);
  // Read straight into the table: the file is the table's own little-endian layout.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const std::string why = fd < 0 ? std::strerror(errno) : "not a file";
    if (fd >= 0) close(fd);
    codes.assign(kCodeTableSize, 0);
    return Result::Fail(common::Tr(kCodeTableMessage), "cannot open " + path + ": " + why);
  }
  if (codes.Map(fd)) {
    close(fd);
    return Result::Ok();
  }
  // A short file (or a system that cannot map it): read what there is.
  codes.assign(kCodeTableSize, 0);
  auto* bytes = reinterpret_cast<uint8_t*>(codes.data());
  const size_t size = codes.size() * sizeof(uint32_t);
  size_t got = 0;
  while (got < size) {
    const ssize_t n = read(fd, bytes + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  std::fill(bytes + got / 4 * 4, bytes + size, uint8_t{0});  // a short file's last part entry
  if constexpr (std::endian::native == std::endian::big) {
    for (uint32_t& code : codes) code = __builtin_bswap32(code);
  }
  return Result::Ok();
}

Result LoadNesTable(const std::string& dir, std::array<Rgb, kNesColourCount>& nes) {
  nes.fill(0);
  const std::string path = JoinPath(dir, kNesTableFile);
  std::vector<uint8_t> bytes;
  Result read = ReadFileBytes(path, kNesColourCount * 3, bytes);
  if (!read) return Result::Fail(common::Tr(kNesTableMessage), read.detail);
  bytes.resize(kNesColourCount * 3, 0);
  for (int i = 0; i < kNesColourCount; ++i) {
    nes[i] = MakeRgb(bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]);
  }
  return Result::Ok();
}

Result LoadColourTables(ColourTables& tables) {
  return LoadColourTables(tables, DataDirectory());
}

Result LoadColourTablesFor(ColourSpace space, ColourTables& tables) {
  return NeedsColourTables(space) ? LoadColourTables(tables) : Result::Ok();
}

Result LoadColourTables(ColourTables& tables, const std::string& dir) {
  Result codes = LoadCodeTable(dir, tables.codes);
  Result nes = LoadNesTable(dir, tables.nes);
  tables.DropIndex();
  return codes ? nes : codes;
}

ColourCode EncodeRgb4K(Rgb rgb) {
  const uint32_t red = RedOf(rgb), green = GreenOf(rgb), blue = BlueOf(rgb);
  return static_cast<ColourCode>(kRedLevel[red >> 4] | (green & 0x30) | (green & 0xC0) << 2 |
                                 (blue >> 4) << 10);
}

Rgb DecodeRgb4K(ColourCode code) {
  const uint32_t red = kRedOfLevel[code & 15];
  const uint32_t green = ((code >> 2) & 0xC0) | (code & 0x30);
  const uint32_t blue = ((code >> 10) & 15) << 4;
  return MakeRgb(red, green, blue);
}

ColourCode NearestCodeByScan(std::span<const uint32_t> codes, Rgb rgb) {
  if (codes.size() < 2) return 1;
  ColourCode best = 1;
  int32_t bestDistance = ColourDistance(codes[1] & 0xFFFFFF, rgb);
  for (uint32_t code = 2; code < codes.size() && code < uint32_t{kCodeTableSize}; ++code) {
    if (codes[code] >> 24) continue;
    const int32_t d = ColourDistance(codes[code], rgb);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<ColourCode>(code);
    }
  }
  return best;
}

ColourCode NearestNesColour(const std::array<Rgb, kNesColourCount>& nes, Rgb rgb) {
  ColourCode best = 0;
  int32_t bestDistance = ColourDistance(nes[0], rgb);
  for (int i = 1; i < kNesColourCount; ++i) {
    const int32_t d = ColourDistance(nes[i], rgb);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<ColourCode>(i);
    }
  }
  return best;
}

Rgb CodeToRgb(ColourSpace space, const ColourTables& tables, ColourCode code) {
  switch (space) {
    case ColourSpace::kRgb4K:
      return DecodeRgb4K(code);
    case ColourSpace::kNes64:
      // Only codes that RgbToCode made are meaningful; others are black, never a stray read.
      return code < kNesColourCount ? tables.nes[code] : 0;
    case ColourSpace::kHsl4K:
    default:
      return code < tables.codes.size() ? tables.codes[code] : 0;
  }
}

ColourCode RgbToCode(ColourSpace space, const ColourTables& tables, Rgb rgb) {
  switch (space) {
    case ColourSpace::kRgb4K:
      return EncodeRgb4K(rgb);
    case ColourSpace::kNes64:
      return NearestNesColour(tables.nes, rgb);
    case ColourSpace::kHsl4K:
    default:
      // A scan costs about a sixtieth of building the index.
      constexpr uint32_t kScansBeforeIndex = 32;
      if (!tables.index && ++tables.scans > kScansBeforeIndex) tables.RebuildIndex();
      if (tables.index) return tables.index->Nearest(rgb);
      return NearestCodeByScan(tables.codes, rgb);
  }
}

}  // namespace tilvex
