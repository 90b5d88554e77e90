// "adapt" and "colours": the colour adaptations and colour counts of the Tool menu and the
// Transformation dialog, on a picture file.
#include <cstdio>
#include <optional>

#include "cli/commands.h"
#include "common/file_io.h"
#include "common/translate.h"
#include "image/bitmap.h"
#include "image/colour_list.h"
#include "image/colour_tables.h"
#include "image/decoder.h"
#include "image/picture_bmp.h"

using common::WriteFileReplacing;

namespace tilvex::cli {

Result LoadPicture(const std::string& path, Picture& picture) {
  Result loaded = DecodePictureFile(path, picture);
  if (!loaded && loaded.message.empty()) {
    loaded.message = common::TrFill("无法打开图像文件 {0}", {path});  // the decoders show none
    if (!loaded.detail.empty()) loaded.message += " (" + loaded.detail + ")";
  }
  return loaded;
}

int RunAdapt(const Arguments& args) {
  const std::string mode = args.Get("--mode");
  const std::string output = args.Get("--output");
  if (args.operands.size() != 1 || output.empty() ||
      (mode != "hsl" && mode != "rgb" && mode != "nes")) {
    return Usage("adapt");
  }
  const std::string& input = args.operands[0];

  Picture picture;
  Result loaded = LoadPicture(input, picture);
  if (!loaded) return Fail(loaded.Text());
  const int32_t width = picture.width, height = picture.height;
  Result adapted = Result::Ok();
  if (mode == "hsl") {
    adapted = AdaptHsl4K(picture, width, height);
  } else if (mode == "nes") {
    adapted = AdaptNes64(picture, width, height);
  } else {
    AdaptRgb4K(picture, width, height);
  }
  if (!adapted) return Fail(adapted.Text());

  const std::vector<uint8_t> bmp = BmpFileBytes(picture);
  if (bmp.empty()) return Fail("cannot make a BMP file of " + input);
  Result written = WriteFileReplacing(output, bmp);
  if (!written) return Fail(written.Text());
  return 0;
}

int RunColours(const Arguments& args) {
  if (args.operands.size() != 1) return Usage("colours");
  Picture picture;
  Result loaded = LoadPicture(args.operands[0], picture);
  if (!loaded) return Fail(loaded.Text());
  ColourTables tables;
  Result tablesLoaded = LoadColourTables(tables);
  if (!tablesLoaded) return Fail(tablesLoaded.Text());

  ColourList list;
  CollectColours(picture, 0, 0, picture.width, picture.height, list);
  std::printf("colours: %u\n", list.count);
  const struct {
    ColourSpace space;
    const char* label;
  } spaces[] = {{ColourSpace::kHsl4K, "VT03 NEW(4K HSL)"},
                {ColourSpace::kRgb4K, "TFT RGB(4K RGB)"},
                {ColourSpace::kNes64, "VT03 OLD(64 NES)"}};
  for (const auto& space : spaces) {
    std::printf("%s: %d\n", space.label, CountDistinctCodes(list, space.space, tables));
  }
  return 0;
}

}  // namespace tilvex::cli
