#include "model/list_file.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>

#include "common/file_io.h"
#include "common/gbk.h"
#include "common/translate.h"
#include "model/ines_file.h"
#include "model/paths.h"

namespace romvane {
using common::GbkToUtf8;
using common::Utf8ToGbk;
namespace {

constexpr size_t kMaxListFileBytes = 16 << 20;  // far beyond 512 lines of paths

struct ListLine {
  std::string path;
  std::string title;
};

using ExistsFunction = std::function<bool(const std::string&)>;

bool Exists(const std::string& path) {
  return !path.empty() && access(path.c_str(), F_OK) == 0;
}

// Reads each path a line may name at most once: whether a file stands there is known
// from the game read itself, which the chosen reading then takes over.
class GameProbe {
 public:
  explicit GameProbe(bool withData) : withData_(withData) {}

  bool Exists(const std::string& path) { return !path.empty() && !Read(path).missing; }

  InesFile Take(const std::string& path) {
    InesFile ines = std::move(Read(path));
    tried_.clear();
    return ines;
  }

 private:
  InesFile& Read(const std::string& path) {
    for (auto& [tried, ines] : tried_) {
      if (tried == path) return ines;
    }
    return tried_.emplace_back(path, ReadInesFile(path, withData_)).second;
  }

  bool withData_;
  std::vector<std::pair<std::string, InesFile>> tried_;
};

// The reading of a line: the last comma whose text before it names an existing file,
// else the whole line when it names one, else the last comma as the format always had it.
std::optional<ListLine> SplitLine(const std::string& line, bool requireExisting,
                                  const ExistsFunction& exists) {
  for (size_t comma = line.rfind(','); comma != std::string::npos;
       comma = comma == 0 ? std::string::npos : line.rfind(',', comma - 1)) {
    if (exists(line.substr(0, comma)))
      return ListLine{line.substr(0, comma), line.substr(comma + 1)};
  }
  if (exists(line) || line.find(',') == std::string::npos) {
    if (requireExisting && !exists(line)) return std::nullopt;
    return ListLine{line, BaseNameOf(line)};
  }
  if (requireExisting) return std::nullopt;
  const size_t last = line.rfind(',');
  return ListLine{line.substr(0, last), line.substr(last + 1)};
}

bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t extra = c < 0x80                ? 0
                         : c >= 0xC2 && c < 0xE0 ? 1
                         : c >= 0xE0 && c < 0xF0 ? 2
                         : c >= 0xF0 && c < 0xF5 ? 3
                                                 : 9;
    if (extra == 9 || i + extra >= text.size() + (extra == 0)) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// The lines of the text, without their line ends.
std::vector<std::string_view> SplitLines(std::string_view content) {
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < content.size();) {
    const size_t end = std::min(content.find('\n', start), content.size());
    std::string_view line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// One line in the reading chosen for the whole file; empty when it is not GBK.
std::optional<ListLine> ReadLine(const std::string& raw, bool utf8, const ExistsFunction& exists) {
  if (utf8) return SplitLine(raw, false, exists);
  const auto gbk = GbkToUtf8(raw);
  if (!gbk) return std::nullopt;
  return SplitLine(*gbk, false, exists);
}

bool ReadListBytes(const std::string& path, std::string& content, std::string& error) {
  bool notRegular = false;
  uint64_t size = 0;
  common::File file = OpenRegularFile(path, &notRegular, &size);
  if (!file) {
    error = notRegular ? common::TrFill("文件{0}不是普通文件!", {path})
                       : common::TrFill("无法打开文件{0}!", {path});
    return false;
  }
  // Read straight into the text at the length the file has, then on, should it have grown.
  content.resize(static_cast<size_t>(std::min<uint64_t>(size, kMaxListFileBytes + 1)));
  content.resize(std::fread(content.data(), 1, content.size(), file.get()));
  char chunk[4096];
  for (size_t got; content.size() <= kMaxListFileBytes &&
                   (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
    content.append(chunk, got);
  }
  if (content.size() > kMaxListFileBytes) {
    error = common::TrFill("文件{0}太大，不是列表文件!", {path});
    return false;
  }
  return true;
}

}  // namespace

SaveResult SaveListFile(GameList& list, const std::string& path) {
  SaveResult result;
  std::string text;
  std::string ambiguous;
  const std::vector<int> rows = list.RowsByNumber();
  for (size_t k = 0; k < rows.size(); ++k) {
    if (rows[k] < 0) continue;
    const GameEntry& game = list.Game(rows[k]);
    const std::string number = std::to_string(k + 1);
    std::string line = game.path;
    if (game.title != BaseNameOf(game.path)) line += "," + game.title;
    // A path with a comma gets its title written out, so the last comma ends the path.
    const auto read = SplitLine(line, false, Exists);
    if (read && read->path != game.path && line == game.path) line += "," + game.title;
    const bool titled = line != game.path;
    const bool othersMisread = (titled ? game.title : game.path).find(',') != std::string::npos;
    const auto back = SplitLine(line, false, Exists);
    if (othersMisread || !back || back->path != game.path || back->title != game.title)
      ambiguous += (ambiguous.empty() ? "" : common::Tr("、")) + number;
    const auto gbk = Utf8ToGbk(line);
    if (!gbk) {
      result.message = common::TrFill("第{0}行含有GBK无法表示的字符，列表没有保存!", {number});
      return result;
    }
    text += *gbk + "\r\n";
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  if (common::Result written = common::WriteFileReplacing(path, std::span(bytes, text.size()));
      !written) {
    result.message = common::WithReason(common::TrFill("无法写入文件{0}!", {path}), written);
    return result;
  }
  result.ok = true;
  list.MarkSaved();
  if (!ambiguous.empty()) {
    result.message =
        common::TrFill("第{0}行的路径或名称含有逗号，载入时可能在错误的逗号处分开!", {ambiguous});
  }
  return result;
}

LoadResult LoadListFile(GameList& list, const std::string& path) {
  LoadResult result;
  list.Clear();
  list.MarkSaved();  // an empty list has nothing to lose
  std::string content;
  if (!ReadListBytes(path, content, result.error)) return result;
  std::vector<std::string_view> lines = SplitLines(content);
  if (lines.size() > static_cast<size_t>(GameList::kMaxGames)) {
    result.error =
        common::TrFill("列表文件{0}有{1}行，最多只能有{2}个游戏!",
                       {path, std::to_string(lines.size()), std::to_string(GameList::kMaxGames)});
    return result;
  }
  // One reading for the whole file: UTF-8 when all of it is UTF-8 (a Linux editor wrote
  // it), else GBK as the format says. Guessing line by line reads some GBK titles as
  // UTF-8 and the next line otherwise.
  const bool utf8 = IsUtf8(content);
  list.Reserve(static_cast<int>(lines.size()));
  GameProbe probe(list.Data() == GameData::kWhole);
  const ExistsFunction exists = [&probe](const std::string& p) { return probe.Exists(p); };
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string raw(lines[i]);
    const int lineNumber = static_cast<int>(i) + 1;
    const auto line = ReadLine(raw, utf8, exists);
    if (!line) {
      list.Clear();
      list.MarkSaved();
      result.error =
          common::TrFill("文件{0}的第{1}行不是GBK文本!", {path, std::to_string(lineNumber)});
      return result;
    }
    // A game that is missing or that the cartridge cannot run keeps its row, marked; the
    // rest of the list loads.
    const AddResult added = list.AddReadGame(line->path, line->title, probe.Take(line->path));
    if (added.status == AddStatus::kRefused || added.status == AddStatus::kListFull) {
      list.Clear();
      list.MarkSaved();
      result.error = added.message;
      return result;
    }
    // What the cartridge cannot run is said when it is built; here only what is wrong with
    // the file.
    if (added.status != AddStatus::kStored) {
      result.warnings.push_back(added.message);
      if (added.status == AddStatus::kUnreadable) ++result.missing;
    }
  }
  list.MarkSaved();
  return result;
}

}  // namespace romvane
