#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace common {

Result ReadFileBytes(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out,
                     bool refuseLonger) {
  out.clear();
  // Only regular files are read: a pipe or a device would block the reader or never end.
  struct stat st {};
  if (stat(path.c_str(), &st) != 0)
    return Result::Fail({}, "cannot open " + path + ": " + std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return Result::Fail({}, "cannot open " + path + ": not a file");
  // Opened without waiting, and checked again, in case the path changed in between.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Result::Fail({}, "cannot open " + path + ": " + std::strerror(errno));
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return Result::Fail({}, "cannot open " + path + ": not a file");
  }
  FILE* file = fdopen(fd, "rb");
  if (!file) {
    close(fd);
    return Result::Fail({}, "cannot open " + path + ": " + std::strerror(errno));
  }
  // Room for what the file holds now, so that the bytes are not moved as they come in; read
  // in pieces, so that a huge file never gets a huge allocation up front.
  constexpr uint64_t kMaxUpFront = uint64_t{64} << 20;
  out.reserve(static_cast<size_t>(
      std::min({static_cast<uint64_t>(st.st_size), uint64_t{maxBytes}, kMaxUpFront})));
  uint8_t chunk[65536];
  bool tooLong = false;
  for (;;) {
    const size_t room = maxBytes - out.size();
    const size_t got = std::fread(chunk, 1, std::min(sizeof chunk, room + 1), file);
    if (got == 0) break;
    if (got > room) {
      out.insert(out.end(), chunk, chunk + room);
      tooLong = true;
      break;
    }
    out.insert(out.end(), chunk, chunk + got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return Result::Fail({}, "cannot read " + path);
  if (tooLong && refuseLonger) return Result::Fail({}, path + " is too large");
  return Result::Ok();
}

Result CreateFileKeeping(const std::string& path) {
  const int fd =
      open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return Result::Fail({}, "cannot create " + path + ": " + std::strerror(errno));
  struct stat st {};
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  if (!regular) return Result::Fail({}, "cannot create " + path + ": not a file");
  return Result::Ok();
}

std::string FileNameOf(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string LowerExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::string ExecutableDirectory() {
  std::vector<char> buffer(4096);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return ".";
  const std::string exe(buffer.data(), static_cast<size_t>(n));
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "." : exe.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace common
