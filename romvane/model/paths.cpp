#include "model/paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/data_dirs.h"
#include "common/file_io.h"

namespace romvane {

std::string BaseNameOf(std::string_view path) {
  const std::string name = FileNameOf(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

ProgramDirectory ChooseProgramDirectory(std::string_view dirOption) {
  using Source = ProgramDirectory::Source;
  ProgramDirectory chosen;
  if (!dirOption.empty()) {
    chosen = {common::AbsolutePath(dirOption), Source::kOption, {}};
  } else if (const char* env = std::getenv("ROMVANE_DIR"); env && *env) {
    chosen = {common::AbsolutePath(env), Source::kEnvironment, {}};
  } else if (const std::string installed = common::InstalledDataDirectory("romvane");
             !installed.empty()) {
    chosen = {common::UserDataDirectory("romvane"), Source::kUserData, {}};
    if (chosen.path.empty()) {
      chosen.error = "HOME is not set: use --dir or ROMVANE_DIR";
    } else if (!SeedProgramDirectory(chosen.path, installed + "/menu")) {
      chosen.error = "cannot prepare the program directory " + chosen.path;
    }
  } else {
    chosen = {common::AbsolutePath(common::ExecutableDirectory()), Source::kBesideProgram, {}};
  }
  return chosen;
}

std::string DescribeProgramDirectory(const ProgramDirectory& dir) {
  using Source = ProgramDirectory::Source;
  const char* why = dir.source == Source::kOption        ? "--dir"
                    : dir.source == Source::kEnvironment ? "ROMVANE_DIR"
                    : dir.source == Source::kUserData    ? "per-user folder"
                                                         : "beside the program";
  return dir.path + " (" + why + ")";
}

bool SeedProgramDirectory(const std::string& dir, const std::string& menuDir) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::create_directories(dir, error);
  if (!fs::is_directory(dir, error)) return false;
  for (const fs::directory_entry& entry : fs::directory_iterator(menuDir, error)) {
    if (!entry.is_regular_file(error)) continue;
    const fs::path target = fs::path(dir) / entry.path().filename();
    if (fs::exists(target, error)) continue;  // the user's own copy stays
    if (!fs::copy_file(entry.path(), target, error)) return false;
  }
  return !error;
}

}  // namespace romvane
