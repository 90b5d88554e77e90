// Text helpers for the block-picture writers: text-mode line ends, the GBK file boundary
// and the message for an output that cannot be written.
#pragma once

#include <string>

#include "image/file_io.h"
#include "image/result.h"

namespace tilvex {

// Text mode: every "\n" becomes CR LF.
std::string ToCrlf(const std::string& text);

// UTF-8 to GBK (code page 936); characters GBK cannot hold become "?".
std::string Utf8ToGbk(const std::string& text);

// The message for an output file that could not be written.
std::string CannotWriteMessage(const std::string& path);

// Writes bytes held in a string, replacing the file whole; fails with CannotWriteMessage.
Result WriteBytesReplacing(const std::string& path, const std::string& bytes);
Result WriteBytesReplacing(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace tilvex
