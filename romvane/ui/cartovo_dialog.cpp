#include "cartovo_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpacerItem>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "about_dialog.h"
#include "cart/cartridge_build.h"
#include "cart/emulator_run.h"
#include "common/gbk.h"
#include "dialog_units.h"
#include "editable_list_ctrl.h"
#include "game_list_model.h"
#include "prompts.h"
#include "qt_launcher.h"
#include "ui_text.h"

namespace romvane {
namespace {

constexpr int kColumnWidths[kColumnCount] = {40, 260, 50, 50, 168};

bool FitsGbk(const QString& character) {
  return common::Utf8ToGbk(character.toStdString()).has_value();
}

// Narrow headings ("sProm", "sVrom") get room for their text beside the sort arrow.
void FitSortArrow(QHeaderView* header) {
  const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
  const int arrow = header->sizeHint().height() / 2 + 2 * margin;
  for (int c = 0; c < header->count(); ++c) {
    const QString text = header->model()->headerData(c, Qt::Horizontal).toString();
    const int needed = header->fontMetrics().horizontalAdvance(text) + 2 * margin + arrow;
    if (header->sectionSize(c) < needed) header->resizeSection(c, needed);
  }
}

}  // namespace

CartovoDialog::CartovoDialog(std::string programDir, Launcher* launcher, Prompts* prompts,
                             QWidget* parent)
    : QDialog(parent),
      programDir_(std::move(programDir)),
      ownLauncher_(launcher ? nullptr : new QtLauncher),
      ownPrompts_(prompts ? nullptr : new Prompts),
      launcher_(launcher ? launcher : ownLauncher_.get()),
      prompts_(prompts ? prompts : ownPrompts_.get()),
      sleep_(nullptr) {
  setWindowTitle(QStringLiteral("Cartovo"));
  BuildLayout();
}

CartovoDialog::~CartovoDialog() {
  // The list view and its model read the game list, which goes before the base dialog.
  delete view_;
  delete model_;
}

void CartovoDialog::BuildLayout() {
  const DialogUnits du(this);
  model_ = new GameListModel(list_, this);
  view_ = new EditableListCtrl(this);
  view_->setObjectName(QStringLiteral("gameList"));
  view_->setModel(model_);
  for (int c = 0; c < kColumnCount; ++c) view_->setColumnWidth(c, kColumnWidths[c]);
  FitSortArrow(view_->header());
  for (int c : {kColNumber, kColPrgSize, kColChrSize, kColAttribute})
    view_->SetColumnReadOnly(c, true);
  view_->SetAllowedChars(QString(), kColTitle);
  // List files keep GBK text: a title character GBK lacks is refused as it is typed.
  view_->SetCharCheck(kColTitle, FitsGbk, UiText("GBK 无法保存此字符"));
  view_->header()->setSectionsClickable(true);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  // Small enough for a scaled-up screen; the list scrolls.
  view_->setMinimumSize(du.X(160), du.Y(60));
  view_->installEventFilter(this);
  connect(view_->header(), &QHeaderView::sectionClicked, this, &CartovoDialog::SortByColumn);
  connect(view_, &QWidget::customContextMenuRequested, this, &CartovoDialog::ShowContextMenu);
  connect(view_, &EditableListCtrl::filesDropped, this, &CartovoDialog::AddDroppedFiles);
  connect(view_, &EditableListCtrl::rowDoubleClicked, this, &CartovoDialog::RunGame);
  connect(view_, &EditableListCtrl::cellEdited, this, [this](int, int column, const QString&) {
    if (column == sortColumn_) EndSortedOrder();
  });
  connect(model_, &GameListModel::rowsPlaced, this, [this](int first, int count) {
    EndSortedOrder();
    SelectRows(first, count);
  });

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("statusLine"));
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  // Any change of the games may leave rom.bin behind the list; it is judged once the
  // change is complete.
  auto judgeLater = [this] { QTimer::singleShot(0, this, &CartovoDialog::ShowBuildState); };
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(model_, signal, this, judgeLater);
  connect(model_, &QAbstractItemModel::dataChanged, this, judgeLater);
  connect(model_, &QAbstractItemModel::layoutChanged, this, judgeLater);
  connect(model_, &QAbstractItemModel::rowsMoved, this, judgeLater);
  auto* left = new QVBoxLayout;
  left->setSpacing(du.Y(2));
  left->addWidget(view_, 1);
  left->addWidget(status_);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(du.X(7), du.Y(7), du.X(7), du.Y(7));
  layout->setSpacing(du.X(8));
  layout->addLayout(left, 1);
  layout->addLayout(BuildSideColumn());
  resize(du.X(461), du.Y(261));
  FitScreen();
}

