#include "model/list_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/gbk.h"
#include "model/paths.h"

namespace romvane {
using common::GbkToUtf8;
using common::Utf8ToGbk;

bool WriteFileAtomically(const std::string& path, std::string_view data) {
  const std::string temp = path + ".tmp~";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = std::fclose(f) == 0 && ok;
  if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

std::string SaveListFile(const GameList& list, const std::string& path) {
  std::string text;
  for (int number = 1; number <= list.RowCount(); ++number) {
    const int row = list.RowWithNumber(number);
    if (row < 0) continue;
    const std::string& gamePath = list.PathOfRow(row);
    const std::string& title = list.Row(row).text[kColTitle];
    std::string line = gamePath;
    if (title != BaseNameOf(gamePath)) line += "," + title;
    const auto gbk = Utf8ToGbk(line);
    if (!gbk) {
      return "第" + std::to_string(number) + "行含有GBK无法表示的字符，列表没有保存!";
    }
    text += *gbk + "\r\n";
  }
  if (!WriteFileAtomically(path, text)) return "无法写入文件" + path + "!";
  return {};
}

LoadResult LoadListFile(GameList& list, const std::string& path) {
  LoadResult result;
  list.Clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.error = "无法打开文件" + path + "!";
    return result;
  }
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t start = 0;
  int lineNumber = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string raw = content.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();

    const auto line = GbkToUtf8(raw);
    if (!line) {
      list.Clear();
      result.error = "文件" + path + "的第" + std::to_string(lineNumber) + "行不是GBK文本!";
      return result;
    }
    const size_t comma = line->rfind(',');
    const std::string gamePath = comma == std::string::npos ? *line : line->substr(0, comma);
    const std::string title =
        comma == std::string::npos ? BaseNameOf(gamePath) : line->substr(comma + 1);
    const AddResult added = list.AddGame(gamePath, title);
    if (added.status == AddStatus::kUnreadable) {
      list.Clear();
      result.error = "文件" + gamePath + "不存在，或不在原路径!";
      return result;
    }
    if (added.status == AddStatus::kListFull) {
      result.warnings.push_back(added.message);
      return result;
    }
    if (!added.message.empty()) result.warnings.push_back(added.message);
  }
  return result;
}

}  // namespace romvane
