// The colours the console can show in one colour space, and the nearest of them to any
// RGB value. A palette slot holding one of these colours is drawn exactly as it is.
#pragma once

#include <memory>
#include <unordered_map>

#include "image/colour.h"
#include "image/colour_index.h"
#include "image/colour_tables.h"

namespace tilvex {

class DeviceColours {
 public:
  DeviceColours(ColourSpace space, const ColourTables& tables);

  // The shown colour nearest to rgb (squared distance over the channels).
  Rgb Nearest(Rgb rgb) const;
  // What the console shows for a slot holding rgb: the colour its code stands for.
  Rgb Shown(Rgb rgb) const;

 private:
  ColourSpace space_;
  const ColourTables& tables_;
  std::shared_ptr<const NearestCodeIndex> index_;
  mutable std::unordered_map<Rgb, Rgb> known_;  // table searches are costly; ask once
};

}  // namespace tilvex
