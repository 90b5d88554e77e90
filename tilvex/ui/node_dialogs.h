#pragma once
// The three dialogs that create and edit project nodes: "Increase Section" for a section,
// "Increase" for a group or an item, "Setup Sub Block" for a rectangle of an item's picture.
// OK refuses, with a message, what the project cannot hold (see app/node_rules.h); the dialog
// then stays open.
#include <QDialog>

#include "project/project_tree.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tilvex::ui {

class Prompts;

class SectionDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SectionDialog(Prompts& prompts, QWidget* parent = nullptr);
  void Fill(const ProjectNode& record);
  ProjectNode Record() const;
  void accept() override;
  QLineEdit* name;
  QCheckBox* autoIncrease;

 private:
  Prompts& prompts_;
};

class IncreaseDialog : public QDialog {
  Q_OBJECT

 public:
  IncreaseDialog(Prompts& prompts, QWidget* parent = nullptr);
  // Editing: the kind is fixed, both choices disabled.
  void Fill(const ProjectNode& record);
  ProjectNode Record() const;
  void accept() override;
  QRadioButton* group;
  QRadioButton* item;
  QLineEdit* name;
  QLineEdit* path;
  QPushButton* browse;

 private:
  void Browse();
  void UpdatePath();
  Prompts& prompts_;
};

class SubBlockDialog : public QDialog {
  Q_OBJECT

 public:
  SubBlockDialog(Prompts& prompts, int width, int height, QWidget* parent = nullptr);
  void Fill(const ProjectNode& record);
  ProjectNode Record() const;
  void accept() override;
  QLineEdit* name;
  QSpinBox* x;
  QSpinBox* y;
  QSpinBox* width;
  QSpinBox* heigh;

 private:
  Prompts& prompts_;
};

}  // namespace tilvex::ui
