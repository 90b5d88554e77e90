#pragma once

// The entry points of the ImageMagick decoder module ("libtilvex_magick.so" beside the
// programs), which the picture loader opens at run time like any decoder library.

#include <cstddef>
#include <cstdint>

#include "common/result.h"
#include "image/picture.h"

inline constexpr char kMagickModuleName[] = "libtilvex_magick.so";

extern "C" {
// Whether ImageMagick here has a reader for the coder ("PNG", "JPEG", ...).
bool TilvexMagickCanRead(const char* coder);
// Decodes a whole file's bytes into the picture.
void TilvexMagickDecode(const char* coder, const uint8_t* data, size_t size, tilvex::Picture* out,
                        common::Result* result);
}
