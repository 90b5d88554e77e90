#pragma once
// "TV Display Config" and the "TV Effect" command: the device preview of a block picture.
#include <QDialog>
#include <string>

class QComboBox;

namespace tilvex {
class VolumeLister;
}

namespace tilvex::ui {

class DocumentBridge;
class Prompts;

class TvConfigDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TvConfigDialog(QWidget* parent = nullptr);
  QComboBox* configs;
};

// For a block picture: asks for the display configuration, patches "Rom.b00" from
// programDir into "Rom.b01" and copies it to the device volume when one is mounted.
// Other pictures are left alone.
void RunTvEffect(DocumentBridge& document, Prompts& prompts, QWidget* parent, VolumeLister& volumes,
                 const std::string& programDir);

}  // namespace tilvex::ui
