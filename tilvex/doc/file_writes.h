// Writing the program's output files: a failure names the file in the program's words.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "common/file_io.h"
#include "common/result.h"

namespace tilvex {
using common::Result;

// The message for an output file that could not be written.
std::string CannotWriteMessage(const std::string& path);

// Replaces one file whole; fails with CannotWriteMessage.
Result WriteOutputFile(const std::string& path, std::span<const uint8_t> bytes);

// Files that belong together: every one is written beside its target before any target is
// replaced, so a failure leaves all of them as they were. Fails with CannotWriteMessage of
// the file that could not be written.
Result WriteOutputFiles(std::span<const common::FileContents> files);

}  // namespace tilvex
