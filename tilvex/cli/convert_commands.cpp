#include "cli/convert_commands.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/field_rules.h"
#include "common/translate.h"
#include "convert/block_render.h"
#include "convert/tile_converter.h"
#include "doc/file_writes.h"
#include "doc/pic_file.h"
#include "image/bitmap.h"
#include "image/colour_tables.h"
#include "image/decoder.h"
#include "image/format_decoders.h"
#include "image/picture_bmp.h"
#include "output/block_output.h"
#include "output/emulator_run.h"
#include "output/preview_image.h"
#include "palette/pal_file.h"

extern char** environ;

namespace tilvex::cli {
namespace {

// Starts the emulator with its output discarded and leaves it running after we exit.
bool StartDetached(const EmulatorCommand& command) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {0, 1, 2})
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  std::vector<char*> argv{const_cast<char*>(command.program.c_str())};
  for (const std::string& a : command.arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int failed =
      posix_spawn(&pid, command.program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0;
}

// Ctrl+C or a termination signal during a conversion: the work stops at its next look at
// the progress, and nothing is written. A second signal ends the program at once.
volatile std::sig_atomic_t stopAsked = 0;

void AskStop(int) {
  stopAsked = 1;
}

class StopOnSignal : public Progress {
 public:
  StopOnSignal() {
    stopAsked = 0;
    struct sigaction action {};
    action.sa_handler = AskStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInterrupt_);
    sigaction(SIGTERM, &action, &oldTerminate_);
  }
  ~StopOnSignal() override {
    sigaction(SIGINT, &oldInterrupt_, nullptr);
    sigaction(SIGTERM, &oldTerminate_, nullptr);
  }
  bool Cancelled() override { return stopAsked != 0; }

 private:
  struct sigaction oldInterrupt_ {};
  struct sigaction oldTerminate_ {};
};

constexpr int kExitStopped = 130;  // as a shell reports a program ended by Ctrl+C

int Complain(const std::string& text) {
  std::fprintf(stderr, "tilvex-cli: %s\n", text.c_str());
  return 1;
}

int FailWith(const Result& result) {
  return Complain(result.Text().empty() ? std::string("failed") : result.Text());
}

// "RRGGBB" (a leading "#" allowed) as an RGB value.
bool ParseColour(std::string text, Rgb& rgb) {
  if (!text.empty() && text[0] == '#') text.erase(0, 1);
  if (text.size() != 6) return false;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  uint32_t v = static_cast<uint32_t>(std::stoul(text, nullptr, 16));
  rgb = MakeRgb(v >> 16, v >> 8, v);
  return true;
}

bool ParseInt(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  value = std::stoi(text);
  return true;
}

// The colour tables, loaded only when the colour space rests on them.
std::shared_ptr<const ColourTables> TablesFor(uint8_t space, Result& result) {
  auto tables = std::make_shared<ColourTables>();
  result = LoadColourTablesFor(ColourSpaceOf(space), *tables);
  return tables;
}

constexpr char kEmptyPictureMessage[] = "图片的宽或高为0,无法绘制";

bool LoadBlockPicture(const std::string& path, PicLoad& load, std::string& error) {
  Result read = ReadPicFile(path, load);
  if (!read.ok) {
    error = read.Text();
    return false;
  }
  if (load.kind != PicLoadKind::kBlockPicture) {
    error = load.message.empty() ? path + ": not a block picture" : load.message;
    return false;
  }
  return true;
}

// The conversion's settings from the options; a wrong value gives the exit status.
std::optional<int> SettingsFromOptions(const Arguments& args, ConversionSettings& settings) {
  const std::string colours = args.Get("--colors");
  if (colours != "16" && colours != "4") return BadValue("convert", "--colors takes 16 or 4");
  settings.colourMode = colours == "4" ? 1 : 0;
  static const std::map<std::string, uint8_t> kBlocks = {
      {"8x8", 0}, {"8x16", 1}, {"16x8", 2}, {"16x16", 3}};
  auto block = kBlocks.find(args.Get("--block"));
  if (block == kBlocks.end()) return BadValue("convert", "--block takes 8x8, 8x16, 16x8 or 16x16");
  settings.blockMode = block->second;
  settings.compressMode = args.Has("--no-compress") ? 1 : 0;
  if (!ParseSpace(args.Get("--space"), settings.colourSpace)) {
    return BadValue("convert", "--space takes hsl, rgb or nes");
  }
  const std::optional<uint32_t> begin = ReadHexField(args.Get("--begin"), kLargestAddress);
  const std::optional<uint32_t> end = ReadHexField(args.Get("--end"), kLargestAddress);
  if (!begin || !end) return BadValue("convert", "--begin and --end take hexadecimal addresses");
  settings.beginAddress = static_cast<uint16_t>(*begin);
  settings.endAddress = static_cast<uint16_t>(*end);
  if (args.Has("--background") && !ParseColour(args.Get("--background"), settings.background)) {
    return BadValue("convert", "--background takes RRGGBB");
  }
  settings.palettesFile = args.Get("--palettes");
  return std::nullopt;
}

// The area as typed (X,Y,W,H); the whole picture, rounded up to whole blocks, when none is.
std::optional<int> AreaFromOptions(const Arguments& args, const Picture& picture,
                                   ConversionSettings& settings) {
  if (!args.Has("--area")) {
    settings.area = WholePictureArea(picture, settings.blockMode);
    return std::nullopt;
  }
  const std::string text = args.Get("--area");
  int values[4];
  size_t from = 0;
  for (int i = 0; i < 4; ++i) {
    size_t comma = i < 3 ? text.find(',', from) : text.size();
    if (comma == std::string::npos || !ParseInt(text.substr(from, comma - from), values[i])) {
      return BadValue("convert", "--area takes X,Y,W,H");
    }
    from = comma + 1;
  }
  settings.area = WorkArea{values[0], values[1], values[0] + values[2], values[1] + values[3]};
  return std::nullopt;
}

}  // namespace

