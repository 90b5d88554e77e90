#include "palette_bar.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include "colour_cells.h"
#include "colour_select_dialog.h"
#include "picture_view.h"
#include "prompts.h"
#include "qt_colour.h"

namespace tilvex::ui {
namespace {

constexpr int kInset = 2;
constexpr int kPitch = 16;

// A plain painted box; the owner decides what it shows.
class Swatch : public QWidget {
 public:
  Swatch(std::function<void(QPainter&, const QRect&)> paint, QWidget* parent,
         std::function<void(QPoint)> clicked = {})
      : QWidget(parent), paint_(std::move(paint)), clicked_(std::move(clicked)) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    paint_(painter, rect());
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (clicked_ && event->button() == Qt::LeftButton) clicked_(event->position().toPoint());
  }

 private:
  std::function<void(QPainter&, const QRect&)> paint_;
  std::function<void(QPoint)> clicked_;
};

}  // namespace

ColourListArea::ColourListArea(const std::vector<Rgb>& colours, Prompts& prompts, QWidget* parent)
    : QWidget(parent), colours_(colours), prompts_(prompts), blinkTimer_(new QTimer(this)) {
  setFixedSize(kPitch * 16 + 2 * kInset, kPitch * 16 + 2 * kInset);
  blinkTimer_->setInterval(100);
  connect(blinkTimer_, &QTimer::timeout, this, &ColourListArea::blink);
}

QRect ColourListArea::CellRect(int index) const {
  return ColourCellRect(index, width());
}

int ColourListArea::CellAt(const QPoint& point) const {
  const int count = std::min<int>(static_cast<int>(colours_.size()), 256);
  for (int i = 0; i < count; ++i) {
    if (CellRect(i).contains(point)) return i;
  }
  return -1;
}

void ColourListArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect().adjusted(kInset, kInset, -kInset, -kInset), QColor(192, 192, 192));
  const int count = std::min<int>(static_cast<int>(colours_.size()), 256);
  for (int i = 0; i < count; ++i) painter.fillRect(CellRect(i), ToQColor(colours_[size_t(i)]));
}

void ColourListArea::mousePressEvent(QMouseEvent* event) {
  const int cell = CellAt(event->position().toPoint());
  if (cell < 0) return;
  if (event->button() == Qt::LeftButton) {
    if (auto chosen = prompts_.ChooseColour(this, ToQColor(colours_[size_t(cell)]))) {
      Q_EMIT recolour(cell, FromQColor(*chosen));
      update();
    }
  } else if (event->button() == Qt::RightButton) {
    heldCell_ = cell;
    Q_EMIT collect(cell);
    blinkTimer_->start();
  }
}

void ColourListArea::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton || heldCell_ < 0) return;
  blinkTimer_->stop();
  Q_EMIT restore(heldCell_);
  heldCell_ = -1;
}

PaletteBar::PaletteBar(const std::vector<Rgb>& colours, DrawingState& drawing, Prompts& prompts,
                       QWidget* parent)
    : QWidget(parent), drawing_(drawing) {
  auto* layout = new QVBoxLayout(this);
  auto* readOutGrid = new QGridLayout;
  swatch_ = new Swatch(
      [this](QPainter& p, const QRect& r) {
        if (over_) {
          p.fillRect(r, ToQColor(rgb_));
        } else {
          p.fillRect(r, Qt::white);
          p.fillRect(r, QBrush(Qt::black, Qt::DiagCrossPattern));
        }
      },
      this);
  swatch_->setFixedSize(48, 48);
  readOutGrid->addWidget(swatch_, 0, 0, 3, 1);
  static const char* kNames[6] = {"R", "G", "B", "I", "X", "Y"};
  for (int i = 0; i < 6; ++i) {
    readOuts_[i] = new QLabel(QStringLiteral("..."), this);
    readOuts_[i]->setMinimumWidth(32);
    readOutGrid->addWidget(new QLabel(QString::fromLatin1(kNames[i]), this), i % 3, 1 + i / 3 * 2);
    readOutGrid->addWidget(readOuts_[i], i % 3, 2 + i / 3 * 2);
  }
  layout->addLayout(readOutGrid);
  colourPair_ = new Swatch(
      [this](QPainter& p, const QRect&) {
        p.setPen(Qt::black);
        p.setBrush(ToQColor(drawing_.background));
        p.drawRect(16, 16, 28, 28);
        p.setBrush(ToQColor(drawing_.foreground));
        p.drawRect(2, 2, 28, 28);
      },
      this,
      [this, &prompts](QPoint at) {
        // The foreground swatch lies over the background one, so it is tested first.
        Rgb* colour = QRect(2, 2, 29, 29).contains(at)     ? &drawing_.foreground
                      : QRect(16, 16, 29, 29).contains(at) ? &drawing_.background
                                                           : nullptr;
        if (!colour) return;
        if (std::optional<Rgb> chosen = AskDrawingColour(prompts, this, *colour)) {
          *colour = *chosen;
          colourPair_->update();
        }
      });
  colourPair_->setFixedSize(48, 48);
  colourPair_->setObjectName(QStringLiteral("drawingColours"));
  layout->addWidget(colourPair_);
  list_ = new ColourListArea(colours, prompts, this);
  layout->addWidget(list_);
  auto* box = new QGroupBox(QStringLiteral("Information"), this);
  auto* boxLayout = new QVBoxLayout(box);
  info_ = new QLabel(box);
  info_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  info_->setMinimumHeight(200);
  boxLayout->addWidget(info_);
  layout->addWidget(box);
  layout->addStretch();
}

void PaletteBar::ShowPixel(bool over, Rgb rgb, int x, int y) {
  over_ = over;
  rgb_ = rgb;
  const int values[6] = {int(RedOf(rgb)),
                         int(GreenOf(rgb)),
                         int(BlueOf(rgb)),
                         int(RedOf(rgb) + GreenOf(rgb) + BlueOf(rgb)) / 3,
                         x,
                         y};
  for (int i = 0; i < 6; ++i)
    readOuts_[i]->setText(over ? QString::number(values[i]) : QStringLiteral("..."));
  swatch_->update();
}

QString PaletteBar::ReadOut(int i) const {
  return readOuts_[i]->text();
}

void PaletteBar::SetInformation(const QString& text) {
  info_->setText(text);
}

QString PaletteBar::Information() const {
  return info_->text();
}

void PaletteBar::Repaint() {
  colourPair_->update();
  list_->update();
}

}  // namespace tilvex::ui
