#pragma once
// The document's files: a blank picture, a picture read from any format, and the formats a
// document can be written as.
#include <cstdint>
#include <string>

#include "app/edit_history.h"
#include "common/result.h"

namespace tilvex {
using common::Result;

enum class SaveFormat { kNone, kBmp, kPng, kPic };

// What a file name's extension writes: BMP and PNG the picture as shown, PIC the block
// picture (a converted or opened block picture only); anything else nothing.
SaveFormat SaveFormatOf(const std::string& path, bool blockPicture);

// The refusal for a name SaveFormatOf gives kNone for, in the program's words.
Result CannotSaveAs(const std::string& path, bool blockPicture);

// Every pixel white. A size beyond the decoders' limit, or one memory cannot hold, gives
// kPictureTooLargeMessage and leaves `out` as it was.
Result NewBlankPicture(int32_t width, int32_t height, Picture& out);

// Writes the state in the format the extension names; the old file is replaced only once the
// new one is complete, and nothing is written for a refused name.
Result WriteDocumentFile(const DocumentState& state, const std::string& path);

// The palette bar's information text of a plain picture.
std::string SizeInfoText(int width, int height);

// Refills the state's colour list from its working area.
void CollectAreaColours(DocumentState& state);

}  // namespace tilvex
