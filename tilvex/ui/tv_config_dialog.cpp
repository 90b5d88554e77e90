#include "tv_config_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "document_bridge.h"
#include "output/preview_image.h"
#include "prompts.h"

namespace tilvex::ui {

TvConfigDialog::TvConfigDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("TV Display Config"));
  setMinimumWidth(300);  // room for the title
  configs = new QComboBox(this);
  for (const char* name : kTvDisplayConfigs) configs->addItem(QString::fromLatin1(name));
  configs->setCurrentIndex(0);
  auto* next = new QPushButton(QStringLiteral("Next"), this);
  next->setDefault(true);
  connect(next, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(configs);
  layout->addWidget(next);
}

void RunTvEffect(DocumentBridge& document, Prompts& prompts, QWidget* parent, VolumeLister& volumes,
                 const std::string& programDir) {
  if (!document.IsBlockPicture()) return;
  TvConfigDialog dialog(parent);
  // Closing the list any other way than "Next" keeps the first configuration.
  const int index = prompts.Exec(dialog) == QDialog::Accepted ? dialog.configs->currentIndex() : 0;
  std::string copiedTo;
  Outcome built = document.BuildPreview(index, programDir, volumes, &copiedTo);
  if (!built.ok) {
    if (!built.message.empty()) prompts.Message(parent, QString::fromStdString(built.message));
    return;
  }
  // Without the device the image is still useful, but the user has to be told where it is.
  if (copiedTo.empty()) {
    prompts.Message(parent, QStringLiteral("No drive labelled \"%1\" is mounted, so nothing was "
                                           "copied to the device.\nThe preview image is %2")
                                .arg(QString::fromLatin1(kDeviceVolumeLabel),
                                     QString::fromStdString(programDir + "/Rom.b01")));
  }
}

}  // namespace tilvex::ui
