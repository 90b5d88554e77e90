// Feeds arbitrary bytes to the message catalogue reader, as a damaged or hostile .mo file
// would reach it, then looks up and fills every text it accepted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/translate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const common::Catalogue catalogue =
      common::Catalogue::FromBytes(std::string(reinterpret_cast<const char*>(data), size));
  // Every original text is somewhere in the bytes; try each NUL-ended run as one.
  for (size_t at = 0; at < size;) {
    const char* text = reinterpret_cast<const char*>(data) + at;
    const size_t length = strnlen(text, size - at);
    if (const char* found = catalogue.Find(std::string_view(text, length))) {
      // A translation is filled with values as the program fills it, whatever it holds.
      const std::string filled = common::Fill(found, {"1", "two", "%s%n", "{0}"});
      if (filled.size() > std::strlen(found) * 4 + 16) std::abort();
    }
    at += length + 1;
  }
  return 0;
}
