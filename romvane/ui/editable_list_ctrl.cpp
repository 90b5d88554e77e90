#include "editable_list_ctrl.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyleHints>
#include <QToolTip>
#include <QUrl>
#include <QValidator>

#include <climits>

namespace romvane {
namespace {

QStringList LocalFiles(const QMimeData* data) {
  QStringList paths;
  if (!data) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  return paths;
}

int CountRefused(const QString& text, const CharCheck& check) {
  int refused = 0;
  for (int i = 0; i < text.size(); ++i) {
    const int length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    if (!check(text.mid(i, length))) ++refused;
    i += length - 1;
  }
  return refused;
}

}  // namespace

// Refuses a change that brings in a character the check does not pass; text that
// already held such characters can still be shortened or corrected.
class CharCheckValidator : public QValidator {
 public:
  using QValidator::QValidator;
  CharCheck check;
  int known = 0;  // refused characters the field held after its last accepted change

  State validate(QString& input, int&) const override {
    return check && CountRefused(input, check) > known ? Invalid : Acceptable;
  }
  void Accepted(const QString& text) { known = check ? CountRefused(text, check) : 0; }
};

CellEdit::CellEdit(EditableListCtrl* list)
    : QLineEdit(list->viewport()), list_(list), validator_(new CharCheckValidator(this)) {
  setValidator(validator_);
  connect(this, &QLineEdit::textChanged, this,
          [this](const QString& t) { validator_->Accepted(t); });
  connect(this, &QLineEdit::inputRejected, this, [this] {
    if (hint_.isEmpty()) return;
    QApplication::beep();
    QToolTip::showText(mapToGlobal(QPoint(0, height())), hint_, this);
  });
  hide();
}

void CellEdit::Begin(int row, int column, const QString& text, const QString& allowedChars,
                     const CharCheck& check, const QString& hint) {
  row_ = row;
  column_ = column;
  initialText_ = text;
  allowedChars_ = allowedChars;
  validator_->check = check;
  validator_->known = INT_MAX;
  hint_ = hint;
  cancelled_ = false;
  setFont(list_->font());
  setText(text);
  validator_->Accepted(text);
  selectAll();
  show();
  raise();
  setFocus(Qt::MouseFocusReason);
  opened_.start();
}

void CellEdit::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit finished();
      return;
    case Qt::Key_Escape:
      cancelled_ = true;
      emit finished();
      return;
    default:
      break;
  }
  const QString typed = event->text();
  if (!typed.isEmpty() && !Accepts(typed.front())) {
    QApplication::beep();
    emit refused(typed.front());
    return;
  }
  QLineEdit::keyPressEvent(event);
}

bool CellEdit::Accepts(QChar c) const {
  // Backspace, copy (0x03), paste (0x16) and cut (0x18) always pass; every other control
  // character, Ctrl+A and Ctrl+Z among them, counts as typed. Delete types no character
  // (Qt gives it 0x7F) and passes too.
  if (allowedChars_.isEmpty() || allowedChars_.contains(c)) return true;
  const char16_t u = c.unicode();
  return u == 0x08 || u == 0x03 || u == 0x16 || u == 0x18 || u == 0x7F;
}

void CellEdit::inputMethodEvent(QInputMethodEvent* event) {
  // Text from an input method is typed text as well: refused characters are dropped.
  const QString commit = event->commitString();
  QString kept;
  for (QChar c : commit) {
    if (Accepts(c)) kept += c;
  }
  if (kept.size() == commit.size()) {
    QLineEdit::inputMethodEvent(event);
    return;
  }
  QApplication::beep();
  for (QChar c : commit) {
    if (!Accepts(c)) {
      emit refused(c);
      break;
    }
  }
  QInputMethodEvent filtered(event->preeditString(), event->attributes());
  filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
  QLineEdit::inputMethodEvent(&filtered);
}

void CellEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // The field's own context menu takes the focus for a moment; that is not the end.
  if (event->reason() != Qt::PopupFocusReason) emit finished();
}

void CellEdit::mouseDoubleClickEvent(QMouseEvent* event) {
  // The first click of a double click opened this field over the row; the second one
  // belongs to the row, so the edit is dropped and the row gets its double click.
  if (opened_.isValid() &&
      opened_.elapsed() <= QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
    cancelled_ = true;
    const int row = row_;
    emit finished();
    emit list_->rowDoubleClicked(row);
    return;
  }
  QLineEdit::mouseDoubleClickEvent(event);
}

