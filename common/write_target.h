#pragma once

// Where a write to a path really lands, and the temporary files that replace a file there.
// An output path given by the user may be a symbolic link (written through to the file it
// names), a device or pipe such as /dev/null or /dev/stdout (written directly, never
// replaced by a regular file), or something that cannot be written at all (a folder).

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace common {

enum class WriteTargetKind {
  kNewFile,  // nothing there yet: a new regular file is created
  kRegular,  // an existing regular file, replaced through a file beside it
  kStream,   // a character device or a pipe: written directly, never replaced
  kRefused,  // a folder, a block device, a socket, or a path that cannot be resolved
};

struct WriteTarget {
  WriteTargetKind kind = WriteTargetKind::kRefused;
  // The file that is written: the path itself, or the end of its chain of links.
  std::string path;
  // An existing regular file's mode, owner and identity, kept by the replacement.
  mode_t mode = 0;
  uid_t owner = 0;
  gid_t group = 0;
  dev_t device = 0;
  ino_t inode = 0;
  // Why the path is refused, in plain English.
  std::string refusal;
};

WriteTarget FindWriteTarget(const std::string& path);

// A hidden name beside path with an unpredictable suffix, for a file that stands in for it
// for a while.
std::string NameBeside(const std::string& path);

// Creates a new file beside target.path with an unpredictable name, exclusively, so that
// nothing already at that name (a planted link among others) is ever opened. It gets the
// existing file's mode and, where allowed, its owner. Returns the descriptor, or -1 with
// errno set.
int CreateFileBeside(const WriteTarget& target, std::string& createdPath);

// Takes the room for a new file of this many bytes before it is written, where the file
// system can: a full disk shows before anything is written, and a large file's blocks are
// not allocated in one go when it is renamed over its target. False only when the room is
// not there.
bool ReserveRoom(int fd, uint64_t bytes);

// Writes every byte to the descriptor, continuing after interruptions and short writes.
bool WriteAllBytes(int fd, std::span<const uint8_t> bytes);
// The same for parts written one after the other, gathered into as few writes as can be.
bool WriteAllParts(int fd, std::span<const std::span<const uint8_t>> parts);

// Opens a device or pipe for writing without waiting for a reader (a pipe that nobody
// reads fails at once). Returns the descriptor, or -1 with errno set.
int OpenStreamForWriting(const std::string& path);

}  // namespace common
