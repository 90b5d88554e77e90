// Replacing files: every new file is written completely beside its target before any target
// changes, so a failure leaves the old files whole.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/write_target.h"

namespace common {

namespace {

struct Piece {
  const std::string* path;
  std::span<const std::span<const uint8_t>> parts;  // the contents, one after the other
  WriteTarget target;
  std::string temp;    // the new contents, beside the target
  std::string backup;  // a second name for the old file while the set is renamed
};

constexpr char kCannotWrite[] = "cannot write ";
constexpr char kReasonMark[] = ": ";

// WriteFailureReason reads the reason back from the end of this detail.
Result Failure(const std::string& path, int error) {
  return Result::Fail({}, kCannotWrite + path + kReasonMark + std::strerror(error));
}

void RemoveQuietly(std::string& path) {
  if (!path.empty()) unlink(path.c_str());
  path.clear();
}

Result WriteBeside(Piece& piece) {
  const int fd = CreateFileBeside(piece.target, piece.temp);
  if (fd < 0) return Failure(*piece.path, errno);
  uint64_t size = 0;
  for (std::span<const uint8_t> part : piece.parts) size += part.size();
  bool ok = ReserveRoom(fd, size) && WriteAllParts(fd, piece.parts);
  const int error = errno;
  ok = close(fd) == 0 && ok;
  if (!ok) {
    RemoveQuietly(piece.temp);
    return Failure(*piece.path, error ? error : EIO);
  }
  return Result::Ok();
}

// A device or pipe takes the bytes directly; path is the name the caller gave.
Result WriteStream(const std::string& path, const std::string& stream,
                   std::span<const std::span<const uint8_t>> parts) {
  const int fd = OpenStreamForWriting(stream);
  if (fd < 0) return Failure(path, errno);
  const bool ok = WriteAllParts(fd, parts);
  const int error = errno;
  close(fd);
  return ok ? Result::Ok() : Failure(path, error ? error : EIO);
}

bool SameTarget(const WriteTarget& a, const WriteTarget& b) {
  if (a.path == b.path) return true;
  return a.kind == WriteTargetKind::kRegular && b.kind == WriteTargetKind::kRegular &&
         a.device == b.device && a.inode == b.inode;
}

// Keeps a second name for an old file while the set is renamed, so that a later failure
// can put it back. Where the file system has no hard links the old file cannot be kept.
void KeepOldFile(Piece& piece) {
  // link() itself refuses a name that is taken, so nothing needs creating first.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = NameBeside(piece.target.path);
    if (link(piece.target.path.c_str(), name.c_str()) == 0) {
      piece.backup = std::move(name);
      return;
    }
    if (errno != EEXIST) return;
  }
}

// Renames every new file over its target; on a failure puts the old files back.
Result RenameAll(std::vector<Piece>& pieces, LeftoverFiles* leftovers) {
  const bool several = pieces.size() > 1;
  size_t done = 0;
  for (; done < pieces.size(); ++done) {
    Piece& piece = pieces[done];
    if (piece.temp.empty()) continue;
    if (several && piece.target.kind == WriteTargetKind::kRegular) KeepOldFile(piece);
    if (rename(piece.temp.c_str(), piece.target.path.c_str()) != 0) break;
    piece.temp.clear();
  }
  Result result = Result::Ok();
  if (done < pieces.size()) {
    result = Failure(*pieces[done].path, errno);
    for (size_t i = 0; i < done; ++i) {
      Piece& piece = pieces[i];
      if (!piece.backup.empty() && rename(piece.backup.c_str(), piece.target.path.c_str()) == 0)
        piece.backup.clear();
      else if (piece.target.kind == WriteTargetKind::kNewFile)
        unlink(piece.target.path.c_str());
    }
  }
  for (Piece& piece : pieces) {
    RemoveQuietly(piece.temp);
    if (leftovers && !piece.backup.empty()) leftovers->Add(std::exchange(piece.backup, {}));
    RemoveQuietly(piece.backup);
  }
  return result;
}

Result WritePieces(std::vector<Piece>& pieces, LeftoverFiles* leftovers = nullptr) {
  for (size_t i = 0; i < pieces.size(); ++i) {
    Piece& piece = pieces[i];
    piece.target = FindWriteTarget(*piece.path);
    if (piece.target.kind == WriteTargetKind::kRefused)
      return Result::Fail({}, "cannot write " + piece.target.refusal);
    for (size_t j = 0; j < i; ++j) {
      if (SameTarget(pieces[j].target, piece.target))
        return Result::Fail({}, "cannot write " + *piece.path + " twice in one set");
    }
  }
  auto dropTemps = [&pieces] {
    for (Piece& piece : pieces) RemoveQuietly(piece.temp);
  };
  for (Piece& piece : pieces) {
    if (piece.target.kind == WriteTargetKind::kStream) continue;
    if (Result r = WriteBeside(piece); !r) {
      dropTemps();
      return r;
    }
  }
  // Devices and pipes take their bytes directly; nothing can be taken back from them, so
  // they come before any file is replaced.
  for (const Piece& piece : pieces) {
    if (piece.target.kind != WriteTargetKind::kStream) continue;
    if (Result r = WriteStream(*piece.path, piece.target.path, piece.parts); !r) {
      dropTemps();
      return r;
    }
  }
  return RenameAll(pieces, leftovers);
}

}  // namespace

