// Reading the first frame of a GIF file through giflib, straight into the picture's rows.

#include <gif_lib.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/bitmap.h"
#include "image/format_decoders.h"

namespace tilvex {
namespace {

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
  void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using GifFile = std::unique_ptr<GifFileType, GifClose>;

// Skips the extension blocks (comments, animation control) before the first frame.
bool SkipExtension(GifFileType* gif) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
  while (block) {
    if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
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
DecodeStatus ReadFrame(GifFileType* gif, Picture& out) {
  const GifImageDesc& desc = gif->Image;
  const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
  const DecodeStatus sized = SizePicture(out, desc.Width, desc.Height, kMaxDecodedPixels);
  if (sized != DecodeStatus::kOk) return sized;
  std::vector<GifPixelType> line(static_cast<size_t>(out.width));
  for (int32_t y : StoredRowOrder(out.height, desc.Interlace)) {
    if (DGifGetLine(gif, line.data(), out.width) != GIF_OK) return DecodeStatus::kInvalid;
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
  Source source{file};
  int error = 0;
  GifFile gif(DGifOpen(&source, ReadBytes, &error));
  if (!gif) return DecodeStatus::kInvalid;
  DecodeStatus status = DecodeStatus::kInvalid;
  try {
    for (;;) {
      GifRecordType record = UNDEFINED_RECORD_TYPE;
      if (DGifGetRecordType(gif.get(), &record) != GIF_OK) break;
      if (record == EXTENSION_RECORD_TYPE) {
        if (!SkipExtension(gif.get())) break;
        continue;
      }
      if (record == IMAGE_DESC_RECORD_TYPE && DGifGetImageDesc(gif.get()) == GIF_OK) {
        status = ReadFrame(gif.get(), out);
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
