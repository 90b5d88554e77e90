#pragma once

// Finding an outside program (an emulator) the way a shell would, plus /usr/games, where
// Debian puts emulators without always putting it on PATH.

#include <string>
#include <vector>

namespace common {

// The folders of $PATH (else /usr/bin and /bin), then /usr/games.
std::vector<std::string> ProgramSearchPath();

// A name with a "/" is a path, taken when it is an executable regular file; a bare name is
// looked for in the folders. Empty when not found.
std::string FindProgram(const std::string& name, const std::vector<std::string>& searchPath);

}  // namespace common