std::optional<int> ReduceFromOptions(const Arguments& args, const char* command,
                                     ReduceOptions& reduce) {
  reduce.reduce = args.Has("--reduce");
  static const std::map<std::string, Dither> kDithers = {
      {"none", Dither::kNone}, {"ordered", Dither::kOrdered}, {"fs", Dither::kFloydSteinberg}};
  auto dither = kDithers.find(args.Get("--dither"));
  if (dither == kDithers.end()) return BadValue(command, "--dither takes none, ordered or fs");
  if (dither->second != Dither::kNone && !reduce.reduce) {
    return BadValue(command, "--dither works only with --reduce");
  }
  reduce.dither = dither->second;
  return std::nullopt;
}

int RunConvert(const Arguments& args) {
  if (args.operands.size() != 1 || !args.Has("--output")) {
    return Usage("convert");
  }
  StopOnSignal stop;

  Picture picture;
  if (Result loaded = LoadPicture(args.operands[0], picture); !loaded.ok)
    return Complain(loaded.Text());

  ConversionSettings settings = DefaultSettings(picture);
  if (std::optional<int> refused = SettingsFromOptions(args, settings)) return *refused;
  if (std::optional<int> refused = AreaFromOptions(args, picture, settings)) return *refused;

  if (std::optional<int> refused = ReduceFromOptions(args, "convert", settings.reduce))
    return *refused;
  settings.reduce.chooseBackground = !args.Has("--background");
  Result tablesLoaded;
  std::shared_ptr<const ColourTables> tables = TablesFor(settings.colourSpace, tablesLoaded);
  if (!tablesLoaded.ok) return FailWith(tablesLoaded);
  Conversion converted = ConvertPicture(picture, settings, {}, *tables, stop);
  if (stop.Cancelled()) {
    Complain(common::Tr("转换已取消,没有写入文件。"));
    return kExitStopped;
  }
  if (!converted.status.ok) return FailWith(converted.status);
  Result written = WritePicFile(args.Get("--output"), converted.picture);
  if (!written.ok) return FailWith(written);
  std::fputs(ShortInfoText(converted.picture.header).c_str(), stdout);
  return 0;
}

int RunRender(const Arguments& args) {
  if (args.operands.size() != 1 || !args.Has("--output")) return Usage("render");
  PicLoad load;
  Result read = ReadPicFile(args.operands[0], load);
  if (!read.ok) return Complain(read.Text());
  if (load.kind == PicLoadKind::kNoPicture) {
    return Complain(load.message.empty() ? args.operands[0] + ": no picture" : load.message);
  }
  const PicHeader& header = load.picture.header;
  if (header.width == 0 || header.height == 0) {
    return Complain(args.operands[0] + ": " + common::Tr(kEmptyPictureMessage));
  }
  Picture image;
  if (SizePicture(image, header.width, header.height, UINT64_MAX) != DecodeStatus::kOk) {
    return Complain(common::Tr(kPictureTooLargeMessage));
  }
  if (load.kind == PicLoadKind::kBlockPicture) {
    Result tablesLoaded;
    std::shared_ptr<const ColourTables> tables = TablesFor(header.colourSpace, tablesLoaded);
    if (!tablesLoaded.ok) return FailWith(tablesLoaded);
    RenderBlockPicture(load.picture, *tables, image);
  }
  // Row filler (only where the width is not a multiple of 4) as in a blank white picture.
  const std::vector<uint8_t> bytes = BmpFileBytes(image, 0xFF);
  if (bytes.empty()) return Complain(common::Tr(kPictureTooLargeMessage));
  Result written = WriteOutputFile(args.Get("--output"), bytes);
  return written.ok ? 0 : FailWith(written);
}

