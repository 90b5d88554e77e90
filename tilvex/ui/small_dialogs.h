#pragma once
// The small modal dialogs of the document: the New size, the File Output choices and the
// "PNT Attrib" cell editor.
#include <QDialog>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace tilvex::ui {

class Prompts;

// The path with its file name's extension (from the last ".") replaced; an empty extension
// takes it away.
QString ReplaceExtension(const QString& path, const QString& extension);

// New: the size of the next blank picture.
class NewPictureDialog : public QDialog {
  Q_OBJECT

 public:
  explicit NewPictureDialog(QWidget* parent = nullptr);
  QSpinBox* width;
  QSpinBox* high;
};

// "File Output": PGT and PNT files, BIN or ASM, 8 or 16 bit, LEVEL and SEGMENT.
class FileOutputDialog : public QDialog {
  Q_OBJECT

 public:
  FileOutputDialog(Prompts& prompts, QWidget* parent = nullptr);
  QLineEdit* pgtFile;
  QLineEdit* pntFile;
  QRadioButton* bin;
  QRadioButton* assembler;
  QRadioButton* eightBit;
  QRadioButton* sixteenBit;
  QSpinBox* level;
  QSpinBox* segment;

 private:
  void Browse(QLineEdit* field);
  void SetPgtExtension(const QString& extension);
  Prompts& prompts_;
};

// "PNT Attrib": one cell's name-table code and attribute byte.
class PntAttribDialog : public QDialog {
  Q_OBJECT

 public:
  PntAttribDialog(uint16_t code, uint8_t attribute, bool switchesEnabled,
                  QWidget* parent = nullptr);
  // The fields as typed; nothing while one holds more than its cell byte or code can.
  std::optional<uint16_t> Code() const;
  std::optional<uint8_t> Attribute() const;
  // OK stays in the dialog, with the reason beneath the fields, while a field is refused.
  void accept() override;
  QLineEdit* pntCode;
  QLineEdit* attCode;
  QSpinBox* palNo;
  QCheckBox* switch1;
  QCheckBox* switch2;
  QLabel* problem;

 private:
  void ShowAttribute(unsigned value);
  bool syncing_ = false;
};

}  // namespace tilvex::ui
