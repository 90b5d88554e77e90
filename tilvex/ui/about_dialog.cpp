#include "about_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

#include "hyperlink.h"
#include "ui_text.h"

namespace tilvex::ui {

AboutDialog::AboutDialog(Prompts& prompts, QWidget* parent) : QDialog(parent) {
  setWindowTitle(UiText("关于 Tilvex"));
  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(QStringLiteral(":/tilvex/icons/tilvex.svg")).pixmap(48, 48));
  auto* text = new QLabel(
      UiText("Tilvex %1\nVT03 图片转换工具").arg(QApplication::applicationVersion()), this);
  // The folder of the program, where the colour tables and the cartridge template live.
  link_ = new HyperLink(UiText("程序文件夹"), prompts, this);
  link_->SetTarget(QUrl::fromLocalFile(QApplication::applicationDirPath()).toString());
  auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  auto* texts = new QVBoxLayout;
  texts->addWidget(text);
  texts->addWidget(link_);
  top->addLayout(texts);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(ok);
}

}  // namespace tilvex::ui
