#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace common {

// Text is UTF-8 in memory and GBK (code page 936) in list files, map listings and the
// assembler game table. Both return nothing when the text cannot be converted whole.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);
std::optional<std::string> GbkToUtf8(std::string_view gbk);

}  // namespace common
