#pragma once

// Where an installed program finds its shared data and where it keeps a user's files.

#include <string>
#include <string_view>

namespace common {

// PREFIX/share/NAME, found from the executable's folder (PREFIX/bin), when that folder
// exists; empty when the program runs from its build tree or a copied folder.
std::string InstalledDataDirectory(std::string_view program);

// A run-time module of the program: beside the executable when it is there (the build
// tree), else PREFIX/lib/NAME/FILE of an installed program.
std::string ProgramModulePath(std::string_view program, std::string_view file);

// $XDG_DATA_HOME/NAME, else $HOME/.local/share/NAME; empty when neither is set (the XDG
// base directory rules ignore a relative XDG_DATA_HOME).
std::string UserDataDirectory(std::string_view program);

// The path made absolute against the current folder, with "." and ".." steps resolved.
std::string AbsolutePath(std::string_view path);

}  // namespace common
