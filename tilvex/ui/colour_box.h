#pragma once
// A framed box filled with one colour, optionally answering a left click.
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <functional>

namespace tilvex::ui {

class ColourBox : public QWidget {
 public:
  ColourBox(std::function<QColor()> colour, QSize size, QWidget* parent,
            std::function<void()> clicked = {})
      : QWidget(parent), colour_(std::move(colour)), clicked_(std::move(clicked)) {
    setFixedSize(size);
    if (clicked_) setCursor(Qt::PointingHandCursor);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), colour_());
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (clicked_ && event->button() == Qt::LeftButton) clicked_();
  }

 private:
  std::function<QColor()> colour_;
  std::function<void()> clicked_;
};

}  // namespace tilvex::ui
