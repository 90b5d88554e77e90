// The document: the one picture the program works on and what belongs to it. The window
// shows and edits it; the commands convert, save and output it.
#pragma once

#include <cstdint>
#include <string>

#include "common/result.h"
#include "convert/block_picture.h"
#include "convert/palette_gathering.h"
#include "convert/tile_converter.h"
#include "doc/pic_file.h"
#include "image/picture.h"
#include "image/slot_table.h"

namespace tilvex {
using common::Result;

inline constexpr int kPictureKindDecoded = -1;  // a picture loaded from a picture file

struct Document {
  Picture picture;
  // The header holds the conversion settings and, after a conversion or once a .pic file is
  // opened, the block picture's own fields; the blocks are the block picture's data.
  BlockPicture block{NewPicHeader(), {}};
  int kind = 0;     // kPictureKindDecoded, kBlockPictureKind, or as a .pic header gives it
  WorkArea area;    // the working area; the whole picture after each load
  SlotTable slots;  // the palettes of the last conversion
};

// The New command's picture: every pixel white. 0 x 0 (the size before the New dialog has
// run) leaves no picture and succeeds; a size beyond the decoders' limit, or one memory
// cannot hold, gives kPictureTooLargeMessage and leaves the document as it was.
Result NewPicture(Document& document, int32_t width, int32_t height);

// Decodes a picture file into the document (kind kPictureKindDecoded, working area the
// whole picture). A file that cannot be decoded leaves the document as it was.
Result OpenPicture(Document& document, const std::string& path);

// A successful conversion becomes the document's block picture and palettes.
void TakeConversion(Document& document, Conversion conversion);

// Saves by extension: "bmp" writes the picture as a BMP, "pic" the block picture (kind
// kBlockPictureKind only). Other extensions and kinds write nothing: the file is created
// empty when missing and kept as it is otherwise, and a file that cannot be created fails.
// The old file is replaced only once the new one is complete.
Result SaveDocument(const Document& document, const std::string& path);

}  // namespace tilvex
