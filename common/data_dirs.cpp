#include "common/data_dirs.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/file_io.h"

#ifndef VT_DATADIR_FROM_BINDIR
#define VT_DATADIR_FROM_BINDIR "../share"
#endif
#ifndef VT_LIBDIR_FROM_BINDIR
#define VT_LIBDIR_FROM_BINDIR "../lib"
#endif

namespace common {

std::string InstalledDataDirectory(std::string_view program) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(ExecutableDirectory()) / VT_DATADIR_FROM_BINDIR / fs::path(program);
  std::error_code error;
  if (!fs::is_directory(dir, error)) return {};
  return AbsolutePath(dir.string());
}

std::string ProgramModulePath(std::string_view program, std::string_view file) {
  namespace fs = std::filesystem;
  const fs::path beside = fs::path(ExecutableDirectory()) / fs::path(file);
  std::error_code error;
  if (fs::exists(beside, error)) return beside.string();
  const fs::path installed =
      fs::path(ExecutableDirectory()) / VT_LIBDIR_FROM_BINDIR / fs::path(program) / fs::path(file);
  return installed.lexically_normal().string();
}

std::string UserDataDirectory(std::string_view program) {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/" + std::string(program);
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.local/share/" + std::string(program);
  return {};
}

std::string AbsolutePath(std::string_view path) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path absolute = fs::absolute(fs::path(path), error);
  if (error) return std::string(path);
  std::string text = absolute.lexically_normal().string();
  // "dir/" normalises to "dir/"; the program directory is joined with names later.
  if (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace common
