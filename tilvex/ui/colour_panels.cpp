#include "colour_panels.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace tilvex::ui {
namespace {

// Triangle geometry in picture coordinates: the centre and the three spoke ends.
const QPointF kCentre(102, 108);
const QPointF kRedEnd(102, 9);
const QPointF kGreenEnd(23, 147);
const QPointF kBlueEnd(181, 147);

// Disc and value bar.
constexpr int kWheelCx = 100;
constexpr int kWheelCy = 100;
constexpr double kWheelRadius = 100;
constexpr int kBarGap = 5;
constexpr int kBarWidth = 20;
constexpr int kBarTop = 0;
constexpr int kBarBottom = kPanelImageHeight - 1;

QPointF SpokeEnd(Channel channel) {
  return channel == Channel::kRed ? kRedEnd : channel == Channel::kGreen ? kGreenEnd : kBlueEnd;
}

double SpokeLength(Channel channel) {
  const QPointF d = SpokeEnd(channel) - kCentre;
  return std::hypot(d.x(), d.y());
}

int ChannelValue(RgbColour rgb, Channel channel) {
  return channel == Channel::kRed ? rgb.red : channel == Channel::kGreen ? rgb.green : rgb.blue;
}

QPoint ToPicture(const QPointF& panelPoint) {
  return QPoint(int(std::floor(panelPoint.x())), int(std::floor(panelPoint.y()))) -
         QPoint(0, kPanelOriginY);
}

QColor ToColour(RgbColour rgb) {
  return QColor(rgb.red, rgb.green, rgb.blue);
}

// Barycentric weights of p in the red, green, blue triangle.
void Weights(double x, double y, double w[3]) {
  const double x1 = kRedEnd.x(), y1 = kRedEnd.y(), x2 = kGreenEnd.x(), y2 = kGreenEnd.y();
  const double x3 = kBlueEnd.x(), y3 = kBlueEnd.y();
  const double det = (y2 - y3) * (x1 - x3) + (x3 - x2) * (y1 - y3);
  w[0] = ((y2 - y3) * (x - x3) + (x3 - x2) * (y - y3)) / det;
  w[1] = ((y3 - y1) * (x - x3) + (x1 - x3) * (y - y3)) / det;
  w[2] = 1 - w[0] - w[1];
}

// The triangle picture: each point mixes the three primaries by its closeness to their
// corners, brightened so the strongest share is full. Edges are smoothed by 4 x 4 samples.
QImage TriangleImage() {
  QImage image(kPanelImageWidth, kPanelImageHeight, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  for (int y = 0; y < kPanelImageHeight; ++y) {
    for (int x = 0; x < kPanelImageWidth; ++x) {
      int inside = 0;
      for (int s = 0; s < 16; ++s) {
        double w[3];
        Weights(x + (s % 4 + 0.5) / 4, y + (s / 4 + 0.5) / 4, w);
        inside += w[0] >= 0 && w[1] >= 0 && w[2] >= 0;
      }
      if (inside == 0) continue;
      double w[3];
      Weights(x + 0.5, y + 0.5, w);
      for (double& c : w) c = std::clamp(c, 0.0, 1.0);
      const double top = std::max({w[0], w[1], w[2], 1e-9});
      QColor colour(int(w[0] / top * 255), int(w[1] / top * 255), int(w[2] / top * 255));
      colour.setAlpha(inside * 255 / 16);
      image.setPixelColor(x, y, colour);
    }
  }
  return image;
}

// The hue/saturation disc at full value, drawn with the picker's own conversion.
QImage DiscImage() {
  QImage image(kPanelImageWidth, kPanelImageHeight, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  for (int y = 0; y < kPanelImageHeight; ++y) {
    for (int x = 0; x < kPanelImageWidth; ++x) {
      const double dx = x + 0.5 - kWheelCx, dy = kWheelCy - (y + 0.5);
      const double distance = std::hypot(dx, dy);
      const double coverage = std::clamp(kWheelRadius + 0.5 - distance, 0.0, 1.0);
      if (coverage <= 0) continue;
      double angle = std::atan2(dy, dx) * 180 / std::numbers::pi;
      if (angle < 0) angle += 360;
      const int hue = std::min(359, int(angle));
      const int saturation = std::min(255, int(distance * 2.55));
      QColor colour = ToColour(HsvToRgb({hue, saturation, 255}));
      colour.setAlphaF(float(coverage));
      image.setPixelColor(x, y, colour);
    }
  }
  return image;
}

void DrawHandle(QPainter& painter, QPoint centre, const QColor& fill) {
  painter.setPen(Qt::black);
  painter.setBrush(fill);
  painter.drawRect(centre.x() - 5, centre.y() - 5, 9, 9);
}

}  // namespace

TrianglePanel::TrianglePanel(QWidget* parent) : QWidget(parent), image_(TriangleImage()) {
  setFixedSize(kPanelImageWidth, kPanelOriginY + kPanelImageHeight);
}

void TrianglePanel::SetRgb(RgbColour rgb) {
  rgb_ = rgb;
  update();
}

QPoint TrianglePanel::HandleCentre(Channel channel) const {
  const QPointF along = (SpokeEnd(channel) - kCentre) * ChannelValue(rgb_, channel) / 255.0;
  const QPointF p = kCentre + along;
  return QPoint(int(std::lround(p.x())), int(std::lround(p.y())) + kPanelOriginY);
}

void TrianglePanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, kPanelOriginY, image_);
  const QPointF origin(0, kPanelOriginY);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(40, 40, 40), 1));
  for (Channel c : {Channel::kRed, Channel::kGreen, Channel::kBlue})
    painter.drawLine(kCentre + origin, SpokeEnd(c) + origin);
  painter.setRenderHint(QPainter::Antialiasing, false);
  DrawHandle(painter, HandleCentre(Channel::kRed), QColor(rgb_.red, 0, 0));
  DrawHandle(painter, HandleCentre(Channel::kGreen), QColor(0, rgb_.green, 0));
  DrawHandle(painter, HandleCentre(Channel::kBlue), QColor(0, 0, rgb_.blue));
}

void TrianglePanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  for (Channel c : {Channel::kRed, Channel::kGreen, Channel::kBlue}) {
    const QPoint h = HandleCentre(c);
    if (QRect(h.x() - 5, h.y() - 5, 10, 10).contains(at)) {
      dragging_ = c;
      return;
    }
  }
}

void TrianglePanel::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ != Channel::kNone) DragTo(ToPicture(event->position()));
}

void TrianglePanel::mouseReleaseEvent(QMouseEvent*) {
  dragging_ = Channel::kNone;
}

// Each channel follows the mouse along its own axis: red by how far above the centre it
// is, green and blue by how far left or right, measured from the handle's current row.
void TrianglePanel::DragTo(QPoint p) {
  const double qx = kCentre.x(), qy = kCentre.y();
  double distance = 0;
  if (dragging_ == Channel::kRed) {
    distance = qy - std::min<double>(p.y(), qy);
  } else {
    const double x =
        dragging_ == Channel::kGreen ? std::min<double>(p.x(), qx) : std::max<double>(p.x(), qx);
    const double row = HandleCentre(dragging_).y() - kPanelOriginY;
    distance = std::hypot(qx - x, row - qy);
  }
  const double length = SpokeLength(dragging_);
  const int value = int(std::min(distance, length) / length * 255);
  RgbColour rgb = rgb_;
  (dragging_ == Channel::kRed     ? rgb.red
   : dragging_ == Channel::kGreen ? rgb.green
                                  : rgb.blue) = value;
  if (rgb == rgb_) return;
  SetRgb(rgb);
  Q_EMIT rgbDragged(rgb);
}

WheelPanel::WheelPanel(QWidget* parent) : QWidget(parent), disc_(DiscImage()) {
  setFixedSize(kPanelImageWidth + kBarGap + kBarWidth, kPanelOriginY + kPanelImageHeight);
}

