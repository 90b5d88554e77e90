#pragma once
// The picture view's zoom steps, where the view scrolls to when the zoom changes, and the
// rules for turning a dragged rectangle into a working area; plain arithmetic, no window
// system.
#include <algorithm>
#include <cstdint>
#include <optional>

namespace tilvex {

// Rounds towards minus infinity, so that points left of or above the picture map to
// negative picture pixels rather than to pixel 0.
inline int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Right and bottom exclusive, in picture pixels.
struct AreaRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const AreaRect&) const = default;
};

inline constexpr int kMaxZoom = 16;

// N:1 while magnify, else 1:N. Normal is both factors 1.
struct Zoom {
  bool magnify = true;
  int zoomIn = 1;
  int zoomOut = 1;

  bool IsNormal() const { return zoomIn == 1 && zoomOut == 1; }
  int ToScreen(int v) const { return magnify ? v * zoomIn : v / zoomOut; }
  int ToPicture(int v) const { return magnify ? int(FloorDiv(v, zoomIn)) : v * zoomOut; }
  // Spacing of the 8-pixel grid on screen; the grid is drawn only above 4.
  int GridSpacing() const { return magnify ? 8 * zoomIn : 8 / zoomOut; }
  bool GridVisible() const { return GridSpacing() > 4; }

  static Zoom Normal() { return {false, 1, 1}; }
  static Zoom In(int n) { return {true, n, 1}; }
  static Zoom Out(int n) { return {false, 1, n}; }

  // One step towards 16:1 along 1:16 ... 1:2, 1:1, 2:1 ... 16:1; nothing at 16:1.
  Zoom StepIn() const {
    if (!magnify && zoomOut >= 3) return Out(zoomOut - 1);
    if (!magnify && zoomOut == 2) return Normal();
    if (IsNormal()) return In(2);
    if (zoomIn < kMaxZoom) return In(zoomIn + 1);
    return *this;
  }
  Zoom StepOut() const {
    if (magnify && zoomIn >= 3) return In(zoomIn - 1);
    if (magnify && zoomIn == 2) return Normal();
    if (IsNormal()) return Out(2);
    if (zoomOut < kMaxZoom) return Out(zoomOut + 1);
    return *this;
  }
  bool operator==(const Zoom&) const = default;
};

// The picture columns (or rows) [first, last) that cover the screen span [from, to) of a
// picture `size` pixels long; zoomed out, the span starts on a whole step.
struct PictureSpan {
  int first = 0;
  int last = 0;
};
inline PictureSpan VisibleSpan(const Zoom& zoom, int from, int to, int size) {
  if (zoom.magnify) {
    return {std::clamp(from / zoom.zoomIn, 0, size),
            std::clamp((to + zoom.zoomIn - 1) / zoom.zoomIn, 0, size)};
  }
  return {std::clamp(from * zoom.zoomOut, 0, size), std::clamp(to * zoom.zoomOut, 0, size)};
}

// The scroll offset along one axis that keeps the picture point under viewport position `at`
// in place when the zoom changes from `from` to `to`, given the offset before. Worked out on
// the exact position within the screen pixel, so that over a magnified picture the cursor
// stays on the same picture pixel; the scroll bar may still clamp the result.
inline int OffsetKeepingPoint(const Zoom& from, const Zoom& to, int offset, int at) {
  // On screen a picture length is multiplied by zoomIn and divided by zoomOut.
  const int64_t content = int64_t(offset) + at;
  const int64_t scaled =
      FloorDiv(content * from.zoomOut * to.zoomIn, int64_t(from.zoomIn) * to.zoomOut);
  return int(scaled - at);
}

// The largest zoom step at which the whole picture fits the viewport; the smallest step when
// even that is too large, and 1:1 when there is no picture.
inline Zoom FittingZoom(int width, int height, int viewWidth, int viewHeight) {
  if (width <= 0 || height <= 0) return Zoom::Normal();
  Zoom zoom = Zoom::In(kMaxZoom);
  while (zoom.StepOut() != zoom &&
         (zoom.ToScreen(width) > viewWidth || zoom.ToScreen(height) > viewHeight))
    zoom = zoom.StepOut();
  return zoom;
}

// The Transformation dialog's area: left and top down to a multiple of 8, right and bottom
// up to the next multiple of 8 strictly above them.
inline AreaRect SnapToCells(const AreaRect& r) {
  return {r.left / 8 * 8, r.top / 8 * 8, (r.right / 8 + 1) * 8, (r.bottom / 8 + 1) * 8};
}

// The Transformation dialog's area from a drag: snapped to cells, and kept within the
// picture's last cell, so a drag to the last pixel does not reach 8 pixels past its edge.
inline AreaRect SnapToPictureCells(const AreaRect& r, int width, int height) {
  AreaRect area = SnapToCells(r);
  area.right = std::min(area.right, (width + 7) / 8 * 8);
  area.bottom = std::min(area.bottom, (height + 7) / 8 * 8);
  return area;
}

// A dragged screen rectangle (corners in any order) clipped to the picture's extent on
// screen and mapped to picture pixels.
inline AreaRect DraggedArea(const Zoom& zoom, int x0, int y0, int x1, int y1, int width,
                            int height) {
  const int sw = zoom.ToScreen(width), sh = zoom.ToScreen(height);
  const int left = std::clamp(std::min(x0, x1), 0, sw), right = std::clamp(std::max(x0, x1), 0, sw);
  const int top = std::clamp(std::min(y0, y1), 0, sh), bottom = std::clamp(std::max(y0, y1), 0, sh);
  return {zoom.ToPicture(left), zoom.ToPicture(top), zoom.ToPicture(right), zoom.ToPicture(bottom)};
}

// Where the Transformation dialog moves when it covers the place a conversion stopped at:
// 16 pixels below the place where the screen has room, else beside it as far right as the
// screen allows. Screen rectangles; nothing when the dialog leaves the place in sight.
struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint&) const = default;
};
inline std::optional<ScreenPoint> DialogClearOf(const AreaRect& dialog, const AreaRect& place,
                                                const AreaRect& screen) {
  constexpr int kGap = 16;
  const bool covers = dialog.left < place.right && place.left < dialog.right &&
                      dialog.top < place.bottom && place.top < dialog.bottom;
  if (!covers) return std::nullopt;
  if (place.bottom + kGap + dialog.Height() <= screen.bottom)
    return ScreenPoint{dialog.left, place.bottom + kGap};
  return ScreenPoint{std::min(place.right + kGap, screen.right - dialog.Width()), dialog.top};
}

}  // namespace tilvex
