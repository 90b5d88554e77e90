#include "common/write_target.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <vector>

namespace common {

namespace {

// Linux gives up on a chain of more links than this as well.
constexpr int kMaxLinkHops = 40;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows the chain of symbolic links at path to its end, which need not exist yet (a
// dangling link names the file to create). False for a loop or an unreadable link.
bool FollowLinks(const std::string& path, std::string& end) {
  end = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (lstat(end.c_str(), &st) != 0) return errno == ENOENT;
    if (!S_ISLNK(st.st_mode)) return true;
    std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
    const ssize_t n = readlink(end.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<size_t>(n) >= link.size()) return false;
    link.resize(static_cast<size_t>(n));
    end = link.front() == '/' ? link : FolderOf(end) + "/" + link;
  }
  return false;
}

WriteTarget Refused(const std::string& path, const std::string& why) {
  WriteTarget target;
  target.path = path;
  target.refusal = path + " " + why;
  return target;
}

std::string RandomSuffix() {
  static std::random_device device;
  static std::mt19937_64 rng((uint64_t{device()} << 32) ^ device());
  // Reseeded on every call from the device as well, so names do not follow from each other.
  const uint64_t bits = rng() ^ (uint64_t{device()} << 32 | device());
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
  return text;
}

}  // namespace

std::string NameBeside(const std::string& path) {
  std::string name = path.substr(path.rfind('/') + 1);
  if (name.size() > 100) name.resize(100);  // room for the suffix within a name's limit
  return FolderOf(path) + "/." + name + "." + RandomSuffix() + ".tmp";
}

WriteTarget FindWriteTarget(const std::string& path) {
  if (path.empty()) return Refused(path, "is not a file name");
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
      WriteTarget target;
      target.kind = WriteTargetKind::kStream;
      target.path = path;
      return target;
    }
    if (S_ISDIR(st.st_mode)) return Refused(path, "is a folder");
    if (!S_ISREG(st.st_mode)) return Refused(path, "is not a regular file");
  } else if (errno != ENOENT) {
    return Refused(path, "cannot be reached");
  }
  std::string end;
  if (!FollowLinks(path, end)) return Refused(path, "is a link that leads nowhere");
  struct stat endStat {};
  const bool exists = lstat(end.c_str(), &endStat) == 0;
  WriteTarget target;
  target.path = end;
  if (!exists) {
    target.kind = WriteTargetKind::kNewFile;
    return target;
  }
  // The end of the chain must be the file that the path names (not so for the kernel's
  // own links such as those under /proc/self/fd, which name no path).
  if (!S_ISREG(endStat.st_mode) || endStat.st_dev != st.st_dev || endStat.st_ino != st.st_ino) {
    return Refused(path, "is a link whose file cannot be replaced");
  }
  target.kind = WriteTargetKind::kRegular;
  target.mode = endStat.st_mode & 07777;
  target.owner = endStat.st_uid;
  target.group = endStat.st_gid;
  target.device = endStat.st_dev;
  target.inode = endStat.st_ino;
  return target;
}

int CreateFileBeside(const WriteTarget& target, std::string& createdPath) {
  const bool keepMode = target.kind == WriteTargetKind::kRegular;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = NameBeside(target.path);
    const int fd = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        keepMode ? 0600 : 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    if (keepMode) {
      // A different owner can only be kept by a privileged user; the mode always is.
      if (fchown(fd, target.owner, target.group) != 0) errno = 0;
      if (fchmod(fd, target.mode) != 0) {
        const int saved = errno;
        close(fd);
        unlink(candidate.c_str());
        errno = saved;
        return -1;
      }
    }
    createdPath = std::move(candidate);
    return fd;
  }
  errno = EEXIST;
  return -1;
}

bool ReserveRoom(int fd, uint64_t bytes) {
  // Small files gain nothing from it.
  constexpr uint64_t kLargeFile = 1 << 20;
  if (bytes < kLargeFile) return true;
#ifdef __linux__
  if (fallocate(fd, 0, 0, static_cast<off_t>(bytes)) != 0) return errno != ENOSPC;
#else
  (void)fd;
#endif
  return true;
}

bool WriteAllBytes(int fd, std::span<const uint8_t> bytes) {
  const std::span<const uint8_t> one[] = {bytes};
  return WriteAllParts(fd, one);
}

bool WriteAllParts(int fd, std::span<const std::span<const uint8_t>> parts) {
  std::vector<iovec> pending;
  for (std::span<const uint8_t> part : parts) {
    if (!part.empty()) pending.push_back({const_cast<uint8_t*>(part.data()), part.size()});
  }
  for (size_t first = 0; first < pending.size();) {
    const auto count = static_cast<int>(std::min<size_t>(pending.size() - first, IOV_MAX));
    const ssize_t n = writev(fd, &pending[first], count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    // Past what was written: whole parts, then into the part it stopped in.
    for (auto done = static_cast<size_t>(n); done > 0;) {
      iovec& part = pending[first];
      const size_t step = std::min(done, part.iov_len);
      part.iov_base = static_cast<uint8_t*>(part.iov_base) + step;
      part.iov_len -= step;
      done -= step;
      if (part.iov_len == 0) ++first;
    }
  }
  return true;
}

int OpenStreamForWriting(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !(S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode))) {
    close(fd);
    errno = EINVAL;
    return -1;
  }
  // Waiting is fine once a reader is there.
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

}  // namespace common
