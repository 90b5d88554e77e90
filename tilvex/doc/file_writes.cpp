#include "doc/file_writes.h"
#include "common/translate.h"

namespace tilvex {

std::string CannotWriteMessage(const std::string& path) {
  return common::TrFill("无法写入文件{0}!", {path});
}

Result WriteOutputFile(const std::string& path, std::span<const uint8_t> bytes) {
  Result written = common::WriteFileReplacing(path, bytes);
  if (!written.ok)
    return Result::Fail(common::WithReason(CannotWriteMessage(path), written), written.detail);
  return Result::Ok();
}

Result WriteOutputFiles(std::span<const common::FileContents> files) {
  Result written = common::WriteFilesTogether(files);
  if (written.ok) return written;
  // The detail names the file that failed; the message names it in the program's words.
  for (const common::FileContents& file : files) {
    if (written.detail.find(file.path) != std::string::npos) {
      return Result::Fail(common::WithReason(CannotWriteMessage(file.path), written),
                          written.detail);
    }
  }
  const std::string first = files.empty() ? std::string() : files.front().path;
  return Result::Fail(common::WithReason(CannotWriteMessage(first), written), written.detail);
}

}  // namespace tilvex
