#pragma once

// GBK (code page 936) at the file boundary. Both directions fail rather than change a
// character, so a name or path never comes back altered.

#include <optional>
#include <string>

namespace tilvex {

std::optional<std::string> Utf8ToGbkStrict(const std::string& utf8);
std::optional<std::string> GbkToUtf8Strict(const std::string& gbk);

// The longest start of a GBK text that fits in maxBytes without splitting a character.
std::string CutGbk(const std::string& gbk, size_t maxBytes);

}  // namespace tilvex
