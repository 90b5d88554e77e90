#include "model/ines_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace romvane {
namespace {

bool ReadExactly(FILE* f, std::vector<uint8_t>& out, size_t size) {
  out.resize(size);
  if (size == 0 || std::fread(out.data(), 1, size, f) == size) return true;
  out.clear();
  return false;
}

}  // namespace

common::File OpenRegularFile(const std::string& path, bool* notRegular, uint64_t* size) {
  if (notRegular) *notRegular = false;
  // Opened without blocking, so a FIFO without a writer does not hang the open itself.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (notRegular) *notRegular = true;
    close(fd);
    return nullptr;
  }
  // O_NONBLOCK changes nothing for a regular file, so it stays set.
  if (size) *size = static_cast<uint64_t>(st.st_size);
  common::File file(fdopen(fd, "rb"));
  if (!file) close(fd);
  return file;
}

InesFile ReadInesFile(const std::string& path, bool withData) {
  InesFile ines;
  bool notRegular = false;
  uint64_t fileSize = 0;
  common::File file = OpenRegularFile(path, &notRegular, &fileSize);
  if (!file) {
    ines.status = notRegular ? InesStatus::kNotAFile : InesStatus::kUnreadable;
    return ines;
  }
  const size_t got = std::fread(ines.header.data(), 1, kInesHeaderSize, file.get());
  if (got < 4 || !HasInesSignature(ines.header)) {
    ines.status = InesStatus::kNoSignature;
    return ines;
  }
  ines.wholeHeader = got == kInesHeaderSize;
  const uint32_t prg = PrgByteSize(ines.header);
  const uint32_t chr = ChrByteSize(ines.header);
  const bool complete =
      got == kInesHeaderSize &&
      (withData ? ReadExactly(file.get(), ines.prg, prg) && ReadExactly(file.get(), ines.chr, chr)
                : fileSize >= kInesHeaderSize + uint64_t{prg} + chr);
  ines.status = complete ? InesStatus::kComplete : InesStatus::kTruncated;
  if (!complete) {
    ines.prg.clear();
    ines.chr.clear();
  }
  return ines;
}

std::string WriteInesMirroring(const std::string& path, bool vertical, InesHeader& header) {
  const std::string cannotWrite = "无法写入文件" + path + "!";
  const InesFile ines = ReadInesFile(path, false);
  if (ines.status == InesStatus::kUnreadable || ines.status == InesStatus::kNotAFile) {
    return cannotWrite;
  }
  if (ines.status == InesStatus::kNoSignature || !ines.wholeHeader) {
    return "文件" + path + "已不是有效的NES文件!";
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
