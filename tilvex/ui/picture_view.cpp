#include "picture_view.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include "prompts.h"
#include "qt_colour.h"

namespace tilvex::ui {
namespace {

QImage ImageOf(const Picture& picture) {
  if (picture.Empty()) return {};
  return QImage(picture.pixels.data(), picture.width, picture.height,
                static_cast<qsizetype>(picture.RowBytes()), QImage::Format_RGB888);
}

QCursor ToolCursor(const char* icon, int hotX, int hotY) {
  return QCursor(QIcon(QString::fromLatin1(icon)).pixmap(32, 32), hotX, hotY);
}

}  // namespace

PictureView::PictureView(Document& document, DrawingState& drawing, Prompts& prompts,
                         QWidget* parent)
    : QAbstractScrollArea(parent), document_(document), drawing_(drawing), prompts_(prompts) {
  viewport()->setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
  sprayTimer_ = new QTimer(this);
  sprayTimer_->setInterval(50);
  connect(sprayTimer_, &QTimer::timeout, this, [this] { DrawTo(drawingLast_); });
  UpdateCursor();
}

void PictureView::UpdateCursor() {
  switch (drawing_.tool) {
    case kEraser:
      viewport()->setCursor(ToolCursor(":/tilvex/icons/eraser.svg", 6, 26));
      break;
    case kPen:
      viewport()->setCursor(ToolCursor(":/tilvex/icons/pen.svg", 4, 28));
      break;
    case kSelect:
      viewport()->setCursor(Qt::CrossCursor);
      break;
    case kEyeDrop:
      viewport()->setCursor(ToolCursor(":/tilvex/icons/eyedrop.svg", 4, 28));
      break;
    case kMagnify:
      viewport()->setCursor(ToolCursor(":/tilvex/icons/magnify.svg", 12, 12));
      break;
    case kBrush:
    case kSpray:
    case kPaint:
    case kLine:
    case kRectangle:
    case kRound:
    case kOval:
      viewport()->setCursor(Qt::CrossCursor);
      break;
    default:
      viewport()->unsetCursor();
  }
}

void PictureView::SetZoom(const Zoom& zoom) {
  ZoomAt(zoom, viewport()->rect().center());
}

void PictureView::ZoomAt(const Zoom& zoom, const QPoint& at) {
  const QPoint offset = ScrollOffset();
  const int x = OffsetKeepingPoint(zoom_, zoom, offset.x(), at.x());
  const int y = OffsetKeepingPoint(zoom_, zoom, offset.y(), at.y());
  zoom_ = zoom;
  UpdateScrollBars();
  horizontalScrollBar()->setValue(x);
  verticalScrollBar()->setValue(y);
  viewport()->update();
  Q_EMIT zoomChanged();
}

// Measured as if there were no scroll bars, since at the fitting step there are none.
void PictureView::FitToWindow() {
  const Picture& picture = document_.View();
  const QSize room = maximumViewportSize();
  SetZoom(FittingZoom(picture.width, picture.height, room.width(), room.height()));
}

// A wheel turns in steps of 120; a fine-grained wheel or touch pad sends parts of one, which
// add up to a zoom step.
void PictureView::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  const QPoint at = event->position().toPoint();
  for (wheelDelta_ += event->angleDelta().y(); wheelDelta_ >= 120; wheelDelta_ -= 120)
    ZoomAt(zoom_.StepIn(), at);
  for (; wheelDelta_ <= -120; wheelDelta_ += 120) ZoomAt(zoom_.StepOut(), at);
  event->accept();
}

void PictureView::SetGrid(bool on) {
  gridOn_ = on;
  viewport()->update();
}

void PictureView::PictureChanged() {
  UpdateScrollBars();
  viewport()->update();
}

QPoint PictureView::ScrollOffset() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

QPoint PictureView::ToPicture(const QPoint& p) const {
  const QPoint s = p + ScrollOffset();
  return {zoom_.ToPicture(s.x()), zoom_.ToPicture(s.y())};
}

