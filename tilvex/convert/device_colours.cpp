#include "convert/device_colours.h"

#include <cstdlib>

namespace tilvex {
namespace {

// Red levels of the packed 4K RGB code; green and blue keep their upper four bits.
constexpr int kRedLevels[] = {0, 16, 32, 48, 64, 96, 112, 128, 144, 160, 176, 208, 224, 240};

uint32_t NearestLevel(uint32_t value, const int* levels, int count) {
  int best = levels[0];
  for (int i = 1; i < count; ++i) {
    if (std::abs(levels[i] - int(value)) < std::abs(best - int(value))) best = levels[i];
  }
  return uint32_t(best);
}

uint32_t NearestSixteenth(uint32_t value) {
  return value >= 240 ? 240 : (value + 8) & 0xF0;
}

}  // namespace

DeviceColours::DeviceColours(ColourSpace space, const ColourTables& tables)
    : space_(space), tables_(tables), index_(tables.index) {
  if (space_ == ColourSpace::kHsl4K && !index_) {
    index_ = std::make_shared<NearestCodeIndex>(tables.codes);
  }
}

Rgb DeviceColours::Nearest(Rgb rgb) const {
  switch (space_) {
    case ColourSpace::kRgb4K:
      // The packed code is a product of three channel scales, so each channel snaps alone.
      return MakeRgb(NearestLevel(RedOf(rgb), kRedLevels, 14), NearestSixteenth(GreenOf(rgb)),
                     NearestSixteenth(BlueOf(rgb)));
    case ColourSpace::kNes64:
      return tables_.nes[NearestNesColour(tables_.nes, rgb)];
    case ColourSpace::kHsl4K:
    default: {
      auto found = known_.find(rgb);
      if (found != known_.end()) return found->second;
      const Rgb near = tables_.codes[index_->Nearest(rgb)] & 0xFFFFFF;
      known_.emplace(rgb, near);
      return near;
    }
  }
}

Rgb DeviceColours::Shown(Rgb rgb) const {
  switch (space_) {
    case ColourSpace::kRgb4K:
      return DecodeRgb4K(EncodeRgb4K(rgb));
    case ColourSpace::kNes64:
      return tables_.nes[NearestNesColour(tables_.nes, rgb)];
    case ColourSpace::kHsl4K:
    default:
      return Nearest(rgb);
  }
}

}  // namespace tilvex
