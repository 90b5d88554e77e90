#pragma once

#include <QElapsedTimer>
#include <QLineEdit>
#include <QList>
#include <QPersistentModelIndex>
#include <QStringList>
#include <QTreeView>

#include <array>
#include <functional>

namespace romvane {

class EditableListCtrl;
class CharCheckValidator;

// Tells whether a column can keep one character (a whole code point).
using CharCheck = std::function<bool(const QString& character)>;

// The one edit field that the list opens over a cell. Enter keeps the typed text,
// Escape restores the cell, losing the focus ends the edit.
class CellEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit CellEdit(EditableListCtrl* list);

  void Begin(int row, int column, const QString& text, const QString& allowedChars,
             const CharCheck& check = {}, const QString& hint = {});
  int Row() const { return row_; }
  int Column() const { return column_; }
  bool Cancelled() const { return cancelled_; }
  const QString& InitialText() const { return initialText_; }

 signals:
  // The edit is over; the list stores the text.
  void finished();
  // A typed character that the column does not allow (the warning beep sounds).
  void refused(QChar character);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // Whether the column takes this character when it is typed.
  bool Accepts(QChar c) const;

  EditableListCtrl* list_;
  int row_ = -1;
  int column_ = -1;
  QString allowedChars_;
  QString initialText_;
  bool cancelled_ = false;
  QElapsedTimer opened_;
  CharCheckValidator* validator_ = nullptr;
  QString hint_;
};

// A report-style list whose cells can be edited in place, one at a time, by a click on
// a cell of the focused row. Files dropped from a file manager are handed on.
class EditableListCtrl : public QTreeView {
  Q_OBJECT

 public:
  static constexpr int kMaxColumns = 100;

  explicit EditableListCtrl(QWidget* parent = nullptr);
  ~EditableListCtrl() override;

  void SetColumnReadOnly(int column, bool readOnly);
  bool IsColumnReadOnly(int column) const;
  // The characters a column accepts (empty: all); column -1 sets every column.
  void SetAllowedChars(const QString& chars, int column);
  // Characters the column cannot keep are refused as they are typed or pasted, with the
  // hint shown beside the edit field. Characters already in a cell stay editable.
  void SetCharCheck(int column, CharCheck check, const QString& hint);

  // Opens the edit field over a cell, scrolling the cell into view first.
  void EditCell(int row, int column);
  // Ends a running edit as losing the focus would: the typed text is kept.
  void EndEdit();
  bool IsEditing() const { return editing_; }
  CellEdit* Editor() const { return edit_; }

 signals:
  // After every finished edit, with the text the cell now holds.
  void cellEdited(int row, int column, const QString& text);
  // Local files dropped on the list, in the order the file manager gave them.
  void filesDropped(const QStringList& paths);
  // A double click that landed on the edit field just opened by its first click.
  void rowDoubleClicked(int row);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void scrollContentsBy(int dx, int dy) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  friend class CellEdit;
  void FinishEdit();

  QList<int> readOnlyColumns_;
  std::array<QString, kMaxColumns> allowedChars_;
  QList<int> checkedColumns_;
  QList<CharCheck> checks_;
  QList<QString> hints_;
  CellEdit* edit_ = nullptr;
  bool editing_ = false;
  QPersistentModelIndex pendingEdit_;  // the cell a click may open once the button is up
};

}  // namespace romvane
