#include "node_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/node_rules.h"
#include "prompts.h"
#include "ui_text.h"

namespace tilvex::ui {
namespace {

QDialogButtonBox* AddButtons(QDialog* dialog, QLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return buttons;
}

QSpinBox* NumberBox(QWidget* parent, int value) {
  auto* box = new QSpinBox(parent);
  box->setRange(0, 65535);
  box->setValue(value);
  return box;
}

std::string Text(const QLineEdit* edit) {
  return edit->text().toStdString();
}

// Shows a refusal and puts the cursor in the field it is about, if one; false when there is
// nothing to refuse.
bool Refuse(Prompts& prompts, QDialog* dialog, const std::string& problem, QWidget* field) {
  if (problem.empty()) return false;
  prompts.Message(dialog, QString::fromStdString(problem));
  if (field) field->setFocus();
  return true;
}

uint32_t Value(const QSpinBox* box) {
  return static_cast<uint32_t>(box->value());
}

}  // namespace

SectionDialog::SectionDialog(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
  setWindowTitle(QStringLiteral("Increase Section"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  name = new QLineEdit(this);
  name->setMaxLength(499);
  form->addRow(QStringLiteral("Name"), name);
  layout->addLayout(form);
  autoIncrease =
      new QCheckBox(QStringLiteral("Automatically increase the spatial block data"), this);
  autoIncrease->setChecked(true);
  layout->addWidget(autoIncrease);
  AddButtons(this, layout);
  name->setFocus();
}

void SectionDialog::Fill(const ProjectNode& record) {
  name->setText(QString::fromStdString(record.name));
  autoIncrease->setChecked(record.autoIncrease != 0);
}

ProjectNode SectionDialog::Record() const {
  return SectionRecord(Text(name), autoIncrease->isChecked());
}

void SectionDialog::accept() {
  if (Refuse(prompts_, this, NodeNameProblem(kKindSection, Text(name)), name)) return;
  QDialog::accept();
}

IncreaseDialog::IncreaseDialog(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
  setWindowTitle(QStringLiteral("Increase"));
  auto* layout = new QVBoxLayout(this);
  auto* choice = new QHBoxLayout;
  group = new QRadioButton(QStringLiteral("Group"), this);
  item = new QRadioButton(QStringLiteral("Item"), this);
  group->setChecked(true);
  choice->addWidget(group);
  choice->addWidget(item);
  layout->addLayout(choice);
  auto* form = new QFormLayout;
  name = new QLineEdit(this);
  name->setMaxLength(499);
  form->addRow(QStringLiteral("Name"), name);
  auto* pathRow = new QHBoxLayout;
  path = new QLineEdit(this);
  browse = new QPushButton(QStringLiteral("Browse..."), this);
  browse->setAutoDefault(false);
  pathRow->addWidget(path);
  pathRow->addWidget(browse);
  form->addRow(QStringLiteral("Path"), pathRow);
  layout->addLayout(form);
  AddButtons(this, layout);
  connect(group, &QRadioButton::toggled, this, &IncreaseDialog::UpdatePath);
  connect(browse, &QPushButton::clicked, this, &IncreaseDialog::Browse);
  UpdatePath();
  name->setFocus();
}

void IncreaseDialog::UpdatePath() {
  path->setEnabled(!group->isChecked());
  browse->setEnabled(!group->isChecked());
}

void IncreaseDialog::Browse() {
  FileRequest request{
      QString(), {UiText("块图文件 (*.pic)")}, 0, QStringLiteral("pic"), path->text(), false};
  const FileAnswer answer = prompts_.ChooseFile(this, request);
  if (answer.path.isEmpty()) return;
  path->setText(answer.path);
  name->setText(QFileInfo(answer.path).completeBaseName());
}

void IncreaseDialog::Fill(const ProjectNode& record) {
  (record.kind == kKindItem ? item : group)->setChecked(true);
  group->setEnabled(false);
  item->setEnabled(false);
  name->setText(QString::fromStdString(record.name));
  path->setText(QString::fromStdString(record.path));
  UpdatePath();
}

ProjectNode IncreaseDialog::Record() const {
  if (group->isChecked()) return GroupRecord(Text(name));
  return ItemRecord(Text(name), Text(path));
}

void IncreaseDialog::accept() {
  const uint8_t kind = group->isChecked() ? kKindGroup : kKindItem;
  if (Refuse(prompts_, this, NodeNameProblem(kind, Text(name)), name)) return;
  if (kind == kKindItem && Refuse(prompts_, this, ItemPathProblem(Text(path)), path)) return;
  QDialog::accept();
}

SubBlockDialog::SubBlockDialog(Prompts& prompts, int w, int h, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
  setWindowTitle(QStringLiteral("Setup Sub Block"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  name = new QLineEdit(this);
  name->setMaxLength(499);
  x = NumberBox(this, 0);
  y = NumberBox(this, 0);
  width = NumberBox(this, w);
  heigh = NumberBox(this, h);
  form->addRow(QStringLiteral("Name"), name);
  form->addRow(QStringLiteral("X"), x);
  form->addRow(QStringLiteral("Y"), y);
  form->addRow(QStringLiteral("Width"), width);
  form->addRow(QStringLiteral("Heigh"), heigh);
  layout->addLayout(form);
  AddButtons(this, layout);
  name->setFocus();
  setMinimumWidth(260);
}

void SubBlockDialog::Fill(const ProjectNode& record) {
  name->setText(QString::fromStdString(record.name));
  x->setValue(static_cast<int>(record.subX));
  y->setValue(record.subY);
  // A stored 0 is a whole 256.
  width->setValue(record.subWidth == 0 ? 256 : record.subWidth);
  heigh->setValue(record.subHeight == 0 ? 256 : record.subHeight);
}

ProjectNode SubBlockDialog::Record() const {
  return SubBlockRecord(Text(name), Value(x), Value(y), Value(width), Value(heigh));
}

void SubBlockDialog::accept() {
  if (Refuse(prompts_, this, NodeNameProblem(kKindSubBlock, Text(name)), name)) return;
  const std::string size = SubBlockSizeProblem(Value(y), Value(width), Value(heigh));
  if (Refuse(prompts_, this, size, nullptr)) return;
  QDialog::accept();
}

}  // namespace tilvex::ui