EditableListCtrl::EditableListCtrl(QWidget* parent) : QTreeView(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  // Rows dragged inside the list land on the row under the cursor, wherever in that row
  // the button is released, and that whole row is highlighted as the drop target.
  setDragDropOverwriteMode(true);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(false);
  header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

EditableListCtrl::~EditableListCtrl() {
  // The edit field loses the focus while the list is taken apart; nothing is stored then.
  if (edit_) disconnect(edit_, nullptr, this, nullptr);
  editing_ = false;
}

void EditableListCtrl::SetColumnReadOnly(int column, bool readOnly) {
  if (readOnly) {
    if (!readOnlyColumns_.contains(column)) readOnlyColumns_.append(column);
  } else {
    readOnlyColumns_.removeAll(column);
  }
}

void EditableListCtrl::SetCharCheck(int column, CharCheck check, const QString& hint) {
  const int at = checkedColumns_.indexOf(column);
  if (at >= 0) {
    checks_[at] = std::move(check);
    hints_[at] = hint;
  } else {
    checkedColumns_.append(column);
    checks_.append(std::move(check));
    hints_.append(hint);
  }
}

bool EditableListCtrl::IsColumnReadOnly(int column) const {
  return readOnlyColumns_.contains(column);
}

void EditableListCtrl::SetAllowedChars(const QString& chars, int column) {
  if (column == -1) {
    allowedChars_.fill(chars);
  } else if (column >= 0 && column < kMaxColumns) {
    allowedChars_[static_cast<size_t>(column)] = chars;
  }
}

void EditableListCtrl::EditCell(int row, int column) {
  if (!model() || row < 0 || row >= model()->rowCount() || column < 0 ||
      column >= model()->columnCount() || IsColumnReadOnly(column)) {
    return;
  }
  EndEdit();
  // A cell out of view on either side is brought to the left border; one that only
  // sticks out on the right is scrolled by the part that sticks out.
  const int viewWidth = viewport()->width();
  int left = header()->sectionViewportPosition(column);
  const int width = columnWidth(column);
  QScrollBar* bar = horizontalScrollBar();
  if (left < 0 || left > viewWidth) {
    bar->setValue(bar->value() + left);
  } else if (left + width > viewWidth) {
    bar->setValue(bar->value() + left + width - viewWidth);
  }
  const QModelIndex index = model()->index(row, column);
  scrollTo(index, QAbstractItemView::EnsureVisible);
  left = header()->sectionViewportPosition(column);
  const QRect rowRect = visualRect(index);

  if (!edit_) {
    edit_ = new CellEdit(this);
    connect(edit_, &CellEdit::finished, this, &EditableListCtrl::FinishEdit);
  }
  edit_->setGeometry(left, rowRect.top(), width, rowRect.height());
  editing_ = true;
  const QString allowed =
      column < kMaxColumns ? allowedChars_[static_cast<size_t>(column)] : QString();
  const int checked = checkedColumns_.indexOf(column);
  edit_->Begin(row, column, index.data(Qt::EditRole).toString(), allowed,
               checked >= 0 ? checks_[checked] : CharCheck(),
               checked >= 0 ? hints_[checked] : QString());
}

void EditableListCtrl::EndEdit() {
  if (!editing_ || !edit_) return;
  editing_ = false;
  const int row = edit_->Row();
  const int column = edit_->Column();
  const QString text = edit_->Cancelled() ? edit_->InitialText() : edit_->text();
  edit_->hide();
  if (model() && row < model()->rowCount()) {
    model()->setData(model()->index(row, column), text, Qt::EditRole);
  }
  emit cellEdited(row, column, text);
}

void EditableListCtrl::FinishEdit() {
  const bool hadFocus = edit_ && edit_->hasFocus();
  EndEdit();
  if (hadFocus) setFocus(Qt::OtherFocusReason);
}

void EditableListCtrl::keyPressEvent(QKeyEvent* event) {
  // F2 renames as in a file manager: the focused row's cell, or its first editable one.
  const QModelIndex current = currentIndex();
  if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier && current.isValid()) {
    int column = IsColumnReadOnly(current.column()) ? -1 : current.column();
    for (int c = 0; column < 0 && model() && c < model()->columnCount(); ++c) {
      if (!IsColumnReadOnly(c)) column = c;
    }
    if (column >= 0) {
      EditCell(current.row(), column);
      return;
    }
  }
  QTreeView::keyPressEvent(event);
}

void EditableListCtrl::mousePressEvent(QMouseEvent* event) {
  EndEdit();  // a click elsewhere in the list ends a running edit first
  pendingEdit_ = QPersistentModelIndex();
  const QModelIndex hit = indexAt(event->position().toPoint());
  QTreeView::mousePressEvent(event);
  const bool plainClick = !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
  if (event->button() == Qt::LeftButton && plainClick && hit.isValid() &&
      currentIndex().row() == hit.row() && !IsColumnReadOnly(hit.column())) {
    pendingEdit_ = hit;
  }
}

void EditableListCtrl::mouseReleaseEvent(QMouseEvent* event) {
  QTreeView::mouseReleaseEvent(event);
  const QModelIndex hit = indexAt(event->position().toPoint());
  // The edit opens once the button is up, so a press that starts a drag never opens it.
  if (pendingEdit_.isValid() && hit == QModelIndex(pendingEdit_)) {
    const int row = pendingEdit_.row();
    const int column = pendingEdit_.column();
    pendingEdit_ = QPersistentModelIndex();
    EditCell(row, column);
  }
  pendingEdit_ = QPersistentModelIndex();
}

void EditableListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  pendingEdit_ = QPersistentModelIndex();
  QTreeView::mouseDoubleClickEvent(event);
  const QModelIndex hit = indexAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && hit.isValid()) emit rowDoubleClicked(hit.row());
}

void EditableListCtrl::startDrag(Qt::DropActions supportedActions) {
  pendingEdit_ = QPersistentModelIndex();
  EndEdit();
  QTreeView::startDrag(supportedActions);
}

void EditableListCtrl::scrollContentsBy(int dx, int dy) {
  EndEdit();  // the edit field would no longer cover its cell
  QTreeView::scrollContentsBy(dx, dy);
}

void EditableListCtrl::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData() && event->mimeData()->hasUrls()) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return;
  }
  QTreeView::dragEnterEvent(event);
}

void EditableListCtrl::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData() && event->mimeData()->hasUrls()) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return;
  }
  QTreeView::dragMoveEvent(event);
}

void EditableListCtrl::dropEvent(QDropEvent* event) {
  if (event->mimeData() && event->mimeData()->hasUrls()) {
    const QStringList paths = LocalFiles(event->mimeData());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    EndEdit();
    if (!paths.isEmpty()) emit filesDropped(paths);
    return;
  }
  EndEdit();
  QTreeView::dropEvent(event);
}

}  // namespace romvane
