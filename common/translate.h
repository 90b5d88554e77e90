#pragma once

// The program's texts in the user's language. Texts are written in the source exactly as
// the program shows them in Chinese and in the C locale; a message catalogue
// (LANG/LC_MESSAGES/vt03toolkit.mo, gettext's binary format) gives each of them in another
// language. A text missing from the catalogue is shown as written.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace common {

// The catalogue a locale asks for: "" for the C and POSIX locales (the texts as written),
// "zh_CN" for any Chinese locale, "en" for every other one. Read as gettext does: LC_ALL,
// else LC_MESSAGES, else LANG; outside the C locale LANGUAGE's first entry comes first.
std::string CatalogueLanguage();

// The text in the user's language. The returned pointer lives as long as the program.
const char* Tr(const char* text);
std::string Tr(const std::string& text);

// `pattern` with {0}, {1}, ... replaced by the values, so that a translation can put them in
// its own order.
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values);
// Tr(pattern) filled.
std::string TrFill(const char* pattern, std::initializer_list<std::string_view> values);

// A catalogue read from the bytes of a .mo file; an empty one when the bytes are not a
// valid catalogue (every length and offset is checked against the data).
class Catalogue {
 public:
  static Catalogue FromBytes(std::string bytes);
  // The translation, or nullptr when the text has none.
  const char* Find(std::string_view text) const;
  size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    uint32_t original, originalLength, translation;
  };
  std::string bytes_;
  std::vector<Entry> entries_;  // sorted by original text, as msgfmt writes them
};

}  // namespace common
