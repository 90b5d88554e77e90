#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "model/ines_header.h"

namespace romvane {

// Opens a file for reading only when it is a regular file, so a FIFO or a device named
// as a game or a list never blocks the program. Empty when it cannot be opened or is
// something else; notRegular then tells which. size receives the file's length.
common::File OpenRegularFile(const std::string& path, bool* notRegular = nullptr,
                             uint64_t* size = nullptr);

enum class InesStatus {
  kComplete,     // signature present and every announced PRG and CHR byte in the file
  kUnreadable,   // the file cannot be opened
  kNotAFile,     // a folder, a FIFO or a device: never opened
  kNoSignature,  // not an iNES image
  kTruncated,    // shorter than its header says
};

// What one iNES file holds. The PRG data starts right behind the header, a trainer
// included; the CHR data follows it. Data is read only when asked for.
struct InesFile {
  InesStatus status = InesStatus::kUnreadable;
  bool missing = false;  // kUnreadable because nothing at all stands at the path
  InesHeader header{};
  bool wholeHeader = false;  // all 16 header bytes were there
  std::vector<uint8_t> prg;
  std::vector<uint8_t> chr;
};

// Reads the header and, with withData, the PRG and CHR data. Without data the file's
// length still decides whether it is complete. Four system calls for a header.
InesFile ReadInesFile(const std::string& path, bool withData);

// Reads size bytes of a regular file from offset on into out. False when the file cannot be
// opened, is something else, or ends before; out may then hold part of them.
bool ReadFileRange(const std::string& path, uint64_t offset, size_t size, uint8_t* out);

// Sets or clears the mirroring bit in the file's header, keeping every other byte.
// Returns an empty text on success, else the message to show; header receives the
// header now on disk.
std::string WriteInesMirroring(const std::string& path, bool vertical, InesHeader& header);

}  // namespace romvane
