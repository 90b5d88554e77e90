#include "common/program_search.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace common {
namespace {

bool IsProgram(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> ProgramSearchPath() {
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "/usr/bin:/bin";
  std::vector<std::string> folders;
  for (size_t start = 0;;) {
    const size_t colon = dirs.find(':', start);
    folders.push_back(dirs.substr(start, colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  folders.push_back("/usr/games");
  return folders;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

std::string FindProgram(const std::string& name, const std::vector<std::string>& searchPath) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos)
    return IsProgram(name) ? AbsolutePath(name) : std::string();
  for (const std::string& dir : searchPath) {
    if (dir.empty()) continue;
    const std::string path = dir.back() == '/' ? dir + name : dir + "/" + name;
    if (IsProgram(path)) return AbsolutePath(path);
  }
  return {};
}

}  // namespace common
