// Text helpers for the block-picture writers: text-mode line ends, the GBK file boundary
// and the message for an output that cannot be written.
#pragma once

#include <optional>
#include <string>

#include "common/file_io.h"
#include "common/result.h"

namespace tilvex {
using common::Result;

// Text mode: every "\n" becomes CR LF.
std::string ToCrlf(const std::string& text);

// UTF-8 to GBK (code page 936); characters GBK cannot hold become "?".
std::string Utf8ToGbk(const std::string& text);

// Both directions, failing rather than changing a character, for names and paths that
// must come back as they went in.
std::optional<std::string> Utf8ToGbkStrict(const std::string& utf8);
std::optional<std::string> GbkToUtf8Strict(const std::string& gbk);

// The longest start of a GBK text that fits in maxBytes without splitting a character.
std::string CutGbk(const std::string& gbk, size_t maxBytes);

// The message for an output file that could not be written.
std::string CannotWriteMessage(const std::string& path);

// Writes bytes held in a string, replacing the file whole; fails with CannotWriteMessage.
Result WriteBytesReplacing(const std::string& path, const std::string& bytes);
Result WriteBytesReplacing(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace tilvex
