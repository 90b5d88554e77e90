#pragma once
// "Batch process": a list of pictures loaded from a ".lst" file, converted one after another
// into one animation's files in the current folder, with a vertical progress bar.
#include <QDialog>

class QListWidget;
class QProgressBar;
class QPushButton;

namespace tilvex::ui {

class Prompts;

class BatchDialog : public QDialog {
  Q_OBJECT

 public:
  BatchDialog(Prompts& prompts, QWidget* parent = nullptr);

  void Load();
  void Process();

  QListWidget* list;
  QProgressBar* progress;
  QPushButton* load;
  QPushButton* process;
  QPushButton* cancel;

 protected:
  void reject() override;

 private:
  Prompts& prompts_;
  bool running_ = false;
  bool stopAsked_ = false;  // Cancel during a run: stop before the next picture
};

}  // namespace tilvex::ui
