// iNES images and list files (.sav) from anywhere. The bytes are one game file, added and
// re-mirrored, and also the rest of a list file whose first line names that game; the
// list is sorted, saved and loaded again. Paths with a "/" are left out, so that the lines
// name only files in the scratch folder, never devices or pipes elsewhere.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_scratch_folder.h"
#include "model/game_list.h"
#include "model/list_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace romvane;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.find('/') != std::string::npos) return 0;
  const std::string game = PutFuzzFile("game.nes", data, size);

  GameList list;
  list.AddGame(game, "game");
  if (list.EntryForRow(0)) {
    list.SetMirroring(0, !IsVertical(list.EntryForRow(0)->header));
    if (ColumnText(list.Game(0), kColAttribute) != AttributeText(list.EntryForRow(0)->header))
      std::abort();
  }
  InesHeader header{};
  std::copy_n(data, std::min(size, header.size()), header.begin());
  (void)AttributeText(header);
  (void)HexText(PrgByteSize(header) + ChrByteSize(header));

  // Every line of the input names a file in the scratch folder: the game, the list itself,
  // or one that is not there.
  std::string text = game + ",title\r\n" + FuzzScratchFolder() + "/";
  for (char c : bytes) text += c == '\n' ? "\n" + FuzzScratchFolder() + "/" : std::string(1, c);
  const std::string sav =
      PutFuzzFile("list.sav", reinterpret_cast<const uint8_t*>(text.data()), text.size());
  if (!LoadListFile(list, sav).error.empty()) return 0;
  list.SortRows(size % kColumnCount, size % 2 == 0);
  if (!SaveListFile(list, sav).ok) return 0;
  GameList again;
  (void)LoadListFile(again, sav);
  return 0;
}
