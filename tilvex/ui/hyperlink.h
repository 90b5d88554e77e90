#pragma once
// A text label that opens its target through the desktop: underlined, the target as tool
// tip, a hand cursor, click or Space to open, shown as visited afterwards.
#include <QLabel>
#include <functional>

namespace tilvex::ui {

class Prompts;

class HyperLink : public QLabel {
  Q_OBJECT

 public:
  // Opens a target; false with the reason when it could not. Open tells the user the link and
  // that reason.
  using Opener = std::function<bool(const QString& target, QString& reason)>;

  HyperLink(const QString& text, Prompts& prompts, QWidget* parent = nullptr);
  void SetTarget(const QString& target);
  // The link target: the one set, else the text.
  QString Target() const;
  bool Visited() const { return visited_; }
  void SetOpener(Opener opener) { opener_ = std::move(opener); }
  void Open();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void UpdateLook();

  Prompts& prompts_;
  QString target_;
  bool visited_ = false;
  Opener opener_;
};

// The opener a link starts with: the desktop's, after the system has been asked whether a
// local target can be read.
bool OpenThroughDesktop(const QString& target, QString& reason);

}  // namespace tilvex::ui
