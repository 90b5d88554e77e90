#pragma once

#include <string>
#include <string_view>

namespace common {

// Converts UTF-8 text to UTF-16 code units. A byte that does not start a well-formed
// sequence becomes U+FFFD, so every text converts completely.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace common
