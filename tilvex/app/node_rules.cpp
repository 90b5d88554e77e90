#include "app/node_rules.h"

#include <filesystem>
#include <system_error>

#include "common/gbk.h"
#include "common/translate.h"
#include "project/project_output.h"
#include "project/project_tree.h"

namespace tilvex {
namespace {

constexpr char kSpaces[] = " \t\r\n\v\f";
constexpr uint32_t kByteMax = 255;

bool Blank(const std::string& text) {
  return text.find_first_not_of(kSpaces) == std::string::npos;
}

}  // namespace

std::string NodeNameProblem(uint8_t kind, const std::string& name) {
  if (Blank(name)) return common::Tr("名称不能为空!");
  if (name.find_first_of("/\\") != std::string::npos)
    return common::TrFill("名称“{0}”像路径,不能包含 / 或 \\!", {name});
  if (!common::Utf8ToGbk(name))
    return common::TrFill("名称“{0}”含有工程文件无法保存的字符!", {name});
  if (kind != kKindItem) return {};
  if (name.find_first_of(kSpaces) != std::string::npos)
    return common::TrFill("项目名称“{0}”会成为汇编标号,不能包含空格!", {name});
  if (!CheckItemNames({name}).empty())
    return common::TrFill("项目名称“{0}”不能用作输出文件名!", {name});
  return {};
}

std::string ItemPathProblem(const std::string& path) {
  if (Blank(path)) return common::Tr("项目必须指定块图文件!");
  if (!common::Utf8ToGbk(path))
    return common::TrFill("路径“{0}”含有工程文件无法保存的字符!", {path});
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::path(path), error))
    return common::TrFill("块图文件“{0}”不存在!", {path});
  return {};
}

// The file keeps the low byte of each: a width or height of 256, a whole screen, is stored
// as 0 and read back as 256.
std::string SubBlockSizeProblem(uint32_t y, uint32_t width, uint32_t height) {
  const std::string values[] = {std::to_string(y), std::to_string(width), std::to_string(height)};
  if (y > kByteMax) return common::TrFill("子块的Y坐标{0}超过了255!", {values[0]});
  if (width > kByteMax + 1) return common::TrFill("子块的宽度{0}超过了256!", {values[1]});
  if (height > kByteMax + 1) return common::TrFill("子块的高度{0}超过了256!", {values[2]});
  return {};
}

}  // namespace tilvex
