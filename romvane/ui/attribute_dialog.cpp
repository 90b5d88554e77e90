#include "attribute_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "dialog_units.h"
#include "ui_text.h"

namespace romvane {
namespace {

const QString kNull = QStringLiteral("Null");

int Choice(bool known, bool set, bool trueFirst) {
  if (!known) return -1;
  return trueFirst ? (set ? 0 : 1) : (set ? 1 : 0);
}

// Breaks a path into lines no wider than width, after a directory separator where one
// fits, so the whole path shows and its ending stays visible.
QString WrapPath(const QString& path, const QFontMetrics& fm, int width) {
  QStringList lines;
  QString rest = path;
  while (fm.horizontalAdvance(rest) > width && rest.size() > 1) {
    int fit = 1;
    while (fit < rest.size() && fm.horizontalAdvance(rest.left(fit + 1)) <= width) ++fit;
    const int slash = rest.lastIndexOf(QLatin1Char('/'), fit - 1);
    const int cut = slash > 0 ? slash + 1 : fit;
    lines << rest.left(cut);
    rest = rest.mid(cut);
  }
  lines << rest;
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

AttributeDialog::AttributeDialog(const GameAttributes& a, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Attribute"));
  const DialogUnits du(this);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(du.X(6));
  grid->setVerticalSpacing(du.Y(3));

  // Labels and one-line values sit level with the choice lists beside them; the
  // two-line path starts at the top of its rows.
  auto label = [&](const char* text, int row, int column) {
    const Qt::Alignment level = std::string(text) == "Path:" ? Qt::AlignTop : Qt::AlignVCenter;
    grid->addWidget(new QLabel(QString::fromLatin1(text), this), row, column,
                    Qt::AlignLeft | level);
  };
  auto value = [&](const char* name, const QString& text, int row, int column, int rowSpan = 1) {
    QLabel* v = AddValue(name, text);
    grid->addWidget(v, row, column, rowSpan, 1,
                    Qt::AlignLeft | (rowSpan == 1 ? Qt::AlignVCenter : Qt::AlignTop));
    return v;
  };

  // The row's texts are shown as they stand, an empty one too; only the block places
  // keep "Null" while no build placed the game.
  label("Number:", 0, 0);
  value("number", QString::fromStdString(a.number), 0, 1);
  label("Tital:", 1, 0);
  value("title", QString::fromStdString(a.title), 1, 1);
  label("Path:", 2, 0);
  const QString fullPath = QString::fromStdString(a.path);
  const QString wrapped = WrapPath(fullPath, fontMetrics(), du.X(150));
  QLabel* path = value("path", wrapped, 2, 1, 3);
  path->setToolTip(fullPath);
  path->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  path->setMinimumWidth(du.X(150));
  // Two lines at least; a longer path makes the dialog taller rather than losing its end.
  const int lines = static_cast<int>(wrapped.count(QLatin1Char('\n'))) + 1;
  path->setMinimumHeight(std::max(du.Y(16), lines * fontMetrics().lineSpacing()));

  // The PRG block in columns 0-1, the CHR block in columns 2-3: size, then its place.
  auto blockRows = [&](const std::string& kind, const std::string& key, int column,
                       const std::string& size, const BlockPlace& place) {
    label((kind + "_Size:").c_str(), 5, column);
    value((key + "Size").c_str(), QString::fromStdString(size), 5, column + 1);
    QLabel* fields[3];
    const std::string names[3] = {"Begin", "End", "Num"};
    for (int i = 0; i < 3; ++i) {
      label((kind + "_" + names[i] + ":").c_str(), 6 + i, column);
      fields[i] = value((key + names[i]).c_str(), kNull, 6 + i, column + 1);
    }
    ShowPlace(place, fields[0], fields[1], fields[2]);
  };
  blockRows("Prom", "prom", 0, a.prgSize, a.prg);
  blockRows("Vrom", "vrom", 2, a.chrSize, a.chr);

  // The header settings, preselected from the file; none when it could not be read.
  const bool known = a.header.has_value();
  const uint8_t flags = known ? (*a.header)[6] : 0;
  const int mapper = known ? MapperNumber(*a.header) : -1;
  const QStringList trueFalse = {QStringLiteral("True"), QStringLiteral("False")};
  const char* choiceLabels[] = {"Mapper:", "Mirroring:", "SRAM:", "Trainer:", "4 Map:"};
  QComboBox* choices[] = {
      AddChoice("mapper", {"0", "1", "2", "3", "4"}, mapper >= 0 && mapper <= 4 ? mapper : -1),
      AddChoice("mirroring", {"Vertical", "Horizontal"},
                Choice(known, flags & kFlagVertical, true)),
      AddChoice("sram", trueFalse, Choice(known, flags & kFlagSram, true)),
      AddChoice("trainer", trueFalse, Choice(known, flags & kFlagTrainer, true)),
      AddChoice("fourScreen", trueFalse, Choice(known, flags & kFlagFourScreen, true)),
  };
  for (int i = 0; i < 5; ++i) {
    label(choiceLabels[i], i, 2);
    grid->addWidget(choices[i], i, 3);
  }
  mirroring_ = choices[1];
  // Without a readable header there is nothing to choose from, and nothing is rewritten.
  for (QComboBox* c : choices) c->setEnabled(known);
  if (!known) {
    QLabel* note = AddValue("unreadable", UiText("无法读取此文件的 iNES 文件头，不能修改其设置。"));
    note->setWordWrap(true);
    grid->addWidget(note, 9, 0, 1, 4);
  }

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  ok->setObjectName(QStringLiteral("okButton"));
  cancel->setObjectName(QStringLiteral("cancelButton"));
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(du.X(7), du.Y(7), du.X(7), du.Y(7));
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addWidget(buttons);
  resize(du.X(304), du.Y(183));
}

int AttributeDialog::MirroringChoice() const {
  switch (mirroring_->currentIndex()) {
    case 0:
      return 1;
    case 1:
      return 0;
    default:
      return -1;
  }
}

QLabel* AttributeDialog::AddValue(const char* name, const QString& text) {
  auto* v = new QLabel(text, this);
  v->setObjectName(QString::fromLatin1(name));
  v->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return v;
}

QComboBox* AttributeDialog::AddChoice(const char* name, const QStringList& items, int selected) {
  auto* box = new QComboBox(this);
  box->setObjectName(QString::fromLatin1(name));
  box->addItems(items);
  box->setCurrentIndex(selected);
  return box;
}

void AttributeDialog::ShowPlace(const BlockPlace& place, QLabel* begin, QLabel* end, QLabel* page) {
  if (!place.known) return;
  begin->setText(QString::number(place.begin, 16));
  end->setText(QString::number(place.end, 16));
  page->setText(QString::number(place.page, 16));
}

}  // namespace romvane
