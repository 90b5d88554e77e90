#pragma once
// What the main window's commands decide, without the window: which commands the document
// allows, the texts of the title and the Edit menu, the recent-files list, the file prompts'
// filters and the names Save As offers, the messages after the file commands, and the
// conversion settings the next Transformation dialog starts from.
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "convert/conversion_settings.h"

namespace tilvex {
class Document;
struct Picture;
using common::Result;

struct CommandStates {
  bool showBlocks = false;  // Output, TV Effect, Run in emulator
  bool usePicture = false;  // Transform, Save, Save As
  bool undo = false;
  bool redo = false;
};
// The preview and the emulator show a converted picture; a plain one has nothing to show.
CommandStates AllowedCommands(const Document& document);

// "name.pic* — Tilvex": the document's file and whether it has unsaved changes.
std::string WindowTitle(const Document& document);
// "(&U)ndo Fill\tCtrl+Z": the Edit menu names the step Undo and Redo would take.
std::string UndoCommandText(const Document& document);
std::string RedoCommandText(const Document& document);

inline constexpr size_t kRecentFileCount = 4;
// The list with path first and once, as long as the File menu shows.
std::vector<std::string> WithRecentFile(std::vector<std::string> recent, const std::string& path);

// The Open (or Save) prompt's filters in the user's language, each ending in its patterns
// in parentheses, separated by spaces, as the file prompt reads them.
std::vector<std::string> FilePromptFilters(bool open);

// A block picture saves as .pic, BMP or PNG; a plain picture as BMP or PNG.
struct SaveAsOffer {
  std::vector<std::string> filters;
  std::string defaultSuffix;
  std::string initialName;  // the document's file without its extension
};
SaveAsOffer SaveAsOfferFor(const Document& document);

// Ok when the document can be written under the name, else why not in the program's words.
Result SaveAsRefusal(const Document& document, const std::string& path);
// The status after a save; an image of a block picture leaves the block data unsaved.
std::string SavedText(const std::string& path, bool imageOnly);
// The status after Output, with the files' full paths.
std::string OutputWrittenText(const std::string& pgtPath, const std::string& pntPath);
// The question before unsaved changes are dropped.
std::string SaveChangesQuestion(const Document& document);
// Why a file did not open, naming it when the reader gave no reason.
std::string OpenFailureText(const Result& opened, const std::string& path);

// The settings of the last conversion, offered again by the next Transformation dialog; their
// working area fits only a picture of the size they were made for.
struct KeptConversion {
  std::optional<ConversionSettings> settings;
  int width = 0;
  int height = 0;

  void Keep(const ConversionSettings& kept, const Picture& picture);
  bool AreaFits(const Picture& picture) const;
};

}  // namespace tilvex
