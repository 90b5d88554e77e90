#pragma once

// Finding an outside program (an emulator) the way a shell would, plus /usr/games, where
// Debian puts emulators without always putting it on PATH.

#include <string>
#include <vector>

namespace common {

// The folders of $PATH (else /usr/bin and /bin), then /usr/games.
std::vector<std::string> ProgramSearchPath();

// A name with a "/" is a path, taken when it is an executable regular file; a bare name is
// looked for in the folders. Empty when not found. What is found is an absolute path,
// resolved from the current folder, so that it names the same program wherever it is
// started from (a launcher may change into another folder first).
std::string FindProgram(const std::string& name, const std::vector<std::string>& searchPath);

// The path from the current folder made absolute; empty stays empty.
std::string AbsolutePath(const std::string& path);

}  // namespace common
