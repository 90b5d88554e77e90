#include "project/gbk_text.h"

#include <iconv.h>

#include <cerrno>

namespace tilvex {
namespace {

std::optional<std::string> Convert(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(in.size() * 2 + 8, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace

std::optional<std::string> Utf8ToGbkStrict(const std::string& utf8) {
  return Convert("GBK", "UTF-8", utf8);
}

std::optional<std::string> GbkToUtf8Strict(const std::string& gbk) {
  return Convert("UTF-8", "GBK", gbk);
}

std::string CutGbk(const std::string& gbk, size_t maxBytes) {
  size_t end = 0;
  while (end < gbk.size()) {
    const size_t width = static_cast<uint8_t>(gbk[end]) >= 0x81 ? 2 : 1;
    if (end + width > maxBytes || end + width > gbk.size()) break;
    end += width;
  }
  return gbk.substr(0, end);
}

}  // namespace tilvex
