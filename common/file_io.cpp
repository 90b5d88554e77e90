#include "common/file_io.h"

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
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return Result::Fail({}, "cannot open " + path + ": " + std::strerror(errno));
  // Read in pieces so that a huge file never gets a huge allocation up front.
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

Result WriteFileReplacing(const std::string& path, std::span<const uint8_t> bytes) {
  const std::string temp = path + ".tmp" + std::to_string(getpid());
  FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) return Result::Fail({}, "cannot create " + temp + ": " + std::strerror(errno));
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fflush(file) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return Result::Fail({}, "cannot write " + path);
  }
  return Result::Ok();
}

Result WriteFilesTogether(std::span<const FileContents> files) {
  std::vector<std::string> temps;
  auto dropTemps = [&temps] {
    for (const std::string& t : temps) std::remove(t.c_str());
  };
  for (const FileContents& file : files) {
    const std::string temp = file.path + ".tmp" + std::to_string(getpid());
    FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out) {
      dropTemps();
      return Result::Fail({}, "cannot create " + temp + ": " + std::strerror(errno));
    }
    temps.push_back(temp);
    const auto& bytes = file.bytes;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    ok = std::fflush(out) == 0 && ok;
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
      dropTemps();
      return Result::Fail({}, "cannot write " + file.path);
    }
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (std::rename(temps[i].c_str(), files[i].path.c_str()) != 0) {
      temps.erase(temps.begin(), temps.begin() + static_cast<long>(i));
      dropTemps();
      return Result::Fail({}, "cannot write " + files[i].path);
    }
  }
  return Result::Ok();
}

Result CreateFileKeeping(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return Result::Fail({}, "cannot create " + path + ": " + std::strerror(errno));
  std::fclose(file);
  return Result::Ok();
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
