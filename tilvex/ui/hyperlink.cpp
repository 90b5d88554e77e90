#include "hyperlink.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

#include "prompts.h"

namespace tilvex::ui {

QString LinkFailureReason(const QString& target) {
  const QUrl url = QUrl::fromUserInput(target);
  if (url.isLocalFile()) {
    const QFileInfo file(url.toLocalFile());
    if (!file.dir().exists()) return QStringLiteral("The specified path was not found.");
    if (!file.exists()) return QStringLiteral("The specified file was not found.");
    if (!file.isReadable())
      return QStringLiteral("The operating system denied\naccess to the specified file.");
  }
  return QStringLiteral("There is no application associated\nwith the given filename extension.");
}

HyperLink::HyperLink(const QString& text, Prompts& prompts, QWidget* parent)
    : QLabel(text, parent), prompts_(prompts) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
  opener_ = [](const QString& target, QString& reason) {
    if (QDesktopServices::openUrl(QUrl::fromUserInput(target))) return true;
    reason = LinkFailureReason(target);
    return false;
  };
  UpdateLook();
}

void HyperLink::SetTarget(const QString& target) {
  target_ = target;
  if (text().isEmpty()) setText(target);
  UpdateLook();
}

QString HyperLink::Target() const {
  return target_.isEmpty() ? text() : target_;
}

void HyperLink::UpdateLook() {
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  setToolTip(Target());
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, visited_ ? QColor(128, 0, 128) : QColor(0, 0, 238));
  setPalette(colours);
}

void HyperLink::Open() {
  QString reason;
  if (opener_(Target(), reason)) {
    visited_ = true;
    UpdateLook();
    update();
    return;
  }
  prompts_.Beep();
  prompts_.Message(this, QStringLiteral("Can't open link:\n\n") + reason);
}

void HyperLink::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Open();
}

void HyperLink::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space) {
    Open();
    return;
  }
  QLabel::keyPressEvent(event);
}

}  // namespace tilvex::ui
