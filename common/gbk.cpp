#include "common/gbk.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace common {
namespace {

// One conversion descriptor per direction and thread, opened on first use: opening one
// costs far more than converting a line.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (Valid()) iconv_close(cd_);
  }
  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Ready for a new text: no shift state left over from the last one.
  iconv_t Fresh() {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return cd_;
  }

 private:
  iconv_t cd_;
};

std::optional<std::string> Convert(Converter& converter, std::string_view in) {
  if (!converter.Valid()) return std::nullopt;
  iconv_t cd = converter.Fresh();
  std::string out(in.size() * 2 + 8, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  bool ok = true;
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) {
      const size_t used = out.size() - dstLeft;
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dstLeft = out.size() - used;
      continue;
    }
    ok = false;  // EILSEQ or EINVAL: a character the other side cannot hold, or a cut one
    break;
  }
  if (!ok) return std::nullopt;
  out.resize(out.size() - dstLeft);
  return out;
}

// Plain ASCII reads the same in both encodings: such text needs no conversion, and a
// program that meets no other never loads the converter at all.
bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

}  // namespace

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  thread_local Converter toGbk("GBK", "UTF-8");
  return Convert(toGbk, utf8);
}

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  thread_local Converter fromGbk("UTF-8", "GBK");
  return Convert(fromGbk, gbk);
}

}  // namespace common
