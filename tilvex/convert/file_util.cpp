#include "convert/file_util.h"

#include <iconv.h>

#include <cerrno>
#include <span>

namespace tilvex {
using common::WriteFileReplacing;

std::string ToCrlf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string Utf8ToGbk(const std::string& text) {
  bool ascii = true;
  for (unsigned char c : text) ascii = ascii && c < 0x80;
  if (ascii) return text;
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  std::string input = text;
  char* in = input.data();
  size_t inLeft = input.size();
  char buffer[256];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (done == static_cast<size_t>(-1) && errno != E2BIG) {
      // A character GBK cannot hold, or broken UTF-8: mark it and go on.
      out += '?';
      ++in;
      --inLeft;
      while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
        ++in;
        --inLeft;
      }
    }
  }
  iconv_close(cd);
  return out;
}

namespace {

std::optional<std::string> ConvertWhole(const char* to, const char* from, const std::string& in) {
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
  return ConvertWhole("GBK", "UTF-8", utf8);
}

std::optional<std::string> GbkToUtf8Strict(const std::string& gbk) {
  return ConvertWhole("UTF-8", "GBK", gbk);
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

std::string CannotWriteMessage(const std::string& path) {
  return "无法写入文件" + path + "!";
}

Result WriteBytesReplacing(const std::string& path, const std::string& bytes) {
  auto span =
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  Result written = WriteFileReplacing(path, span);
  if (!written.ok) return Result::Fail(CannotWriteMessage(path), written.detail);
  return Result::Ok();
}

Result WriteBytesReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
  Result written = WriteFileReplacing(path, std::span<const uint8_t>(bytes));
  if (!written.ok) return Result::Fail(CannotWriteMessage(path), written.detail);
  return Result::Ok();
}

}  // namespace tilvex
