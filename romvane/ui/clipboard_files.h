#pragma once

#include <string>
#include <vector>

class QMimeData;

namespace romvane {

// Formats of a file copy on the clipboard, as file managers and Windows read them.
inline constexpr const char* kGnomeCopiedFilesType = "x-special/gnome-copied-files";
inline constexpr const char* kDropEffectType = "Preferred DropEffect";
inline constexpr const char* kWindowsDropEffectType =
    "application/x-qt-windows-mime;value=\"Preferred DropEffect\"";
// The Windows file-drop block, for readers that take it as it stands.
inline constexpr const char* kFileDropBlockType = "application/x-windows-file-drop";

// The data that puts these files on the clipboard to be copied (not moved) on paste.
QMimeData* MakeCopiedFilesData(const std::vector<std::string>& paths);

}  // namespace romvane
