#pragma once

// Small iNES files and folders made by the tests themselves.

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace romvane::testing {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "romvane-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

struct NesImage {
  uint8_t prgUnits = 2;  // 16 KB units
  uint8_t chrUnits = 1;  // 8 KB units
  uint8_t flags6 = 0;
  uint8_t flags7 = 0;
  uint8_t fill = 0;     // PRG byte i is fill + i, CHR byte i is fill + 0x80 + i
  size_t trailing = 0;  // bytes after the CHR data
  uint8_t byte8 = 0;    // NES 2.0: mapper bits 8-11
};

inline std::vector<uint8_t> MakeNes(const NesImage& s) {
  std::vector<uint8_t> bytes = {0x4E,     0x45,     0x53,    0x1A, s.prgUnits, s.chrUnits,
                                s.flags6, s.flags7, s.byte8, 0,    0,          0,
                                0,        0,        0,       0};
  const size_t prg = s.prgUnits * 0x4000u;
  const size_t chr = s.chrUnits * 0x2000u;
  for (size_t i = 0; i < prg; ++i) bytes.push_back(static_cast<uint8_t>(s.fill + i));
  for (size_t i = 0; i < chr; ++i) bytes.push_back(static_cast<uint8_t>(s.fill + 0x80 + i));
  bytes.insert(bytes.end(), s.trailing, 0xEE);
  return bytes;
}

inline std::string WriteNes(const TempDir& dir, const std::string& name, const NesImage& s) {
  const std::string path = dir / name;
  WriteBytes(path, MakeNes(s));
  return path;
}

}  // namespace romvane::testing
