#include "image/magick_decoder.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "common/data_dirs.h"
#include "common/file_io.h"
#include "image/magick_module.h"

namespace tilvex {
using common::ReadFileBytes;
namespace {

// The decoder module's entry points, found once; both null when the module cannot be loaded,
// which makes every format but BMP fail as a missing decoder library does.
struct MagickModule {
  decltype(&TilvexMagickCanRead) canRead = nullptr;
  decltype(&TilvexMagickDecode) decode = nullptr;
};

const MagickModule& Module() {
  static const MagickModule module = [] {
    MagickModule m;
    void* handle = dlopen(common::ProgramModulePath("tilvex", kMagickModuleName).c_str(),
                          RTLD_NOW | RTLD_LOCAL);
    if (!handle) return m;
    m.canRead = reinterpret_cast<decltype(m.canRead)>(dlsym(handle, "TilvexMagickCanRead"));
    m.decode = reinterpret_cast<decltype(m.decode)>(dlsym(handle, "TilvexMagickDecode"));
    if (!m.canRead || !m.decode) m = {};
    return m;  // the module stays loaded for the rest of the run
  }();
  return module;
}

class MagickDecoder : public PictureDecoder {
 public:
  explicit MagickDecoder(const char* coder) : coder_(coder) {}

  Result Decode(const std::string& path, Picture& out) override {
    std::vector<uint8_t> bytes;
    Result read = ReadPictureFile(path, bytes);
    if (!read) return read;
    if (bytes.empty()) return Result::Fail({}, path + " is empty");
    Result decoded;
    Module().decode(coder_, bytes.data(), bytes.size(), &out, &decoded);
    if (!decoded) decoded.detail = path + ": " + decoded.detail;
    return decoded;
  }

 private:
  const char* coder_;
};

bool CanRead(const char* coder) {
  return Module().canRead && Module().canRead(coder);
}

}  // namespace

PictureDecoder* MagickDecoderFor(PictureFormat format) {
  const char* coder = nullptr;
  switch (format) {
    case PictureFormat::kBmp:
      coder = "BMP";
      break;
    case PictureFormat::kCur:
      coder = "CUR";
      break;
    case PictureFormat::kIco:
      coder = "ICO";
      break;
    case PictureFormat::kPcx:
      coder = "PCX";
      break;
    case PictureFormat::kDcx:
      coder = "DCX";
      break;
    case PictureFormat::kGif:
      coder = "GIF";
      break;
    case PictureFormat::kPng:
      coder = "PNG";
      break;
    case PictureFormat::kTga:
      coder = "TGA";
      break;
    case PictureFormat::kWmf:
      coder = "WMF";
      break;
    case PictureFormat::kTiff:
      coder = "TIFF";
      break;
    case PictureFormat::kJpeg:
      coder = "JPEG";
      break;
    case PictureFormat::kPsd:
      coder = "PSD";
      break;
    case PictureFormat::kEmf:  // no reader on this system
    case PictureFormat::kNone:
    default:
      return nullptr;
  }
  static std::mutex guard;
  static std::vector<std::pair<const char*, std::unique_ptr<MagickDecoder>>> decoders;
  std::lock_guard<std::mutex> lock(guard);
  for (auto& [name, decoder] : decoders) {
    if (std::strcmp(name, coder) == 0) return decoder.get();
  }
  if (!CanRead(coder)) return nullptr;
  decoders.emplace_back(coder, std::make_unique<MagickDecoder>(coder));
  return decoders.back().second.get();
}

}  // namespace tilvex
