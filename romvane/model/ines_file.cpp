#include "model/ines_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>
#include "common/translate.h"

namespace romvane {
namespace {

// A descriptor closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// Opened without blocking, so a FIFO without a writer does not hang the open itself;
// O_NONBLOCK changes nothing for a regular file, so it stays set.
int OpenForReading(const std::string& path) {
  return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

// Opens path for reading when it is a regular file, with its status in st. The descriptor
// is -1 when the open failed (errno tells why) or when the path names something else, a
// folder, a FIFO or a device (notRegular is then set).
Descriptor OpenRegular(const std::string& path, struct stat& st, bool& notRegular) {
  notRegular = false;
  Descriptor fd(OpenForReading(path));
  if (fd.get() < 0) return fd;
  if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    notRegular = true;
    return Descriptor(-1);
  }
  return fd;
}

// Reads up to size bytes; returns how many there were.
size_t ReadUpTo(int fd, uint8_t* out, size_t size) {
  size_t total = 0;
  while (total < size) {
    const ssize_t got = read(fd, out + total, size - total);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    total += static_cast<size_t>(got);
  }
  return total;
}

bool ReadBlock(int fd, std::vector<uint8_t>& out, size_t size) {
  out.resize(size);
  if (ReadUpTo(fd, out.data(), size) == size) return true;
  out.clear();
  return false;
}

// Whether an open that failed did so because nothing stands at the path.
bool NothingAt(const std::string& path, int error) {
  if (error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG || error == ELOOP) return true;
  // A refused open may mean an unreadable file or an unsearchable folder on the way.
  return error == EACCES && access(path.c_str(), F_OK) != 0;
}

}  // namespace

common::File OpenRegularFile(const std::string& path, bool* notRegular, uint64_t* size) {
  struct stat st {};
  bool other = false;
  Descriptor fd = OpenRegular(path, st, other);
  if (notRegular) *notRegular = other;
  if (fd.get() < 0) return nullptr;
  if (size) *size = static_cast<uint64_t>(st.st_size);
  common::File file(fdopen(fd.get(), "rb"));
  if (file) fd.release();
  return file;
}

InesFile ReadInesFile(const std::string& path, bool withData) {
  InesFile ines;
  struct stat st {};
  bool notRegular = false;
  Descriptor fd = OpenRegular(path, st, notRegular);
  if (notRegular) {
    ines.status = InesStatus::kNotAFile;
    return ines;
  }
  if (fd.get() < 0) {
    ines.missing = NothingAt(path, errno);
    return ines;
  }
  const size_t got = ReadUpTo(fd.get(), ines.header.data(), kInesHeaderSize);
  if (got < 4 || !HasInesSignature(ines.header)) {
    ines.status = InesStatus::kNoSignature;
    return ines;
  }
  ines.wholeHeader = got == kInesHeaderSize;
  const uint32_t prg = PrgByteSize(ines.header);
  const uint32_t chr = ChrByteSize(ines.header);
  const bool complete =
      got == kInesHeaderSize &&
      (withData ? ReadBlock(fd.get(), ines.prg, prg) && ReadBlock(fd.get(), ines.chr, chr)
                : static_cast<uint64_t>(st.st_size) >= kInesHeaderSize + uint64_t{prg} + chr);
  ines.status = complete ? InesStatus::kComplete : InesStatus::kTruncated;
  if (!complete) {
    ines.prg.clear();
    ines.chr.clear();
  }
  return ines;
}

bool ReadFileRange(const std::string& path, uint64_t offset, size_t size, uint8_t* out) {
  struct stat st {};
  bool notRegular = false;
  const Descriptor fd = OpenRegular(path, st, notRegular);
  if (fd.get() < 0) return false;
  while (size > 0) {
    const ssize_t got = pread(fd.get(), out, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got;
    offset += static_cast<uint64_t>(got);
    size -= static_cast<size_t>(got);
  }
  return true;
}

std::string WriteInesMirroring(const std::string& path, bool vertical, InesHeader& header) {
  const std::string cannotWrite = common::TrFill("无法写入文件{0}!", {path});
  const InesFile ines = ReadInesFile(path, false);
  if (ines.status == InesStatus::kUnreadable || ines.status == InesStatus::kNotAFile) {
    return cannotWrite;
  }
  if (ines.status == InesStatus::kNoSignature || !ines.wholeHeader) {
    return common::TrFill("文件{0}已不是有效的NES文件!", {path});
  }
  common::File file(std::fopen(path.c_str(), "r+b"));
  if (!file) return cannotWrite;
  // Only the mirroring bit changes; the rest of the header is kept as the file has it.
  InesHeader onDisk = ines.header;
  onDisk[6] =
      static_cast<uint8_t>(vertical ? (onDisk[6] | kFlagVertical) : (onDisk[6] & ~kFlagVertical));
  if (std::fwrite(onDisk.data(), 1, onDisk.size(), file.get()) != onDisk.size() ||
      std::fflush(file.get()) != 0) {
    return cannotWrite;
  }
  header = onDisk;
  return {};
}

}  // namespace romvane