int RunInfo(const Arguments& args) {
  if (args.operands.size() != 1) return Usage("info");
  PicLoad load;
  Result read = ReadPicFile(args.operands[0], load);
  if (!read.ok) return Complain(read.Text());
  if (load.kind == PicLoadKind::kNoPicture) {
    return Complain(load.message.empty() ? args.operands[0] + ": no picture" : load.message);
  }
  std::fputs(LongInfoText(load.picture.header).c_str(), stdout);
  return 0;
}

int RunOutput(const Arguments& args) {
  if (args.operands.size() != 1 || !args.Has("--pgt") || !args.Has("--pnt")) {
    return Usage("output");
  }
  PicLoad load;
  std::string error;
  if (!LoadBlockPicture(args.operands[0], load, error)) return Complain(error);
  Result written = WriteBlockOutput(load.picture, args.Get("--pgt"), args.Get("--pnt"),
                                    args.Has("--asm"), args.Has("--16bit"));
  return written.ok ? 0 : FailWith(written);
}

int RunPreview(const Arguments& args) {
  int config = 0;
  if (args.operands.size() != 1 ||
      (args.Has("--config") &&
       (!ParseInt(args.Get("--config"), config) || config >= kTvDisplayConfigCount)) ||
      ((args.Has("--emulator") || args.Has("--no-run")) && !args.Has("--nes"))) {
    return Usage("preview");
  }
  PicLoad load;
  std::string error;
  if (!LoadBlockPicture(args.operands[0], load, error)) return Complain(error);
  MountedVolumes volumes;
  PreviewResult preview;
  Result built = BuildPreviewImage(load.picture, config,
                                   {DataDirectory(), PreviewOutputDirectory()}, volumes, &preview);
  if (!built.ok) return FailWith(built);
  if (const std::string warning = PreviewPaletteWarning(load.picture); !warning.empty())
    std::fprintf(stderr, "tilvex-cli: %s\n", warning.c_str());
  std::printf("%s\n", preview.imagePath.c_str());
  if (!preview.devicePath.empty()) std::printf("%s\n", preview.devicePath.c_str());
  if (!args.Has("--nes")) return 0;

  const std::string nesPath = args.Get("--nes");
  Result written = WriteOutputFile(nesPath, PreviewNesFile(preview.image));
  if (!written.ok) return FailWith(written);
  if (args.Has("--no-run")) return 0;
  EmulatorCommand command;
  Result planned = PlanEmulatorRun(args.Get("--emulator"), nesPath, preview.image,
                                   load.picture.header.colourMode, command);
  if (!planned.ok) return FailWith(planned);
  if (!StartDetached(command)) return Complain("cannot start " + command.program);
  return 0;
}

int RunPalSteps(const Arguments& args) {
  Rgb target = 0;
  int levels = 0;
  uint8_t space = 0;
  if (args.operands.size() != 1 || !ParseColour(args.Get("--target"), target) ||
      !ParseInt(args.Get("--level"), levels) || !ParseSpace(args.Get("--space"), space)) {
    return Usage("palsteps");
  }
  if (levels < kMinPaletteLevels || levels > kMaxPaletteLevels) {
    return BadValue("palsteps", "--level takes 1 to 255");
  }
  SlotTable palettes;
  if (Result read = ReadPaletteFile(args.operands[0], palettes); !read.ok) return FailWith(read);
  Result tablesLoaded;
  std::shared_ptr<const ColourTables> tables = TablesFor(space, tablesLoaded);
  if (!tablesLoaded.ok) return FailWith(tablesLoaded);
  Result written = WritePaletteSteps(palettes, target, levels, [&](Rgb rgb) {
    return RgbToCode(ColourSpaceOf(space), *tables, rgb);
  });
  return written.ok ? 0 : FailWith(written);
}

}  // namespace tilvex::cli
