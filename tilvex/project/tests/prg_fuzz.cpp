// Project files from anywhere: the reader must never read past the data or crash, and
// whatever it accepts must write back and read again to the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/prg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tilvex::ProjectTree tree;
  if (!tilvex::DecodeProject(std::string(reinterpret_cast<const char*>(data), size), tree))
    return 0;
  std::string bytes;
  if (!tilvex::EncodeProject(tree, bytes)) return 0;
  tilvex::ProjectTree again;
  if (!tilvex::DecodeProject(bytes, again) || again.PreOrder().size() != tree.PreOrder().size()) {
    std::abort();
  }
  return 0;
}
