#pragma once
// A set of pixels of a picture, one bit each: what a fill covers, or where one colour of the
// colour list lies. An eighth of a byte a pixel, against the 16 bytes of a change record, so
// a fill or recolour of a whole large picture stays a small step of the history.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tilvex {

class PixelMask {
 public:
  PixelMask() = default;
  PixelMask(int width, int height)
      : width_(width), height_(height), bits_((size_t(width) * size_t(height) + 63) / 64) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  size_t Count() const { return count_; }
  bool Empty() const { return count_ == 0; }
  size_t Bytes() const { return bits_.size() * sizeof(uint64_t); }

  bool Has(int x, int y) const {
    const size_t i = Index(x, y);
    return (bits_[i / 64] >> (i % 64)) & 1u;
  }
  // (x, y) must lie inside the mask and not be in it yet.
  void Add(int x, int y) {
    const size_t i = Index(x, y);
    bits_[i / 64] |= uint64_t{1} << (i % 64);
    ++count_;
  }
  // Pixels left to right (both included) of row y, none of them in the mask yet.
  void AddRun(int left, int right, int y) {
    size_t i = Index(left, y);
    const size_t end = Index(right, y) + 1;
    count_ += end - i;
    for (; i < end && i % 64 != 0; ++i) bits_[i / 64] |= uint64_t{1} << (i % 64);
    for (; i + 64 <= end; i += 64) bits_[i / 64] = ~uint64_t{0};
    for (; i < end; ++i) bits_[i / 64] |= uint64_t{1} << (i % 64);
  }
  // Calls f(x, y) for every pixel in the mask, row by row.
  template <typename F>
  void ForEach(F&& f) const {
    for (size_t word = 0; word < bits_.size(); ++word) {
      for (uint64_t w = bits_[word]; w != 0; w &= w - 1) {
        const size_t i = word * 64 + size_t(std::countr_zero(w));
        f(int(i % size_t(width_)), int(i / size_t(width_)));
      }
    }
  }

 private:
  size_t Index(int x, int y) const { return size_t(y) * size_t(width_) + size_t(x); }
  int width_ = 0;
  int height_ = 0;
  size_t count_ = 0;
  std::vector<uint64_t> bits_;
};

}  // namespace tilvex