QLayout* CartovoDialog::BuildSideColumn() {
  const DialogUnits du(this);
  auto* side = new QVBoxLayout;
  side->setSpacing(0);
  side->setContentsMargins(0, 0, 0, 0);
  // The gaps keep the dialog's proportions but give way first when the window is short.
  auto gap = [&](int units) {
    side->addSpacerItem(
        new QSpacerItem(0, du.Y(units), QSizePolicy::Minimum, QSizePolicy::Maximum));
  };
  gap(8);
  side->addWidget(new QLabel(UiText("保留大小(0x):"), this));
  gap(10);
  reserve_ = new QLineEdit(QStringLiteral("6000"), this);
  reserve_->setObjectName(QStringLiteral("reserveSize"));
  reserve_->setMaxLength(5);
  reserve_->setFixedWidth(du.X(40));
  reserve_->installEventFilter(this);
  side->addWidget(reserve_);

  auto button = [&](const char* text, const char* name, int spaceBefore, auto handler) {
    gap(spaceBefore);
    auto* b = new QPushButton(UiText(text), this);
    b->setObjectName(QString::fromLatin1(name));
    // No button is the default: Enter closes the window as the dialog's OK.
    b->setAutoDefault(false);
    b->setFixedSize(du.X(50), du.Y(14));
    connect(b, &QPushButton::clicked, this, handler);
    side->addWidget(b);
  };
  button("模拟运行", "runButton", 7, &CartovoDialog::RunImage);
  button("转换/合成", "buildButton", 35, &CartovoDialog::Build);
  button("导出列表", "exportButton", 12, &CartovoDialog::ExportList);
  button("保存", "saveButton", 10, &CartovoDialog::SaveList);
  button("载入", "loadButton", 8, &CartovoDialog::LoadList);
  side->addStretch(1);

  // Where the platform offers no window menu to hold it, the about box opens from here.
  auto* about = new QToolButton(this);
  about->setObjectName(QStringLiteral("aboutButton"));
  about->setIcon(windowIcon());
  about->setAutoRaise(true);
  // The window menu's item "关于 Romvane(&A)..."; a tooltip shows no keyboard hint.
  about->setToolTip(UiText("关于 Romvane..."));
  auto* aboutKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_A), this);
  connect(aboutKey, &QShortcut::activated, this, &CartovoDialog::ShowAbout);
  connect(about, &QToolButton::clicked, this, &CartovoDialog::ShowAbout);
  side->addWidget(about, 0, Qt::AlignHCenter);
  gap(8);
  button("取消", "cancelButton", 0, &QDialog::reject);
  gap(16);
  return side;
}

void CartovoDialog::FitScreen() {
  const QScreen* shown = screen();
  if (!shown) return;
  const QSize room = shown->availableGeometry().size() * 9 / 10;
  resize(size().boundedTo(room).expandedTo(minimumSizeHint()));
}

void CartovoDialog::keyPressEvent(QKeyEvent* event) {
  // Outside the cell editor Enter ends the window as Escape does, except on a button with
  // the focus, which it presses as the platform's dialogs do.
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
      button->click();
    } else {
      accept();
    }
    return;
  }
  QDialog::keyPressEvent(event);
}

bool CartovoDialog::eventFilter(QObject* watched, QEvent* event) {
  // Enter ends typing a reserve, never the window with the list.
  if (watched == reserve_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
  }
  if (watched != view_ || event->type() != QEvent::KeyPress)
    return QDialog::eventFilter(watched, event);
  // The list's keys for its commands; the title editor keeps its own Delete and Ctrl+C.
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->matches(QKeySequence::Delete)) {
    RemoveSelected();
  } else if (key->matches(QKeySequence::Copy)) {
    CopySelected();
  } else if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
    // As the Menu key does, but the menu opens at the focused row.
    const QRect row = view_->visualRect(view_->currentIndex());
    ShowContextMenu(row.isValid() ? row.bottomLeft() : QPoint(0, 0));
  } else {
    return QDialog::eventFilter(watched, event);
  }
  return true;
}

