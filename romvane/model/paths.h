#pragma once

#include <string>
#include <string_view>

#include "common/file_io.h"

namespace romvane {

using common::FileNameOf;

// The base name a list compares titles with: the file name cut before its last ".",
// empty when the name has no ".".
std::string BaseNameOf(std::string_view path);

// The folder where builds write their files and find the menu project ("make.sh",
// "menu.s", ...), and where the emulator is looked for.
struct ProgramDirectory {
  enum class Source { kOption, kEnvironment, kUserData, kBesideProgram };
  std::string path;  // absolute
  Source source = Source::kBesideProgram;
  std::string error;  // set when the per-user folder could not be made ready
};

// --dir, else $ROMVANE_DIR, else (installed) the per-user folder, created on first use and
// seeded with the installed example menu project, else the executable's folder.
ProgramDirectory ChooseProgramDirectory(std::string_view dirOption);

// How --version and the about box name the choice: "/path (per-user folder)".
std::string DescribeProgramDirectory(const ProgramDirectory& dir);

// Copies every file of `menuDir` that `dir` does not have yet, creating `dir` first.
bool SeedProgramDirectory(const std::string& dir, const std::string& menuDir);

}  // namespace romvane
