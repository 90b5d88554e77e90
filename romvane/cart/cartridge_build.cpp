#include "cart/cartridge_build.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>

#include "cart/generated_files.h"
#include "cart/parse_hex.h"
#include "common/file_io.h"
#include "model/list_file.h"

namespace romvane {
using common::File;
namespace {

std::string_view Bytes(const std::vector<uint8_t>& v) {
  return {reinterpret_cast<const char*>(v.data()), v.size()};
}

bool MenuAppeared(const std::string& menuPath) {
  return File(std::fopen(menuPath.c_str(), "rb")) != nullptr;
}

// Waits for the script to produce the menu binary: up to 100 looks, 100 ms apart.
bool WaitForMenu(const std::string& menuPath, const BuildOptions& options) {
  for (int attempt = 1; attempt <= kMenuWaitAttempts; ++attempt) {
    if (options.onWait && !options.onWait(attempt)) return false;
    if (MenuAppeared(menuPath)) return true;
    if (options.sleep) options.sleep(kMenuWaitMilliseconds);
  }
  return false;
}

}  // namespace

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  const char last = dir.back();
  return last == '/' || last == '\\' ? dir + name : dir + "/" + name;
}

std::string MakeScriptName() {
#ifdef _WIN32
  return "make.bat";
#else
  return "make.sh";
#endif
}

Command MakeScriptCommand(const std::string& programDir) {
  const std::string script = JoinPath(programDir, MakeScriptName());
#ifdef _WIN32
  return {script, {}, programDir};
#else
  return {"sh", {script}, programDir};
#endif
}

std::string MergeMenu(const std::string& programDir, int32_t reserve) {
  File roms(std::fopen(JoinPath(programDir, "roms.bin").c_str(), "rb"));
  if (!roms) return "Can't open file roms.bin\n";
  std::fseek(roms.get(), 0, SEEK_END);
  const long length = std::ftell(roms.get());
  std::fseek(roms.get(), 0, SEEK_SET);
  // The menu goes into the top of page 0, so anything shorter than a page cannot take it.
  if (length <= 0 || length < kPageSize) return "Please check your ROMS.BIN file size!\n";
  std::vector<uint8_t> image;
  try {
    image.resize(static_cast<size_t>(length));
  } catch (const std::bad_alloc&) {
    return "There isn't enough memory for this program to run\n";
  }
  if (std::fread(image.data(), 1, image.size(), roms.get()) != image.size()) {
    return "Can't open file roms.bin\n";
  }
  roms.reset();

  File menu(std::fopen(JoinPath(programDir, "menu.bin").c_str(), "rb"));
  if (!menu) return "Can't open file menu.bin\n";
  if (reserve < 0 || reserve > kPageSize) reserve = 0;
  // A shorter menu leaves the rest of the reserved area as roms.bin had it.
  std::fread(image.data() + (kPageSize - reserve), 1, static_cast<size_t>(reserve), menu.get());
  menu.reset();

  if (!WriteFileAtomically(JoinPath(programDir, "rom.bin"), Bytes(image))) {
    return "Can't open file rom.bin\n";
  }
  return {};
}

BuildResult BuildCartridge(const GameList& list, const BuildOptions& options) {
  BuildResult result;
  Layout layout = LayOutGames(list, options.reserveText);
  if (!layout.message.empty()) {
    result.message = layout.message;
    return result;
  }
  result.ordered = layout.ordered;
  const GeneratedText map = MakeMapListing(layout.ordered);
  const GeneratedText table = MakeGameTable(list, layout.ordered);
  for (const GeneratedText* t : {&map, &table}) {
    if (!t->message.empty()) {
      result.message = t->message;
      return result;
    }
  }

  const std::string& dir = options.programDir;
  const std::vector<uint8_t> image = CombineImage(list, layout.ordered);
  const struct {
    const char* name;
    std::string_view data;
  } outputs[] = {{"roms.bin", Bytes(image)}, {"roms.map", map.bytes}, {"Gamedef.inc", table.bytes}};
  for (const auto& out : outputs) {
    if (!WriteFileAtomically(JoinPath(dir, out.name), out.data)) {
      result.message = std::string("无法写入文件") + out.name + "!";
      return result;
    }
  }

  const std::string menuPath = JoinPath(dir, "menu.bin");
  std::remove(menuPath.c_str());  // a stale menu must never be merged
  std::error_code ec;
  const bool haveScript = std::filesystem::is_regular_file(JoinPath(dir, MakeScriptName()), ec);
  if (!haveScript || !options.launcher || !options.launcher->Start(MakeScriptCommand(dir)) ||
      !WaitForMenu(menuPath, options)) {
    result.message = "Make File Error!\n";
    return result;
  }
  result.message = MergeMenu(dir, ParseHex(options.reserveText));
  return result;
}

}  // namespace romvane
