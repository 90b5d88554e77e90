// Reading the first frame of a GIF file through giflib, straight into the picture's rows.

#include <gif_lib.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/bitmap.h"
#include "image/format_decoders.h"
#include "image/shared_library.h"

namespace tilvex {
namespace {

// The functions of giflib this reader calls, bound when the first GIF is read.
struct GifLibrary {
  decltype(&DGifOpen) open = nullptr;
  decltype(&DGifCloseFile) close = nullptr;
  decltype(&DGifGetRecordType) getRecordType = nullptr;
  decltype(&DGifGetExtension) getExtension = nullptr;
  decltype(&DGifGetExtensionNext) getExtensionNext = nullptr;
  decltype(&DGifGetImageDesc) getImageDesc = nullptr;
  decltype(&DGifGetLine) getLine = nullptr;
};

// Null when the library or one of its functions is missing.
const GifLibrary* Gif() {
  static const GifLibrary* library = []() -> const GifLibrary* {
    static GifLibrary bound;
    void* handle = OpenLibrary(TILVEX_GIF_LIBRARY);
    if (!handle) return nullptr;
    const bool all = Bind(handle, "DGifOpen", bound.open) &&
                     Bind(handle, "DGifCloseFile", bound.close) &&
                     Bind(handle, "DGifGetRecordType", bound.getRecordType) &&
                     Bind(handle, "DGifGetExtension", bound.getExtension) &&
                     Bind(handle, "DGifGetExtensionNext", bound.getExtensionNext) &&
                     Bind(handle, "DGifGetImageDesc", bound.getImageDesc) &&
                     Bind(handle, "DGifGetLine", bound.getLine);
    return all ? &bound : nullptr;  // the library stays loaded for the rest of the run
  }();
  return library;
}

struct Source {
  std::span<const uint8_t> bytes;
  size_t at = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* out, int wanted) {
  Source& source = *static_cast<Source*>(gif->UserData);
  const size_t count = std::min(source.bytes.size() - source.at, static_cast<size_t>(wanted));
  if (count > 0) std::memcpy(out, source.bytes.data() + source.at, count);
  source.at += count;
  return static_cast<int>(count);
}

struct GifClose {
  void operator()(GifFileType* gif) const { Gif()->close(gif, nullptr); }
};
using GifFile = std::unique_ptr<GifFileType, GifClose>;

// Skips the extension blocks (comments, animation control) before the first frame.
bool SkipExtension(const GifLibrary& lib, GifFileType* gif) {
  int code = 0;
  GifByteType* block = nullptr;
  if (lib.getExtension(gif, &code, &block) != GIF_OK) return false;
  while (block) {
    if (lib.getExtensionNext(gif, &block) != GIF_OK) return false;
  }
  return true;
}

// Interlaced frames store every 8th row from row 0, every 8th from 4, every 4th from 2,
// then every 2nd from 1.
std::vector<int32_t> StoredRowOrder(int32_t height, bool interlaced) {
  std::vector<int32_t> order;
  order.reserve(static_cast<size_t>(height));
  if (!interlaced) {
    for (int32_t y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  constexpr int32_t kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int32_t y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  }
  return order;
}

// Reads the frame whose descriptor was just read; indexes past its colour map take the
// map's first colour.
DecodeStatus ReadFrame(const GifLibrary& lib, GifFileType* gif, Picture& out) {
  const GifImageDesc& desc = gif->Image;
  const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
  const DecodeStatus sized = SizePicture(out, desc.Width, desc.Height, kMaxDecodedPixels);
  if (sized != DecodeStatus::kOk) return sized;
  std::vector<GifPixelType> line(static_cast<size_t>(out.width));
  for (int32_t y : StoredRowOrder(out.height, desc.Interlace)) {
    if (lib.getLine(gif, line.data(), out.width) != GIF_OK) return DecodeStatus::kInvalid;
    if (!map || map->ColorCount < 1) continue;  // no colours at all: the frame stays black
    uint8_t* row = out.Row(y);
    for (int32_t x = 0; x < out.width; ++x) {
      const int index =
          line[static_cast<size_t>(x)] < map->ColorCount ? line[static_cast<size_t>(x)] : 0;
      const GifColorType& colour = map->Colors[index];
      row[3 * x] = colour.Red;
      row[3 * x + 1] = colour.Green;
      row[3 * x + 2] = colour.Blue;
    }
  }
  return DecodeStatus::kOk;
}

}  // namespace

DecodeStatus DecodeGifFile(std::span<const uint8_t> file, Picture& out) {
  out = Picture();
  const GifLibrary* library = Gif();
  if (!library) return DecodeStatus::kUnsupported;
  const GifLibrary& lib = *library;
  Source source{file};
  int error = 0;
  GifFile gif(lib.open(&source, ReadBytes, &error));
  if (!gif) return DecodeStatus::kInvalid;
  DecodeStatus status = DecodeStatus::kInvalid;
  try {
    for (;;) {
      GifRecordType record = UNDEFINED_RECORD_TYPE;
      if (lib.getRecordType(gif.get(), &record) != GIF_OK) break;
      if (record == EXTENSION_RECORD_TYPE) {
        if (!SkipExtension(lib, gif.get())) break;
        continue;
      }
      if (record == IMAGE_DESC_RECORD_TYPE && lib.getImageDesc(gif.get()) == GIF_OK) {
        status = ReadFrame(lib, gif.get(), out);
      }
      break;
    }
  } catch (const std::bad_alloc&) {
    status = DecodeStatus::kTooLarge;
  }
  if (status != DecodeStatus::kOk) out = Picture();
  return status;
}

}  // namespace tilvex
