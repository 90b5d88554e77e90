// The picture view's drawing tools. Each press-to-release is one stroke of the document, so
// one step of the history under the tool's name; the pixels come from app/paint_tools.
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "picture_view.h"
#include "qt_colour.h"

namespace tilvex::ui {

// How a tool draws: stamps along the mouse path, spray bursts, one flood fill at the press,
// or a shape from the press to the release, shown while dragging and drawn on release.
enum class Drawing { kStamps, kSpray, kFill, kShape };

struct DrawingTool {
  int tool;
  const char* name;  // the history step's name
  Drawing drawing;
  Stamp stamp;
  Shape shape;
};

namespace {

constexpr DrawingTool kDrawingTools[] = {
    {kEraser, "Eraser", Drawing::kStamps, kEraserStamp, Shape::kLine},
    {kPen, "Pen", Drawing::kStamps, kPenStamp, Shape::kLine},
    {kBrush, "Brush", Drawing::kStamps, kBrushStamp, Shape::kLine},
    {kSpray, "Spray", Drawing::kSpray, kPenStamp, Shape::kLine},
    {kPaint, "Fill", Drawing::kFill, kPenStamp, Shape::kLine},
    {kLine, "Line", Drawing::kShape, kPenStamp, Shape::kLine},
    {kRectangle, "Rectangle", Drawing::kShape, kPenStamp, Shape::kRectangle},
    {kRound, "Round", Drawing::kShape, kPenStamp, Shape::kRound},
    {kOval, "Oval", Drawing::kShape, kPenStamp, Shape::kOval},
};

const DrawingTool* DrawingToolOf(int tool) {
  for (const DrawingTool& t : kDrawingTools) {
    if (t.tool == tool) return &t;
  }
  return nullptr;
}

PixelPoint ToPixel(const QPoint& p) {
  return {p.x(), p.y()};
}

}  // namespace

void PictureView::StartDrawing(const QPoint& at, Qt::MouseButton button) {
  const DrawingTool* tool = DrawingToolOf(drawing_.tool);
  if (!tool) return;
  if (const Result can = document_.CanPaint(); !can) {
    Q_EMIT toolRefused(QString::fromStdString(can.Text()));
    return;
  }
  const bool background = button != Qt::LeftButton || tool->tool == kEraser;
  drawingColour_ = background ? drawing_.background : drawing_.foreground;
  drawingStart_ = drawingLast_ = ToPicture(at);
  switch (tool->drawing) {
    case Drawing::kFill:
      Fill(drawingStart_, tool->name);
      return;
    case Drawing::kShape:
      break;
    case Drawing::kSpray:
      sprayTimer_->start();
      [[fallthrough]];
    case Drawing::kStamps:
      document_.BeginStroke(tool->name);
      break;
  }
  drawingTool_ = tool;
  drawingButton_ = button;
  DrawTo(drawingStart_);
}

void PictureView::DrawTo(const QPoint& p) {
  if (!drawingTool_) return;
  const QPoint from = drawingLast_;
  drawingLast_ = p;
  PixelList pixels;
  switch (drawingTool_->drawing) {
    case Drawing::kShape:
      viewport()->update();
      return;
    case Drawing::kSpray:
      pixels = spray_.Burst(ToPixel(p));
      break;
    default:
      pixels = StampPath(ToPixel(from), ToPixel(p), drawingTool_->stamp);
      break;
  }
  for (const PixelPoint& pixel : pixels) document_.StrokePixel(pixel.x, pixel.y, drawingColour_);
}

// The mouse may have moved after its last move event: a stroke goes on to where it is
// released and a shape ends there.
void PictureView::FinishDrawing(const QPoint& at) {
  if (drawingTool_->drawing == Drawing::kStamps) DrawTo(ToPicture(at));
  const DrawingTool* tool = std::exchange(drawingTool_, nullptr);
  sprayTimer_->stop();
  if (tool->drawing == Drawing::kShape) {
    document_.BeginStroke(tool->name);
    for (const PixelPoint& p :
         ShapePixels(tool->shape, ToPixel(drawingStart_), ToPixel(ToPicture(at))))
      document_.StrokePixel(p.x, p.y, drawingColour_);
    viewport()->update();
  }
  document_.EndStroke();
}

void PictureView::Fill(const QPoint& p, const char* name) {
  Q_EMIT fillRequested(p, drawingColour_, name);
}

// The shape being dragged, over the picture and not yet in it; only its pixels inside the
// picture, since only those will be drawn.
void PictureView::DrawShapePreview(QPainter& painter) const {
  if (!drawingTool_ || drawingTool_->drawing != Drawing::kShape) return;
  const Picture& picture = document_.View();
  const QColor colour = ToQColor(drawingColour_);
  const PixelList pixels =
      ShapePixels(drawingTool_->shape, ToPixel(drawingStart_), ToPixel(drawingLast_));
  for (const PixelPoint& p : pixels) {
    if (!picture.Contains(p.x, p.y)) continue;
    const int x = zoom_.ToScreen(p.x), y = zoom_.ToScreen(p.y);
    painter.fillRect(x, y, std::max(1, zoom_.ToScreen(p.x + 1) - x),
                     std::max(1, zoom_.ToScreen(p.y + 1) - y), colour);
  }
}

}  // namespace tilvex::ui
