#include "about_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialog_units.h"
#include "ui_text.h"

namespace romvane {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(UiText("关于 Romvane"));
  const DialogUnits du(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
  auto* text = new QLabel(UiText("Romvane 1.0 版"), this);
  text->setObjectName(QStringLiteral("version"));
  auto* ok = new QPushButton(UiText("确定"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* row = new QHBoxLayout;
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addSpacing(du.X(10));
  row->addWidget(text, 1, Qt::AlignVCenter);
  row->addWidget(ok, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(du.X(11), du.Y(11), du.X(11), du.Y(11));
  layout->addLayout(row);
}

}  // namespace romvane
