#include "common/gbk.h"

#include <iconv.h>

#include <cerrno>

namespace common {
namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
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
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  return Convert("GBK", "UTF-8", utf8);
}

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  return Convert("UTF-8", "GBK", gbk);
}

}  // namespace common
