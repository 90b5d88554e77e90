#include "tv_config_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStatusBar>
#include <QStorageInfo>

#include "app/document.h"
#include "doc/file_writes.h"
#include "output/emulator_run.h"
#include "prompts.h"
#include "ui_text.h"

namespace tilvex::ui {
namespace {

constexpr int kStatusMilliseconds = 10000;

class NoVolumes : public VolumeLister {
 public:
  std::vector<Volume> ListVolumes() override { return {}; }
};

void ShowStatus(QStatusBar* status, const QString& text) {
  if (status) status->showMessage(text, kStatusMilliseconds);
}

}  // namespace

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

std::vector<Volume> QtVolumes::ListVolumes() {
  std::vector<Volume> volumes;
  for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
    if (!storage.isValid() || !storage.isReady()) continue;
    volumes.push_back({storage.rootPath().toStdString(), storage.name().toStdString()});
  }
  return volumes;
}

void RunTvEffect(Document& document, Prompts& prompts, QWidget* parent, VolumeLister& volumes,
                 const PreviewFolders& folders, QStatusBar* status) {
  if (!document.IsBlockPicture()) return;
  TvConfigDialog dialog(parent);
  // Closing the list any other way than "Next" keeps the first configuration.
  const int index = prompts.Exec(dialog) == QDialog::Accepted ? dialog.configs->currentIndex() : 0;
  PreviewResult preview;
  const Result built = document.BuildPreview(index, folders, volumes, &preview);
  if (!built.ok) return prompts.ShowFailure(parent, built);
  if (preview.devicePath.empty()) {
    ShowStatus(status, UiText("没有卷标为 \"%1\" 的驱动器: 只写出了 %2")
                           .arg(QString::fromLatin1(kDeviceVolumeLabel),
                                QString::fromStdString(preview.imagePath)));
  } else {
    ShowStatus(status, UiText("ROM.BIN 已复制到 %1 (预览映像 %2)")
                           .arg(QString::fromStdString(preview.devicePath),
                                QString::fromStdString(preview.imagePath)));
  }
}

void RunInEmulator(Document& document, Prompts& prompts, QWidget* parent,
                   const PreviewFolders& folders, const std::string& configuredEmulator,
                   const Starter& start, QStatusBar* status) {
  if (!document.IsBlockPicture()) return;
  NoVolumes noDevice;  // the emulator is the device here
  PreviewResult preview;
  const Result built = document.BuildPreview(0, folders, noDevice, &preview);
  auto fail = [&](const std::string& message) {
    prompts.ShowFailure(parent, Result::Fail(message, "the emulator could not be started"));
  };
  if (!built.ok) return prompts.ShowFailure(parent, built);
  if (preview.image.empty()) return;
  const std::string nesPath =
      (folders.outputDir.empty() ? std::string() : folders.outputDir + "/") + "Rom.nes";
  Result written = WriteOutputFile(nesPath, PreviewNesFile(preview.image));
  if (!written.ok) return fail(written.Text());
  EmulatorCommand command;
  Result planned = PlanEmulatorRun(configuredEmulator, nesPath, preview.image,
                                   document.Header().colourMode, command);
  if (!planned.ok) return prompts.ShowFailure(parent, planned);
  QStringList arguments;
  for (const std::string& a : command.arguments) arguments << QString::fromStdString(a);
  const QString program = QString::fromStdString(command.program);
  if (!start(program, arguments))
    return fail(common::TrFill("无法启动模拟器 {0}", {command.program}));
  ShowStatus(status, UiText("%1 正在显示 %2").arg(program, QString::fromStdString(nesPath)) +
                         QStringLiteral(" ") +
                         QString::fromStdString(PreviewPaletteWarning(document.State().block)));
}

}  // namespace tilvex::ui
