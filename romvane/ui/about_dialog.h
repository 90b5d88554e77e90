#pragma once

#include <QDialog>

namespace romvane {

// "关于 Romvane": the program icon, its name and version, and "确定".
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace romvane