void CartovoDialog::EndSortedOrder() {
  sortColumn_ = -1;
  sortAscending_ = true;
  view_->header()->setSortIndicatorShown(false);
}

void CartovoDialog::Tell(const std::string& message) {
  if (!message.empty()) prompts_->Message(this, QString::fromStdString(message));
}

void CartovoDialog::Tell(const std::vector<std::string>& messages) {
  std::string all;
  for (const std::string& m : messages) {
    if (m.empty()) continue;
    if (!all.empty()) all += "\n";
    all += m;
  }
  Tell(all);
}

std::vector<int> CartovoDialog::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& i : view_->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void CartovoDialog::SelectRows(int first, int count) {
  std::vector<int> rows;
  for (int r = first; r < first + count; ++r) rows.push_back(r);
  SelectRowList(rows);
}

void CartovoDialog::SelectRowList(const std::vector<int>& rows) {
  QItemSelection selection;
  for (int r : rows) {
    if (r >= 0 && r < model_->rowCount())
      selection.select(model_->index(r, 0), model_->index(r, kColumnCount - 1));
  }
  if (selection.isEmpty()) return;
  view_->selectionModel()->setCurrentIndex(selection.first().topLeft(),
                                           QItemSelectionModel::NoUpdate);
  view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void CartovoDialog::KeepSelection(const std::vector<int>& rows, int current) {
  SelectRowList(rows);
  if (current >= 0 && current < model_->rowCount()) {
    view_->selectionModel()->setCurrentIndex(model_->index(current, 0),
                                             QItemSelectionModel::NoUpdate);
  }
}

void CartovoDialog::ShowContextMenu(const QPoint& position) {
  if (busy_) return;
  view_->EndEdit();
  QMenu menu(this);
  QAction* add = menu.addAction(UiText("添加"));
  QAction* remove = menu.addAction(UiText("删除"));
  QAction* copy = menu.addAction(UiText("复制"));
  menu.addSeparator();
  QAction* up = menu.addAction(UiText("上移"));
  QAction* down = menu.addAction(UiText("下移"));
  QAction* attributes = menu.addAction(UiText("属性"));
  QAction* chosen = prompts_->ExecMenu(menu, view_->viewport()->mapToGlobal(position));
  if (chosen == add) {
    AddGameFromDialog();
  } else if (chosen == remove) {
    RemoveSelected();
  } else if (chosen == copy) {
    CopySelected();
  } else if (chosen == up) {
    MoveUp();
  } else if (chosen == down) {
    MoveDown();
  } else if (chosen == attributes) {
    const std::vector<int> rows = SelectedRows();
    if (!rows.empty()) ShowAttributes(rows.front());
  }
}

void CartovoDialog::RunGame(int clickedRow) {
  if (busy_) return;
  const std::vector<int> rows = SelectedRows();
  const int row = rows.empty() ? clickedRow : rows.front();
  const GameRun run = PrepareGameRun(list_, row, programDir_);
  if (!run.message.empty()) {
    Tell(run.message);
    return;
  }
  if (!launcher_->Start(run.command))
    Tell(common::TrFill("无法启动模拟器{0}!", {run.command.program}));
}

void CartovoDialog::RunImage() {
  if (busy_) return;
  if (const std::string refused = NothingBuiltRefusal(programDir_); !refused.empty()) {
    Tell(refused);
    return;
  }
  const GameRun run = RunImageCommand(programDir_);
  if (!run.message.empty()) {
    Tell(run.message);
    return;
  }
  if (!launcher_->Start(run.command))
    Tell(common::TrFill("无法启动模拟器{0}!", {run.command.program}));
}

void CartovoDialog::ShowAbout() {
  if (busy_) return;
  AboutDialog about(this);
  prompts_->Exec(about);
}

}  // namespace romvane
