// File helpers shared by the block-picture writers: bounded reads, replacing writes,
// text-mode line ends and the GBK file boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tilvex {

// The whole file, or nothing when it cannot be opened or is longer than maxBytes.
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, size_t maxBytes);

// Up to count bytes from the start of the file; nothing when it cannot be opened.
std::optional<std::vector<uint8_t>> ReadFilePrefix(const std::string& path, size_t count);

// Writes into a temporary file beside path, then renames it over path, so a failed write
// leaves an earlier file whole. False when any step fails.
bool WriteFileReplacing(const std::string& path, const void* data, size_t size);
inline bool WriteFileReplacing(const std::string& path, const std::string& bytes) {
  return WriteFileReplacing(path, bytes.data(), bytes.size());
}
inline bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteFileReplacing(path, bytes.data(), bytes.size());
}

// Text mode: every "\n" becomes CR LF.
std::string ToCrlf(const std::string& text);

// UTF-8 to GBK (code page 936); characters GBK cannot hold become "?".
std::string Utf8ToGbk(const std::string& text);

// The message for an output file that could not be written.
std::string CannotWriteMessage(const std::string& path);

}  // namespace tilvex
