#include "hyperlink.h"

#include <unistd.h>

#include <QDesktopServices>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>
#include <cerrno>
#include <cstring>

#include "prompts.h"
#include "ui_text.h"

namespace tilvex::ui {

// The desktop's launcher runs detached and never says why it failed, so a local target is
// first put to the system, whose refusal is told in its own words.
bool OpenThroughDesktop(const QString& target, QString& reason) {
  const QUrl url = QUrl::fromUserInput(target);
  if (url.isLocalFile() && ::access(QFile::encodeName(url.toLocalFile()).constData(), R_OK) != 0) {
    reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  if (QDesktopServices::openUrl(url)) return true;
  reason = UiText("找不到可以打开它的程序。");
  return false;
}

HyperLink::HyperLink(const QString& text, Prompts& prompts, QWidget* parent)
    : QLabel(text, parent), prompts_(prompts) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
  opener_ = OpenThroughDesktop;
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
  QString text = QStringLiteral("Can't open link:\n") + Target();
  if (!reason.isEmpty()) text += QStringLiteral("\n\n") + reason;
  prompts_.Message(this, text);
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
