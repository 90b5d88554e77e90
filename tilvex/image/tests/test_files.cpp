#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tilvex::test {

std::string TempFolder(const std::string& name) {
  // Tests run in parallel processes: each test gets folders of its own.
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  const std::string owner = test ? std::string(test->test_suite_name()) + "_" + test->name() : "";
  const std::filesystem::path dir =
      std::filesystem::path(testing::TempDir()) / ("tilvex_image_" + owner + "_" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutU16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  PutU16(out, at, value);
  PutU16(out, at + 2, value >> 16);
}

std::vector<uint8_t> BmpFile(int32_t width, int32_t height, uint16_t bitCount,
                             const std::vector<uint32_t>& colourTable,
                             const std::vector<uint8_t>& rows, uint32_t compression,
                             const std::vector<uint32_t>& masks) {
  const size_t tableStart = 14 + 40 + masks.size() * 4;
  const size_t pixelStart = tableStart + colourTable.size() * 4;
  std::vector<uint8_t> file(pixelStart, 0);
  file[0] = 'B';
  file[1] = 'M';
  PutU32(file, 2, static_cast<uint32_t>(pixelStart + rows.size()));
  PutU32(file, 10, static_cast<uint32_t>(pixelStart));
  PutU32(file, 14, 40);
  PutU32(file, 18, static_cast<uint32_t>(width));
  PutU32(file, 22, static_cast<uint32_t>(height));
  PutU16(file, 26, 1);
  PutU16(file, 28, bitCount);
  PutU32(file, 30, compression);
  PutU32(file, 34, static_cast<uint32_t>(rows.size()));
  PutU32(file, 46, static_cast<uint32_t>(colourTable.size()));
  for (size_t i = 0; i < masks.size(); ++i) PutU32(file, 54 + 4 * i, masks[i]);
  for (size_t i = 0; i < colourTable.size(); ++i) PutU32(file, tableStart + 4 * i, colourTable[i]);
  file.insert(file.end(), rows.begin(), rows.end());
  return file;
}

}  // namespace tilvex::test