void PictureView::UpdateScrollBars() {
  const Picture& picture = document_.View();
  const int sw = zoom_.ToScreen(picture.width), sh = zoom_.ToScreen(picture.height);
  const QSize page = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, sw - page.width()));
  verticalScrollBar()->setRange(0, std::max(0, sh - page.height()));
  horizontalScrollBar()->setPageStep(page.width());
  verticalScrollBar()->setPageStep(page.height());
  horizontalScrollBar()->setSingleStep(std::max(1, zoom_.GridSpacing()));
  verticalScrollBar()->setSingleStep(std::max(1, zoom_.GridSpacing()));
}

void PictureView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void PictureView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), Qt::white);
  painter.fillRect(viewport()->rect(), QBrush(Qt::black, Qt::DiagCrossPattern));
  const Picture& picture = document_.View();
  if (picture.Empty()) return;
  const int sw = zoom_.ToScreen(picture.width), sh = zoom_.ToScreen(picture.height);
  painter.translate(-ScrollOffset());
  // Only the part in sight is drawn: a large picture would otherwise be converted whole
  // for every repaint.
  const QRect seen = QRect(ScrollOffset(), viewport()->size()) & QRect(0, 0, sw, sh);
  if (seen.isEmpty()) return;
  const PictureSpan xs = VisibleSpan(zoom_, seen.left(), seen.right() + 1, picture.width);
  const PictureSpan ys = VisibleSpan(zoom_, seen.top(), seen.bottom() + 1, picture.height);
  const QRect source(xs.first, ys.first, xs.last - xs.first, ys.last - ys.first);
  const QRect target(zoom_.ToScreen(xs.first), zoom_.ToScreen(ys.first),
                     zoom_.ToScreen(xs.last) - zoom_.ToScreen(xs.first),
                     zoom_.ToScreen(ys.last) - zoom_.ToScreen(ys.first));
  painter.drawImage(target, ImageOf(picture), source);
  if (highlightOn_ && !highlight_.isNull()) painter.drawImage(target, highlight_, source);
  if (gridOn_ && zoom_.GridVisible()) DrawGrid(painter, sw, sh);
  const AreaRect a = document_.Area();
  if (a.Width() > 0 && a.Height() > 0) {
    QPen pen(Qt::black, 1, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(zoom_.ToScreen(a.left), zoom_.ToScreen(a.top), zoom_.ToScreen(a.Width()) - 1,
                     zoom_.ToScreen(a.Height()) - 1);
  }
  // Where the last conversion stopped.
  const AreaRect problem = document_.ProblemArea();
  if (problem.Width() > 0 && problem.Height() > 0) {
    painter.setPen(QPen(Qt::red, 2));
    painter.setBrush(QColor(255, 0, 0, 60));
    painter.drawRect(zoom_.ToScreen(problem.left), zoom_.ToScreen(problem.top),
                     zoom_.ToScreen(problem.Width()), zoom_.ToScreen(problem.Height()));
  }
  DrawShapePreview(painter);
}

void PictureView::DrawGrid(QPainter& painter, int sw, int sh) const {
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setPen(Qt::white);
  const int s = zoom_.GridSpacing();
  for (int x = s; x < sw; x += s) painter.drawLine(x, 0, x, sh - 1);
  for (int y = s; y < sh; y += s) painter.drawLine(0, y, sw - 1, y);
  painter.restore();
}

bool PictureView::PixelUnderMouse(Rgb& rgb, int& x, int& y) const {
  // Only the view itself counts, not a window above it.
  if (QApplication::widgetAt(QCursor::pos()) != viewport()) return false;
  const QPoint local = viewport()->mapFromGlobal(QCursor::pos());
  const QPoint p = ToPicture(local);
  const Picture& picture = document_.View();
  if (!picture.Contains(p.x(), p.y())) return false;
  rgb = picture.At(p.x(), p.y());
  x = p.x();
  y = p.y();
  return true;
}

