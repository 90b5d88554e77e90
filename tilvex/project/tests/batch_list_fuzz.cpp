// Batch lists (.lst) from anywhere: the words are read as picture paths and run through the
// batch with a stand-in conversion whose frames follow from each path's bytes, so the
// animation files are built from names and frames the fuzzer chooses.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_scratch_folder.h"
#include "project/batch_export.h"

namespace {

constexpr size_t kMaxFrames = 64;

// A frame whose cell codes are the path's bytes, over a full bank of tiles.
tilvex::Result FrameFromPath(const std::string& path, uint16_t, tilvex::FrameData& frame) {
  if (path.size() % 5 == 4) return tilvex::Result::Fail("unreadable");
  for (char c : path) frame.pnt.insert(frame.pnt.end(), {static_cast<uint8_t>(c), 0});
  frame.pal.assign(32, static_cast<uint8_t>(path.size()));
  frame.pgt.assign(256 * 32, 0x5A);
  return tilvex::Result::Ok();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool sprites = [] {
    const uint8_t pattern[2048] = {};
    PutFuzzFile("Sprite_pgt.bin", pattern, sizeof pattern);
    return true;
  }();
  (void)sprites;
  const std::string list = PutFuzzFile("frames.lst", data, size);
  std::vector<std::string> pictures;
  if (!tilvex::ReadPictureList(list, pictures)) return 0;
  if (pictures.size() > kMaxFrames) pictures.resize(kMaxFrames);
  std::vector<std::string> messages;
  (void)tilvex::RunBatch(pictures, FuzzScratchFolder(), FrameFromPath, messages);
  return 0;
}
