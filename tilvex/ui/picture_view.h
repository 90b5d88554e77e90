#pragma once
// The zoomable picture view: the picture at one of 31 zoom steps over a hatch, the 8-pixel
// grid, the working area, and the mouse tools of the tool box. The drawing tools are in
// picture_view_tools.cpp.
#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>
#include <utility>
#include <vector>

#include "app/document.h"
#include "app/paint_tools.h"
#include "app/view_geometry.h"

class QPainter;
class QRubberBand;
class QTimer;

namespace tilvex::ui {

class Prompts;
struct DrawingTool;

// Tool box order.
enum Tool {
  kEraser = 0,
  kPen,
  kSelect,
  kBrush,
  kSpray,
  kPaint,
  kLine,
  kEyeDrop,
  kMagnify,
  kRectangle,
  kRound,
  kOval,
  kToolCount
};

// What the view reads from the main window: the current tool and the two drawing colours.
// The left button draws in the foreground colour, the right one and the eraser in the
// background colour.
struct DrawingState {
  int tool = kRound;
  Rgb foreground = 0;
  Rgb background = 0xFFFFFF;
};

class PictureView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  PictureView(Document& document, DrawingState& drawing, Prompts& prompts,
              QWidget* parent = nullptr);

  Zoom CurrentZoom() const { return zoom_; }
  // Changes the zoom keeping the picture point at the centre of the view in place.
  void SetZoom(const Zoom& zoom);
  // Changes the zoom keeping the picture point under the given viewport point in place.
  void ZoomAt(const Zoom& zoom, const QPoint& viewportPoint);
  void ZoomIn() { SetZoom(zoom_.StepIn()); }
  void ZoomOut() { SetZoom(zoom_.StepOut()); }
  // The largest zoom step at which the whole picture fits the view without scrolling.
  void FitToWindow();
  bool GridOn() const { return gridOn_; }
  void SetGrid(bool on);
  // On while "VT03 Transformation" is open: the rubber band snaps to 8 x 8 cells.
  void SetAreaSelection(bool on) { areaSelection_ = on; }
  bool AreaSelection() const { return areaSelection_; }
  // The picture changed size or content.
  void PictureChanged();
  // The picture pixel under the mouse, if the mouse is over the picture.
  bool PixelUnderMouse(Rgb& rgb, int& x, int& y) const;
  void UpdateCursor();
  // Scrolls so the picture rectangle is in sight; where it then is in the viewport.
  QRect ShowPictureRect(const AreaRect& area);
  // The palette bar's highlight: the given pixels drawn inverted while it blinks on.
  void SetHighlight(const PixelMask& pixels);
  void BlinkHighlight();
  void ClearHighlight();

 Q_SIGNALS:
  // A fill at a picture point: long on a large picture, so the window runs it on its worker.
  void fillRequested(QPoint at, Rgb rgb, const char* name);
  void areaDragged(const AreaRect& area);
  void coloursPicked();
  // A tool that does not apply here, with the reason for the status bar.
  void toolRefused(const QString& reason);
  void mouseMovedOver();
  void cellDoubleClicked(int x, int y);
  void zoomChanged();
  void normalZoomRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPoint ToPicture(const QPoint& viewportPoint) const;
  QPoint ScrollOffset() const;
  void UpdateScrollBars();
  void DrawGrid(QPainter& painter, int sw, int sh) const;
  void PickColour(const QPoint& at, bool foreground);
  void FinishBand(const QPoint& end);
  // The drawing tools, from press to release.
  void StartDrawing(const QPoint& at, Qt::MouseButton button);
  void DrawTo(const QPoint& picturePoint);
  void FinishDrawing(const QPoint& at);
  void Fill(const QPoint& picturePoint, const char* name);
  void DrawShapePreview(QPainter& painter) const;

  Document& document_;
  DrawingState& drawing_;
  Prompts& prompts_;
  Zoom zoom_;
  bool gridOn_ = false;
  bool areaSelection_ = false;
  QRubberBand* band_ = nullptr;
  QPoint bandStart_;
  bool banding_ = false;
  // The drawing tool being dragged, if any, the button and colour it draws with and the
  // picture points it was pressed at and last moved to.
  const DrawingTool* drawingTool_ = nullptr;
  Qt::MouseButton drawingButton_ = Qt::NoButton;
  Rgb drawingColour_ = 0;
  QPoint drawingStart_;
  QPoint drawingLast_;
  SprayCan spray_;
  QTimer* sprayTimer_ = nullptr;  // keeps spraying while the mouse rests
  int wheelDelta_ = 0;            // Ctrl + wheel turns not yet a whole zoom step
  QImage highlight_;
  bool highlightOn_ = false;
};

}  // namespace tilvex::ui
