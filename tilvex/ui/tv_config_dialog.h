#pragma once
// "TV Display Config", the "TV Effect" command (the device preview of a block picture) and
// "Run in emulator", the same picture on an emulated console.
#include <QDialog>
#include <QString>
#include <functional>
#include <string>

#include "output/preview_image.h"

class QComboBox;
class QStatusBar;

namespace tilvex {
class Document;
}

namespace tilvex::ui {

class Prompts;

class TvConfigDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TvConfigDialog(QWidget* parent = nullptr);
  QComboBox* configs;
};

// The mounted volumes with their labels as the system reports them.
class QtVolumes : public VolumeLister {
 public:
  std::vector<Volume> ListVolumes() override;
};

// For a block picture: asks for the display configuration, patches "Rom.b00" into
// "Rom.b01" and copies it to the device volume when one is mounted; the status bar says
// where the image went. Other pictures are left alone.
void RunTvEffect(Document& document, Prompts& prompts, QWidget* parent, VolumeLister& volumes,
                 const PreviewFolders& folders, QStatusBar* status);

// Starts a program detached; false when it cannot be started. Tests supply their own.
using Starter = std::function<bool(const QString& program, const QStringList& arguments)>;

// For a block picture: writes the preview image as "Rom.nes" in folders.outputDir and
// starts the configured emulator on it (else MAME's VT03 machine or FCEUX).
void RunInEmulator(Document& document, Prompts& prompts, QWidget* parent,
                   const PreviewFolders& folders, const std::string& configuredEmulator,
                   const Starter& start, QStatusBar* status);

}  // namespace tilvex::ui
