#pragma once
// "Batch process": a list of pictures loaded from a ".lst" file, converted one after another
// into one animation's files in a chosen folder (the current one at first), with a vertical
// progress bar and a line that says what the run wrote where.
#include <QDialog>

class QLabel;
class QLineEdit;
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
  void Browse();

  QListWidget* list;
  QProgressBar* progress;
  QPushButton* load;
  QPushButton* process;
  QPushButton* cancel;
  QLineEdit* folder;
  QPushButton* browse;
  QLabel* status;

 protected:
  void reject() override;

 private:
  Prompts& prompts_;
  bool running_ = false;
  bool stopAsked_ = false;  // Cancel during a run: stop before the next picture
};

}  // namespace tilvex::ui
