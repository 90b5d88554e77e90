#include "app/command_rules.h"

#include <filesystem>
#include <sstream>

#include "app/document.h"
#include "app/field_rules.h"
#include "app/picture_files.h"
#include "common/translate.h"

namespace tilvex {
namespace {

struct FileType {
  bool inOpen;
  bool inSave;
  const char* description;
  const char* patterns;
};

constexpr FileType kFileTypes[] = {
    {true, true, "所有图象文件(*.bmp,*.png,*.pcx,*.gif;*.tga;*.psd;*.jpg;*.tif;)",
     "*.bmp;*.png;*.pcx;*.gif;*.tga;*.psd;*.jpg;*.jpeg;*.tif;*.tiff;"},
    {true, false, "PIC文件", "*.gs?;*.pic"},
    {true, true, "*.* 所有文件", "*.*"},
};

std::string HistoryText(const char* command, const std::string& step, const char* key) {
  std::string text = command;
  if (!step.empty()) text += ' ' + step;
  return text + '\t' + key;
}

}  // namespace

CommandStates AllowedCommands(const Document& document) {
  return {document.IsBlockPicture(), document.HasPicture(), document.CanUndo(), document.CanRedo()};
}

std::string WindowTitle(const Document& document) {
  if (!document.HasPicture()) return "Tilvex";
  return document.DisplayName() + (document.IsModified() ? "*" : "") + " \u2014 Tilvex";
}

std::string UndoCommandText(const Document& document) {
  return HistoryText("(&U)ndo", document.UndoName(), "Ctrl+Z");
}

std::string RedoCommandText(const Document& document) {
  return HistoryText("(&R)edo", document.RedoName(), "Ctrl+Y");
}

std::vector<std::string> WithRecentFile(std::vector<std::string> recent, const std::string& path) {
  std::erase(recent, path);
  recent.insert(recent.begin(), path);
  if (recent.size() > kRecentFileCount) recent.resize(kRecentFileCount);
  return recent;
}

std::vector<std::string> FilePromptFilters(bool open) {
  std::vector<std::string> filters;
  for (const FileType& type : kFileTypes) {
    if (open ? !type.inOpen : !type.inSave) continue;
    std::string patterns;
    std::istringstream parts(type.patterns);
    for (std::string part; std::getline(parts, part, ';');) {
      if (!part.empty()) patterns += (patterns.empty() ? "" : " ") + part;
    }
    if (patterns == "*.*") patterns = "*";
    filters.push_back(std::string(common::Tr(type.description)) + " (" + patterns + ")");
  }
  return filters;
}

SaveAsOffer SaveAsOfferFor(const Document& document) {
  SaveAsOffer offer{{"Bitmap(*.bmp)", "PNG(*.png)"}, "bmp", {}};
  if (document.Kind() == kBlockPictureKind) {
    offer.filters.insert(offer.filters.begin(), "Bitmap(*.pic)");
    offer.defaultSuffix = "pic";
  }
  if (!document.Path().empty()) offer.initialName = PathWithoutExtension(document.Path());
  return offer;
}

Result SaveAsRefusal(const Document& document, const std::string& path) {
  if (document.CanSaveAs(path)) return Result::Ok();
  return CannotSaveAs(path, document.Kind() == kBlockPictureKind);
}

std::string SavedText(const std::string& path, bool imageOnly) {
  return imageOnly
             ? common::TrFill("已保存图像 {0};块数据(图块、调色板、单元格)尚未保存,请另存为 .pic。",
                              {path})
             : common::TrFill("已保存 {0}", {path});
}

std::string OutputWrittenText(const std::string& pgtPath, const std::string& pntPath) {
  std::error_code error;  // a path that cannot be made absolute is shown as typed
  const auto full = [&error](const std::string& path) {
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
  };
  return common::TrFill("已写出 {0} 和 {1}", {full(pgtPath), full(pntPath)});
}

std::string SaveChangesQuestion(const Document& document) {
  return common::TrFill("是否保存对 {0} 的修改?", {document.DisplayName()});
}

std::string OpenFailureText(const Result& opened, const std::string& path) {
  return opened.message.empty() ? common::TrFill("无法打开文档。\n{0}", {path}) : opened.message;
}

void KeptConversion::Keep(const ConversionSettings& kept, const Picture& picture) {
  settings = kept;
  width = picture.width;
  height = picture.height;
}

bool KeptConversion::AreaFits(const Picture& picture) const {
  return picture.width == width && picture.height == height;
}

}  // namespace tilvex