std::string WriteFailureReason(const Result& failure) {
  const std::string& detail = failure.detail;
  if (failure.ok || detail.rfind(kCannotWrite, 0) != 0) return {};
  const size_t mark = detail.rfind(kReasonMark);
  return mark == std::string::npos ? std::string() : detail.substr(mark + 2);
}

std::string WithReason(const std::string& message, const Result& failure) {
  const std::string reason = WriteFailureReason(failure);
  return reason.empty() ? message : message + " (" + reason + ")";
}

Result WriteFileReplacing(const std::string& path, std::span<const uint8_t> bytes) {
  const std::span<const uint8_t> one[] = {bytes};
  return WriteFileReplacing(path, one);
}

Result WriteFileReplacing(const std::string& path,
                          std::span<const std::span<const uint8_t>> parts) {
  std::vector<Piece> pieces(1);
  pieces[0].path = &path;
  pieces[0].parts = parts;
  return WritePieces(pieces);
}

void LeftoverFiles::Remove() {
  for (std::string& path : paths_) RemoveQuietly(path);
  paths_.clear();
}

Result WriteFilesTogether(std::span<const FileContents> files, LeftoverFiles* leftovers) {
  std::vector<std::span<const uint8_t>> contents;
  for (const FileContents& file : files) contents.emplace_back(file.bytes);
  std::vector<Piece> pieces(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    pieces[i].path = &files[i].path;
    pieces[i].parts = std::span(&contents[i], 1);
  }
  return WritePieces(pieces, leftovers);
}

PendingFile::~PendingFile() {
  Drop();
}

void PendingFile::Drop() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  RemoveQuietly(temp_);
  held_.clear();
}

Result PendingFile::Failure(int error) {
  Drop();
  return common::Failure(path_, error ? error : EIO);
}

Result PendingFile::Write(const std::string& path, std::span<const uint8_t> bytes) {
  Drop();
  path_ = path;
  size_ = bytes.size();
  const WriteTarget target = FindWriteTarget(path);
  target_ = target.path;
  stream_ = target.kind == WriteTargetKind::kStream;
  if (target.kind == WriteTargetKind::kRefused)
    return Result::Fail({}, "cannot write " + target.refusal);
  if (stream_) {
    held_.assign(bytes.begin(), bytes.end());
    return Result::Ok();
  }
  fd_ = CreateFileBeside(target, temp_);
  if (fd_ < 0 || !ReserveRoom(fd_, bytes.size()) || !WriteAllBytes(fd_, bytes))
    return Failure(errno);
  return Result::Ok();
}

Result PendingFile::Patch(uint64_t offset, std::span<const uint8_t> bytes) {
  if (offset > size_ || bytes.size() > size_ - offset) return Failure(EINVAL);
  if (stream_) {
    std::copy(bytes.begin(), bytes.end(), held_.begin() + static_cast<ptrdiff_t>(offset));
    return Result::Ok();
  }
  if (fd_ < 0) return Failure(EBADF);
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t put =
        pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return Failure(put < 0 ? errno : EIO);
    done += static_cast<size_t>(put);
  }
  return Result::Ok();
}

Result PendingFile::Commit() {
  if (stream_) {
    const std::span<const uint8_t> held[] = {held_};
    Result written = WriteStream(path_, target_, held);
    held_.clear();
    return written;
  }
  if (fd_ < 0) return Failure(EBADF);
  const int closed = close(fd_);
  fd_ = -1;
  if (closed != 0 || rename(temp_.c_str(), target_.c_str()) != 0) return Failure(errno);
  temp_.clear();
  return Result::Ok();
}

}  // namespace common
