// Reading JPEG files through libjpeg-turbo, straight into the picture's rows.

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "image/bitmap.h"
#include "image/format_decoders.h"

namespace tilvex {
namespace {

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
DecodeStatus Decode(jpeg_decompress_struct& cinfo, std::span<const uint8_t> file, Picture& out) {
  jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return DecodeStatus::kInvalid;
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    return DecodeStatus::kUnsupported;
  }
  const DecodeStatus sized =
      SizePicture(out, cinfo.image_width, cinfo.image_height, kMaxDecodedPixels);
  if (sized != DecodeStatus::kOk) return sized;
  cinfo.out_color_space = JCS_RGB;
  cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_width != static_cast<JDIMENSION>(out.width) ||
      cinfo.output_height != static_cast<JDIMENSION>(out.height) || cinfo.output_components != 3) {
    return DecodeStatus::kInvalid;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out.Row(static_cast<int32_t>(cinfo.output_scanline));
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
  }
  jpeg_finish_decompress(&cinfo);
  return DecodeStatus::kOk;
}

}  // namespace

DecodeStatus DecodeJpegFile(std::span<const uint8_t> file, Picture& out) {
  out = Picture();
  if (file.empty()) return DecodeStatus::kInvalid;
  jpeg_decompress_struct cinfo{};
  ErrorExit error{};
  jpeg_progress_mgr progress{};
  cinfo.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = Fail;
  error.manager.emit_message = Warn;
  progress.progress_monitor = CountScans;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&cinfo);
    out = Picture();
    return DecodeStatus::kInvalid;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.progress = &progress;
  const DecodeStatus status = Decode(cinfo, file, out);
  jpeg_destroy_decompress(&cinfo);
  if (status != DecodeStatus::kOk) out = Picture();
  return status;
}

}  // namespace tilvex
