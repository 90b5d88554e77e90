#pragma once

#include <QDialog>

namespace tilvex::ui {

class HyperLink;
class Prompts;

// "About Tilvex": the program's name and version, a link to its folder, and OK.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  AboutDialog(Prompts& prompts, QWidget* parent = nullptr);
  HyperLink* Link() const { return link_; }

 private:
  HyperLink* link_;
};

}  // namespace tilvex::ui
