#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <unordered_set>

#include "image/colour_index.h"
#include "image/colour_tables.h"

namespace tilvex {
namespace {

// The plain scan, arranged so that a million colours take seconds: entries that fail the
// validity test are dropped beforehand (the scan skips them), codes sharing a colour are
// reduced to the lowest (the scan keeps the first of equally near ones), and the distances
// are taken in two vectorised passes: the smallest, then the first code that has it.
class ReferenceScan {
 public:
  explicit ReferenceScan(std::span<const uint32_t> codes) : first_(codes[1] & 0xFFFFFF) {
    std::unordered_set<Rgb> seen;
    for (uint32_t code = 2; code < codes.size(); ++code) {
      if (codes[code] >> 24 || !seen.insert(codes[code]).second) continue;
      red_.push_back(static_cast<int32_t>(RedOf(codes[code])));
      green_.push_back(static_cast<int32_t>(GreenOf(codes[code])));
      blue_.push_back(static_cast<int32_t>(BlueOf(codes[code])));
      code_.push_back(static_cast<ColourCode>(code));
    }
  }

  ColourCode Nearest(Rgb rgb) const {
    const int32_t firstDistance = ColourDistance(first_, rgb);
    const int32_t nearest = SmallestDistance(rgb, firstDistance);
    // Code 1 keeps every tie: the scan replaces its candidate only when strictly nearer.
    if (nearest == firstDistance) return 1;
    return code_[FirstAt(rgb, nearest)];
  }

 private:
  // Left out of the sanitizers so that the loops vectorise; they read only their own arrays.
  __attribute__((no_sanitize("address", "undefined"))) int32_t SmallestDistance(
      Rgb rgb, int32_t start) const {
    const int32_t r = RedOf(rgb), g = GreenOf(rgb), b = BlueOf(rgb);
    const int32_t *red = red_.data(), *green = green_.data(), *blue = blue_.data();
    int32_t nearest = start;
    for (size_t i = 0, n = red_.size(); i < n; ++i) {
      const int32_t dr = red[i] - r, dg = green[i] - g, db = blue[i] - b;
      const int32_t d = dr * dr + dg * dg + db * db;
      nearest = d < nearest ? d : nearest;
    }
    return nearest;
  }
  __attribute__((no_sanitize("address", "undefined"))) size_t FirstAt(Rgb rgb,
                                                                      int32_t distance) const {
    const int32_t r = RedOf(rgb), g = GreenOf(rgb), b = BlueOf(rgb);
    const int32_t *red = red_.data(), *green = green_.data(), *blue = blue_.data();
    size_t i = 0;
    for (const size_t n = red_.size(); i < n; ++i) {
      const int32_t dr = red[i] - r, dg = green[i] - g, db = blue[i] - b;
      if (dr * dr + dg * dg + db * db == distance) break;
    }
    return i;
  }

  Rgb first_;
  std::vector<int32_t> red_, green_, blue_;
  std::vector<ColourCode> code_;
};

TEST(NearestCodeIndex, AgreesWithThePlainScanOnTheConsoleTable) {
  ColourTables tables;
  ASSERT_TRUE(LoadColourTables(tables));
  std::mt19937 random(20261206);
  // Loading leaves the index to the search: the first colours are scanned for, and once
  // the scans would cost more than the index it is built, with the same answers.
  EXPECT_FALSE(tables.index);
  for (int i = 0; i < 100; ++i) {
    const Rgb rgb = random() & 0xFFFFFF;
    ASSERT_EQ(RgbToCode(ColourSpace::kHsl4K, tables, rgb), NearestCodeByScan(tables.codes, rgb));
  }
  ASSERT_TRUE(tables.index);
  // The full plain scan on a few hundred colours ...
  for (int i = 0; i < 500; ++i) {
    const Rgb rgb = random() & 0xFFFFFF;
    ASSERT_EQ(tables.index->Nearest(rgb), NearestCodeByScan(tables.codes, rgb)) << rgb;
  }
  // ... and the same scan without the skipped entries on a million.
  const ReferenceScan scan(tables.codes);
  for (int i = 0; i < 1000000; ++i) {
    const Rgb rgb = random() & 0xFFFFFF;
    ASSERT_EQ(tables.index->Nearest(rgb), scan.Nearest(rgb)) << rgb;
  }
}

TEST(NearestCodeIndex, AgreesWithThePlainScanOnCrowdedAndSparseTables) {
  std::mt19937 random(7);
  // Many duplicates on a coarse grid (ties everywhere), invalid entries mixed in.
  std::vector<uint32_t> crowded(kCodeTableSize);
  for (uint32_t& entry : crowded) {
    entry = (random() % 5 == 0 ? 0x01000000 : 0) | ((random() & 0x0F0F0F) << 4);
  }
  // Few colours, all far apart.
  std::vector<uint32_t> sparse(kCodeTableSize, 0xFF000000);
  for (int i = 0; i < 100; ++i) sparse[random() % kCodeTableSize] = random() & 0xFFFFFF;
  for (const auto* codes : {&crowded, &sparse}) {
    const NearestCodeIndex index(*codes);
    const ReferenceScan scan(*codes);
    for (int i = 0; i < 3000; ++i) {
      const Rgb rgb = random() & 0xFFFFFF;
      ASSERT_EQ(index.Nearest(rgb), scan.Nearest(rgb)) << rgb;
    }
    for (int i = 0; i < 100; ++i) {
      const Rgb rgb = random() & 0xFFFFFF;
      ASSERT_EQ(index.Nearest(rgb), NearestCodeByScan(*codes, rgb)) << rgb;
    }
  }
}

}  // namespace
}  // namespace tilvex
