#include "common/translate.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "common/file_io.h"

#ifndef VT_DATADIR_FROM_BINDIR
#define VT_DATADIR_FROM_BINDIR "../share"
#endif

namespace common {
namespace {

constexpr uint32_t kMoMagic = 0x950412de;
constexpr char kDomain[] = "vt03toolkit";
constexpr size_t kMaxCatalogueBytes = 4 << 20;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool IsCLocale(const std::string& name) {
  return name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

uint32_t ReadWord(const std::string& bytes, size_t at, bool swapped) {
  uint32_t w = 0;
  std::memcpy(&w, bytes.data() + at, 4);
  return swapped ? __builtin_bswap32(w) : w;
}

// Build tree: the catalogues lie in locale/ beside the programs; installed, in
// PREFIX/share/locale.
Catalogue LoadUserCatalogue() {
  const std::string language = CatalogueLanguage();
  if (language.empty()) return {};
  namespace fs = std::filesystem;
  const fs::path exe(ExecutableDirectory());
  const fs::path tail = fs::path(language) / "LC_MESSAGES" / (std::string(kDomain) + ".mo");
  for (const fs::path& dir : {exe / "locale", exe / VT_DATADIR_FROM_BINDIR / "locale"}) {
    std::vector<uint8_t> bytes;
    if (ReadFileBytes((dir / tail).string(), kMaxCatalogueBytes, bytes, true))
      return Catalogue::FromBytes(std::string(bytes.begin(), bytes.end()));
  }
  return {};
}

const Catalogue& UserCatalogue() {
  static const Catalogue catalogue = LoadUserCatalogue();
  return catalogue;
}

}  // namespace

std::string CatalogueLanguage() {
  std::string locale = Environment("LC_ALL");
  if (locale.empty()) locale = Environment("LC_MESSAGES");
  if (locale.empty()) locale = Environment("LANG");
  if (IsCLocale(locale)) return {};
  const std::string preferred = Environment("LANGUAGE");
  const std::string first = preferred.substr(0, preferred.find(':'));
  const std::string& name = first.empty() ? locale : first;
  return name.rfind("zh", 0) == 0 ? "zh_CN" : "en";
}

Catalogue Catalogue::FromBytes(std::string bytes) {
  Catalogue c;
  if (bytes.size() < 20) return c;
  uint32_t magic = 0;
  std::memcpy(&magic, bytes.data(), 4);
  const bool swapped = magic == __builtin_bswap32(kMoMagic);
  if (magic != kMoMagic && !swapped) return c;
  const uint32_t count = ReadWord(bytes, 8, swapped);
  const uint64_t originals = ReadWord(bytes, 12, swapped);
  const uint64_t translations = ReadWord(bytes, 16, swapped);
  if (count > bytes.size() / 16 || originals + 8ull * count > bytes.size() ||
      translations + 8ull * count > bytes.size())
    return c;
  // A string is its length and offset; msgfmt ends each with a NUL, which Find relies on.
  auto valid = [&](uint64_t length, uint64_t offset) {
    return offset + length < bytes.size() && bytes[offset + length] == '\0';
  };
  std::vector<Entry> entries;
  entries.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t ol = ReadWord(bytes, originals + 8 * i, swapped);
    const uint32_t oo = ReadWord(bytes, originals + 8 * i + 4, swapped);
    const uint32_t tl = ReadWord(bytes, translations + 8 * i, swapped);
    const uint32_t to = ReadWord(bytes, translations + 8 * i + 4, swapped);
    if (!valid(ol, oo) || !valid(tl, to)) return c;
    entries.push_back({oo, ol, to});
  }
  c.bytes_ = std::move(bytes);
  const std::string& b = c.bytes_;
  auto text = [&b](const Entry& e) {
    return std::string_view(b.data() + e.original, e.originalLength);
  };
  std::sort(entries.begin(), entries.end(),
            [&](const Entry& l, const Entry& r) { return text(l) < text(r); });
  c.entries_ = std::move(entries);
  return c;
}

const char* Catalogue::Find(std::string_view text) const {
  auto it = std::lower_bound(
      entries_.begin(), entries_.end(), text, [this](const Entry& e, std::string_view t) {
        return std::string_view(bytes_.data() + e.original, e.originalLength) < t;
      });
  if (it == entries_.end() ||
      std::string_view(bytes_.data() + it->original, it->originalLength) != text)
    return nullptr;
  const char* translation = bytes_.data() + it->translation;
  return *translation ? translation : nullptr;
}

const char* Tr(const char* text) {
  if (!text || !*text) return text;
  const char* found = UserCatalogue().Find(text);
  return found ? found : text;
}

std::string Tr(const std::string& text) {
  if (text.empty()) return text;
  const char* found = UserCatalogue().Find(text);
  return found ? std::string(found) : text;
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string out;
  out.reserve(pattern.size() + 32);
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' &&
        pattern[i + 1] >= '0' && pattern[i + 1] <= '9') {
      const size_t k = static_cast<size_t>(pattern[i + 1] - '0');
      if (k < values.size()) {
        out += values.begin()[k];
        i += 2;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

std::string TrFill(const char* pattern, std::initializer_list<std::string_view> values) {
  return Fill(Tr(pattern), values);
}

}  // namespace common
