// Reading JPEG files through libjpeg-turbo, straight into the picture's rows.

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "image/bitmap.h"
#include "image/format_decoders.h"
#include "image/shared_library.h"

namespace tilvex {
namespace {

// The functions of libjpeg this reader calls, bound when the first JPEG is read.
struct JpegLibrary {
  decltype(&jpeg_std_error) stdError = nullptr;
  decltype(&jpeg_CreateDecompress) createDecompress = nullptr;
  decltype(&jpeg_mem_src) memSrc = nullptr;
  decltype(&jpeg_read_header) readHeader = nullptr;
  decltype(&jpeg_start_decompress) startDecompress = nullptr;
  decltype(&jpeg_read_scanlines) readScanlines = nullptr;
  decltype(&jpeg_finish_decompress) finishDecompress = nullptr;
  decltype(&jpeg_destroy_decompress) destroyDecompress = nullptr;
};

// Null when the library or one of its functions is missing.
const JpegLibrary* Jpeg() {
  static const JpegLibrary* library = []() -> const JpegLibrary* {
    static JpegLibrary bound;
    void* handle = OpenLibrary(TILVEX_JPEG_LIBRARY);
    if (!handle) return nullptr;
    const bool all = Bind(handle, "jpeg_std_error", bound.stdError) &&
                     Bind(handle, "jpeg_CreateDecompress", bound.createDecompress) &&
                     Bind(handle, "jpeg_mem_src", bound.memSrc) &&
                     Bind(handle, "jpeg_read_header", bound.readHeader) &&
                     Bind(handle, "jpeg_start_decompress", bound.startDecompress) &&
                     Bind(handle, "jpeg_read_scanlines", bound.readScanlines) &&
                     Bind(handle, "jpeg_finish_decompress", bound.finishDecompress) &&
                     Bind(handle, "jpeg_destroy_decompress", bound.destroyDecompress);
    return all ? &bound : nullptr;  // the library stays loaded for the rest of the run
  }();
  return library;
}

// A damaged file may raise a warning per block; past this many it is refused.
constexpr long kMaxWarnings = 1000;
// Progressive files may repeat scans without end; real ones have a few dozen.
constexpr int kMaxScans = 1000;
// The decoder's own buffers (whole-picture coefficients of a progressive file), no more
// than the largest picture itself takes.
constexpr long kMaxDecoderMemory = long{384} << 20;

struct ErrorExit {
  jpeg_error_mgr manager;
  jmp_buf jump;
};

void Fail(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorExit*>(cinfo->err)->jump, 1);
}

// Warnings (a truncated file, a bad marker) keep the rows decoded so far and fill the rest,
// as every JPEG viewer does; only too many of them end the read.
void Warn(j_common_ptr cinfo, int level) {
  if (level < 0 && ++cinfo->err->num_warnings > kMaxWarnings) Fail(cinfo);
}

void CountScans(j_common_ptr cinfo) {
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) Fail(cinfo);
}

// Everything between setjmp and a longjmp back is plain data: nothing here has a destructor
// that a jump could skip.
DecodeStatus Decode(const JpegLibrary& jpeg, jpeg_decompress_struct& cinfo,
                    std::span<const uint8_t> file, Picture& out) {
  jpeg.memSrc(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
  if (jpeg.readHeader(&cinfo, TRUE) != JPEG_HEADER_OK) return DecodeStatus::kInvalid;
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    return DecodeStatus::kUnsupported;
  }
  const DecodeStatus sized =
      SizePicture(out, cinfo.image_width, cinfo.image_height, kMaxDecodedPixels);
  if (sized != DecodeStatus::kOk) return sized;
  cinfo.out_color_space = JCS_RGB;
  cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
  jpeg.startDecompress(&cinfo);
  if (cinfo.output_width != static_cast<JDIMENSION>(out.width) ||
      cinfo.output_height != static_cast<JDIMENSION>(out.height) || cinfo.output_components != 3) {
    return DecodeStatus::kInvalid;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out.Row(static_cast<int32_t>(cinfo.output_scanline));
    if (jpeg.readScanlines(&cinfo, &row, 1) != 1) break;
  }
  jpeg.finishDecompress(&cinfo);
  return DecodeStatus::kOk;
}

}  // namespace

DecodeStatus DecodeJpegFile(std::span<const uint8_t> file, Picture& out) {
  out = Picture();
  if (file.empty()) return DecodeStatus::kInvalid;
  const JpegLibrary* library = Jpeg();
  if (!library) return DecodeStatus::kUnsupported;
  const JpegLibrary& jpeg = *library;
  jpeg_decompress_struct cinfo{};
  ErrorExit error{};
  jpeg_progress_mgr progress{};
  cinfo.err = jpeg.stdError(&error.manager);
  error.manager.error_exit = Fail;
  error.manager.emit_message = Warn;
  progress.progress_monitor = CountScans;
  if (setjmp(error.jump)) {
    jpeg.destroyDecompress(&cinfo);
    out = Picture();
    return DecodeStatus::kInvalid;
  }
  jpeg.createDecompress(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
  cinfo.progress = &progress;
  const DecodeStatus status = Decode(jpeg, cinfo, file, out);
  jpeg.destroyDecompress(&cinfo);
  if (status != DecodeStatus::kOk) out = Picture();
  return status;
}

}  // namespace tilvex