void PictureView::PickColour(const QPoint& at, bool foreground) {
  const QPoint p = ToPicture(at);
  if (!document_.View().Contains(p.x(), p.y())) return;
  (foreground ? drawing_.foreground : drawing_.background) = document_.View().At(p.x(), p.y());
  Q_EMIT coloursPicked();
}

void PictureView::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const bool left = event->button() == Qt::LeftButton;
  if (banding_ || drawingTool_) return;  // a second button during a drag
  if (left && (areaSelection_ || drawing_.tool == kSelect)) {
    bandStart_ = at;
    banding_ = true;
    band_->setGeometry(QRect(at, QSize()));
    band_->show();
    return;
  }
  switch (drawing_.tool) {
    case kEyeDrop:
      if (left || event->button() == Qt::RightButton) PickColour(at, left);
      break;
    case kMagnify:
      if (left) ZoomAt(zoom_.StepIn(), at);
      if (event->button() == Qt::RightButton) ZoomAt(zoom_.StepOut(), at);
      break;
    default:
      if (!areaSelection_ && (left || event->button() == Qt::RightButton))
        StartDrawing(at, event->button());
      break;
  }
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  Q_EMIT mouseMovedOver();
  if (banding_) {
    band_->setGeometry(QRect(bandStart_, at).normalized());
  } else if (drawingTool_) {
    DrawTo(ToPicture(at));
  }
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
  if (drawingTool_ && event->button() == drawingButton_) FinishDrawing(event->position().toPoint());
  if (banding_ && event->button() == Qt::LeftButton) FinishBand(event->position().toPoint());
}

void PictureView::FinishBand(const QPoint& end) {
  banding_ = false;
  band_->hide();
  const QPoint a = bandStart_ + ScrollOffset(), b = end + ScrollOffset();
  const Picture& picture = document_.View();
  AreaRect area = DraggedArea(zoom_, a.x(), a.y(), b.x(), b.y(), picture.width, picture.height);
  if (a == b || area.Width() <= 0 || area.Height() <= 0) {
    prompts_.Beep();
    return;
  }
  if (areaSelection_) area = SnapToPictureCells(area, picture.width, picture.height);
  document_.SetArea(area);
  viewport()->update();
  Q_EMIT areaDragged(area);
}

QRect PictureView::ShowPictureRect(const AreaRect& area) {
  const QRect onScreen(zoom_.ToScreen(area.left), zoom_.ToScreen(area.top),
                       zoom_.ToScreen(area.Width()), zoom_.ToScreen(area.Height()));
  const QSize page = viewport()->size();
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  if (onScreen.left() < h->value() || onScreen.right() >= h->value() + page.width())
    h->setValue(onScreen.center().x() - page.width() / 2);
  if (onScreen.top() < v->value() || onScreen.bottom() >= v->value() + page.height())
    v->setValue(onScreen.center().y() - page.height() / 2);
  return onScreen.translated(-ScrollOffset());
}

void PictureView::SetHighlight(const PixelMask& pixels) {
  const Picture& picture = document_.View();
  highlight_ = QImage();
  highlightOn_ = false;
  if (pixels.Empty() || picture.Empty() || pixels.Width() != picture.width ||
      pixels.Height() != picture.height)
    return;
  highlight_ = QImage(picture.width, picture.height, QImage::Format_ARGB32);
  highlight_.fill(Qt::transparent);
  pixels.ForEach([&](int x, int y) {
    highlight_.setPixel(x, y, ToQColor(~picture.At(x, y) & 0xFFFFFFu).rgb());
  });
}

void PictureView::BlinkHighlight() {
  highlightOn_ = !highlightOn_;
  viewport()->update();
}

void PictureView::ClearHighlight() {
  highlight_ = QImage();
  highlightOn_ = false;
  viewport()->update();
}

void PictureView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!document_.IsBlockPicture()) return;
  const QPoint p = ToPicture(event->position().toPoint());
  if (document_.View().Contains(p.x(), p.y())) Q_EMIT cellDoubleClicked(p.x(), p.y());
}

void PictureView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Q_EMIT normalZoomRequested();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace tilvex::ui