void WheelPanel::SetHsv(HsvColour hsv) {
  hsv_ = hsv;
  update();
}

QPoint WheelPanel::WheelMarker() const {
  const double r = hsv_.saturation * 100.0 / 255, a = hsv_.hue * std::numbers::pi / 180;
  return QPoint(int(std::lround(kWheelCx + r * std::cos(a))),
                int(std::lround(kWheelCy - r * std::sin(a))) + kPanelOriginY);
}

int WheelPanel::ValueMarkerRow() const {
  return kBarBottom - (kBarBottom - kBarTop) * hsv_.value / 255 + kPanelOriginY;
}

QRect WheelPanel::ValueBar() const {
  return QRect(kPanelImageWidth + kBarGap, kPanelOriginY + kBarTop, kBarWidth,
               kBarBottom - kBarTop + 1);
}

void WheelPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, kPanelOriginY, disc_);
  PaintValueBar(painter);
  // The marker: a small ring, black outside and white inside so it shows on any colour.
  const QPoint m = WheelMarker();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::black, 1.5));
  painter.drawEllipse(QPointF(m) + QPointF(0.5, 0.5), 5, 5);
  painter.setPen(QPen(Qt::white, 1.5));
  painter.drawEllipse(QPointF(m) + QPointF(0.5, 0.5), 3.5, 3.5);
}

void WheelPanel::PaintValueBar(QPainter& painter) {
  const QRect bar = ValueBar();
  for (int row = kBarTop; row <= kBarBottom; ++row) {
    const int value = (kBarBottom - row) * 255 / (kBarBottom - kBarTop);
    painter.setPen(ToColour(HsvToRgb({hsv_.hue, hsv_.saturation, value})));
    painter.drawLine(bar.left(), row + kPanelOriginY, bar.right(), row + kPanelOriginY);
  }
  painter.setPen(Qt::black);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(bar.adjusted(0, 0, -1, -1));
  const int y = ValueMarkerRow();
  painter.setPen(hsv_.value > 128 ? Qt::black : Qt::white);
  painter.drawLine(bar.left() + 1, y, bar.right() - 1, y);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::black);
  painter.drawPolygon(QPolygon(
      {QPoint(bar.left() - 1, y), QPoint(bar.left() - 5, y - 4), QPoint(bar.left() - 5, y + 4)}));
}

void WheelPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = ToPicture(event->position());
  if (std::hypot(p.x() - kWheelCx, p.y() - kWheelCy) <= kWheelRadius) {
    drag_ = Drag::kWheel;
  } else if (ValueBar().contains(event->position().toPoint())) {
    drag_ = Drag::kValue;
  } else {
    return;
  }
  DragTo(p);
}

void WheelPanel::mouseMoveEvent(QMouseEvent* event) {
  if (drag_ != Drag::kNone) DragTo(ToPicture(event->position()));
}

void WheelPanel::mouseReleaseEvent(QMouseEvent*) {
  drag_ = Drag::kNone;
}

// On the disc: hue from the angle, turning towards the top of the screen, saturation from
// the distance. On the bar: value from the row, full at the top.
void WheelPanel::DragTo(QPoint p) {
  HsvColour hsv = hsv_;
  if (drag_ == Drag::kWheel) {
    const double dx = p.x() - kWheelCx, dy = kWheelCy - p.y();
    int hue = int(std::atan2(dy, dx) * 180 / std::numbers::pi);
    if (hue < 0) hue += 360;
    hsv.hue = std::clamp(hue, 0, 359);
    hsv.saturation = std::min(255, int(std::hypot(dx, dy) * 2.55));
  } else {
    const int value = (kBarBottom - p.y()) * 255 / (kBarBottom - kBarTop);
    hsv.value = std::clamp(value, 0, 255);
  }
  if (hsv == hsv_) return;
  SetHsv(hsv);
  Q_EMIT hsvDragged(hsv);
}

}  // namespace tilvex::ui
