#include "small_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <algorithm>

#include "app/field_rules.h"
#include "app/slot_edits.h"
#include "app/view_geometry.h"
#include "prompts.h"
#include "ui_text.h"

namespace tilvex::ui {
namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return box;
}

QSpinBox* Spin(QWidget* parent, int low, int high, int value) {
  auto* box = new QSpinBox(parent);
  box->setRange(low, high);
  box->setValue(value);
  return box;
}

// "0x%04X" / "0x%02X".
QString HexText(unsigned value, int digits) {
  return QStringLiteral("0x") +
         QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

QString ReplaceExtension(const QString& path, const QString& extension) {
  const int dot = static_cast<int>(path.lastIndexOf(QLatin1Char('.')));
  const int slash = static_cast<int>(path.lastIndexOf(QLatin1Char('/')));
  return (dot > slash ? path.left(dot) : path) + extension;
}

NewPictureDialog::NewPictureDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("New"));
  auto* form = new QFormLayout(this);
  width = Spin(this, 1, 16384, 256);
  high = Spin(this, 1, 16384, 240);
  form->addRow(QStringLiteral("Width"), width);
  form->addRow(QStringLiteral("High"), high);
  form->addRow(OkCancel(this));
}

FileOutputDialog::FileOutputDialog(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
  setWindowTitle(QStringLiteral("File Output"));
  auto* form = new QFormLayout(this);
  pgtFile = new QLineEdit(this);
  pntFile = new QLineEdit(this);
  auto browse = [this](QLineEdit* field) {
    auto* row = new QHBoxLayout;
    auto* button = new QPushButton(QStringLiteral("Browse..."), this);
    row->addWidget(field);
    row->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, field] { Browse(field); });
    return row;
  };
  form->addRow(QStringLiteral("PGT File"), browse(pgtFile));
  bin = new QRadioButton(QStringLiteral("BIN"), this);
  assembler = new QRadioButton(QStringLiteral("ASM"), this);
  bin->setChecked(true);
  auto* formatGroup = new QButtonGroup(this);
  formatGroup->addButton(bin);
  formatGroup->addButton(assembler);
  auto* format = new QHBoxLayout;
  format->addWidget(bin);
  format->addWidget(assembler);
  form->addRow(format);
  form->addRow(QStringLiteral("PNT File"), browse(pntFile));
  eightBit = new QRadioButton(QStringLiteral("8bit"), this);
  sixteenBit = new QRadioButton(QStringLiteral("16bit"), this);
  eightBit->setChecked(true);
  auto* widthRow = new QHBoxLayout;
  widthRow->addWidget(eightBit);
  widthRow->addWidget(sixteenBit);
  auto* widthGroup = new QButtonGroup(this);
  widthGroup->addButton(eightBit);
  widthGroup->addButton(sixteenBit);
  form->addRow(widthRow);
  level = Spin(this, 0, 255, 0);
  segment = Spin(this, 0, 255, 0);
  form->addRow(QStringLiteral("LEVEL"), level);
  form->addRow(QStringLiteral("SEGMENT"), segment);
  form->addRow(OkCancel(this));
  // The whole path in sight, as far as the screen allows.
  for (QLineEdit* field : {pgtFile, pntFile}) {
    field->setMinimumWidth(field->fontMetrics().averageCharWidth() * 48);
    connect(field, &QLineEdit::textChanged, this, [field] {
      const QScreen* screen = field->screen();
      const int room = screen ? screen->availableGeometry().width() * 3 / 4 : 1200;
      const int wanted = field->fontMetrics().horizontalAdvance(field->text()) + 24;
      field->setMinimumWidth(
          std::clamp(wanted, field->fontMetrics().averageCharWidth() * 48, std::max(room, 200)));
    });
  }
  connect(bin, &QRadioButton::clicked, this, [this] { SetPgtExtension(QStringLiteral(".bin")); });
  connect(assembler, &QRadioButton::clicked, this,
          [this] { SetPgtExtension(QStringLiteral(".asm")); });
}

