// A folder of its own for a fuzz target whose code under test reads and writes files by
// name. Made once per process and removed at exit.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

inline const std::string& FuzzScratchFolder() {
  // Never destroyed, so that the exit handler still finds it.
  static const std::string& folder = *[] {
    auto* pattern =
        new std::string((std::filesystem::temp_directory_path() / "vt_fuzz_XXXXXX").string());
    if (!mkdtemp(pattern->data())) std::abort();
    return pattern;
  }();
  static const bool removedAtExit =
      std::atexit([] { std::filesystem::remove_all(FuzzScratchFolder()); }) == 0;
  (void)removedAtExit;
  return folder;
}

// Writes the bytes to name in the scratch folder and returns the file's path.
inline std::string PutFuzzFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = FuzzScratchFolder() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}
