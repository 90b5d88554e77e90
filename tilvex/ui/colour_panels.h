#pragma once
// The two picture panels of "Colors Select": the RGB triangle with a handle on each spoke,
// and the hue/saturation disc with its value bar. Both keep the picker's pixel geometry:
// a 202 x 201 picture whose origin lies 12 pixels below the top of the panel.
#include <QImage>
#include <QPoint>
#include <QWidget>

#include "palette/hsv.h"

namespace tilvex::ui {

constexpr int kPanelImageWidth = 202;
constexpr int kPanelImageHeight = 201;
constexpr int kPanelOriginY = 12;

enum class Channel { kRed, kGreen, kBlue, kNone };

class TrianglePanel : public QWidget {
  Q_OBJECT

 public:
  explicit TrianglePanel(QWidget* parent = nullptr);
  void SetRgb(RgbColour rgb);
  RgbColour Rgb() const { return rgb_; }
  // The centre of a channel's handle, in panel coordinates.
  QPoint HandleCentre(Channel channel) const;

 Q_SIGNALS:
  void rgbDragged(RgbColour rgb);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void DragTo(QPoint point);

  QImage image_;
  RgbColour rgb_;
  Channel dragging_ = Channel::kNone;
};

class WheelPanel : public QWidget {
  Q_OBJECT

 public:
  explicit WheelPanel(QWidget* parent = nullptr);
  void SetHsv(HsvColour hsv);
  HsvColour Hsv() const { return hsv_; }
  // Where the current hue and saturation sit on the disc, and the value bar's marker row,
  // in panel coordinates.
  QPoint WheelMarker() const;
  int ValueMarkerRow() const;
  // The value bar's columns, in panel coordinates.
  QRect ValueBar() const;

 Q_SIGNALS:
  void hsvDragged(HsvColour hsv);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  enum class Drag { kNone, kWheel, kValue };
  void DragTo(QPoint point);
  void PaintValueBar(QPainter& painter);

  QImage disc_;
  HsvColour hsv_;
  Drag drag_ = Drag::kNone;
};

}  // namespace tilvex::ui