// The files are yet to be written, so the prompt names one, new or old, starting from the name
// in the field; a bare name gets the ending of the format chosen.
void FileOutputDialog::Browse(QLineEdit* field) {
  const bool pgt = field == pgtFile;
  FileRequest request;
  request.title = pgt ? QStringLiteral("PGT File") : QStringLiteral("PNT File");
  request.filters = {pgt ? UiText("PGT文件(*.bin,*.asm) (*.bin *.asm)")
                         : UiText("PNT文件(*.asm) (*.asm)")};
  request.defaultSuffix = pgt && bin->isChecked() ? QStringLiteral("bin") : QStringLiteral("asm");
  request.initialName = field->text();
  request.save = true;
  const QString path = prompts_.ChooseFile(this, request).path;
  if (!path.isEmpty()) field->setText(path);
}

void FileOutputDialog::SetPgtExtension(const QString& extension) {
  pgtFile->setText(ReplaceExtension(pgtFile->text(), extension));
}

PntAttribDialog::PntAttribDialog(uint16_t code, uint8_t attribute, bool switchesEnabled,
                                 QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("PNT Attrib"));
  auto* form = new QFormLayout(this);
  pntCode = new QLineEdit(HexText(code, 4), this);
  attCode = new QLineEdit(this);
  palNo = Spin(this, 0, 15, 0);
  switch1 = new QCheckBox(QStringLiteral("Switch1"), this);
  switch2 = new QCheckBox(QStringLiteral("Switch2"), this);
  switch1->setEnabled(switchesEnabled);
  switch2->setEnabled(switchesEnabled);
  problem = new QLabel(this);
  problem->setStyleSheet(QStringLiteral("color: #b00000"));
  problem->hide();
  form->addRow(QStringLiteral("PNTCode"), pntCode);
  form->addRow(QStringLiteral("ATTCode"), attCode);
  form->addRow(QStringLiteral("PALNo"), palNo);
  form->addRow(switch1);
  form->addRow(switch2);
  form->addRow(problem);
  form->addRow(OkCancel(this));
  ShowAttribute(attribute);
  connect(attCode, &QLineEdit::textEdited, this, [this] {
    if (const std::optional<uint8_t> typed = Attribute()) ShowAttribute(*typed);
  });
  connect(palNo, &QSpinBox::valueChanged, this, [this](int value) {
    if (!syncing_) ShowAttribute(WithPaletteNumber(Attribute().value_or(0), value));
  });
  connect(switch1, &QCheckBox::toggled, this, [this](bool on) {
    if (!syncing_) ShowAttribute(WithSwitch(Attribute().value_or(0), kSwitch1Bit, on));
  });
  connect(switch2, &QCheckBox::toggled, this, [this](bool on) {
    if (!syncing_) ShowAttribute(WithSwitch(Attribute().value_or(0), kSwitch2Bit, on));
  });
}

// Keeps PALNo and the switches in step with ATTCode; ATTCode is shown as "0x%02X" again
// except while the user types in it.
void PntAttribDialog::ShowAttribute(unsigned value) {
  syncing_ = true;
  value &= 0xFF;
  if (!attCode->hasFocus()) attCode->setText(HexText(value, 2));
  palNo->setValue(int(value & 15));
  switch1->setChecked(value & kSwitch1Bit);
  switch2->setChecked(value & kSwitch2Bit);
  syncing_ = false;
}

std::optional<uint16_t> PntAttribDialog::Code() const {
  const std::optional<uint32_t> read = ReadHexField(pntCode->text().toStdString(), 0xFFFF);
  if (!read) return std::nullopt;
  return static_cast<uint16_t>(*read);
}

std::optional<uint8_t> PntAttribDialog::Attribute() const {
  const std::optional<uint32_t> read = ReadHexField(attCode->text().toStdString(), 0xFF);
  if (!read) return std::nullopt;
  return static_cast<uint8_t>(*read);
}

void PntAttribDialog::accept() {
  uint32_t value = 0;
  Result read = ReadHexField(pntCode->text().toStdString(), 0xFFFF, "PNTCode", value);
  if (read) read = ReadHexField(attCode->text().toStdString(), 0xFF, "ATTCode", value);
  if (read) return QDialog::accept();
  problem->setText(QString::fromStdString(read.message));
  problem->show();
}

}  // namespace tilvex::ui
