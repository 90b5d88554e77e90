// The editable list on its own: which clicks open the cell editor, what Enter, Escape,
// a click elsewhere and a scroll do to the text, and the allowed characters.

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include "editable_list_ctrl.h"

using romvane::EditableListCtrl;

class EditableListTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    model_ = new QStandardItemModel(4, 3);
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 3; ++c) {
        model_->setItem(r, c, new QStandardItem(QStringLiteral("r%1c%2").arg(r).arg(c)));
      }
    }
    list_ = new EditableListCtrl;
    list_->setModel(model_);
    list_->SetColumnReadOnly(0, true);
    for (int c = 0; c < 3; ++c) list_->setColumnWidth(c, 100);
    list_->resize(400, 200);
    list_->show();
    QVERIFY(QTest::qWaitForWindowExposed(list_));
  }
  void cleanup() {
    delete list_;
    delete model_;
  }

  void aClickOnAnEditableCellOpensTheEditorAndAReadOnlyOneDoesNot() {
    Click(2, 0);
    QVERIFY(!list_->IsEditing());
    QCOMPARE(list_->currentIndex().row(), 2);
    Click(1, 1);  // the click itself makes row 1 the focused row
    QVERIFY(list_->IsEditing());
    QCOMPARE(list_->Editor()->text(), QStringLiteral("r1c1"));
    QCOMPARE(list_->Editor()->selectedText(), QStringLiteral("r1c1"));
    QCOMPARE(list_->Editor()->geometry().left(), list_->visualRect(model_->index(1, 1)).left());
  }

  void shiftAndControlClicksOnlySelect() {
    Click(0, 1);
    list_->EndEdit();
    Click(2, 1, Qt::ShiftModifier);
    QVERIFY(!list_->IsEditing());
    QCOMPARE(list_->selectionModel()->selectedRows().size(), 3);
    Click(3, 2, Qt::ControlModifier);
    QVERIFY(!list_->IsEditing());
    QCOMPARE(list_->selectionModel()->selectedRows().size(), 4);
  }

  void escapeRestoresEnterAndAClickElsewhereKeep() {
    QSignalSpy edited(list_, &EditableListCtrl::cellEdited);
    Click(1, 1);
    QTest::keyClicks(list_->Editor(), QStringLiteral("typed"));
    QTest::keyClick(list_->Editor(), Qt::Key_Escape);
    QVERIFY(!list_->IsEditing());
    QCOMPARE(Text(1, 1), QStringLiteral("r1c1"));
    QCOMPARE(edited.size(), 1);
    QCOMPARE(edited.last().at(2).toString(), QStringLiteral("r1c1"));

    Click(1, 2);
    QTest::keyClicks(list_->Editor(), QStringLiteral("kept"));
    QTest::keyClick(list_->Editor(), Qt::Key_Return);
    QCOMPARE(Text(1, 2), QStringLiteral("kept"));
    QCOMPARE(edited.last().at(0).toInt(), 1);
    QCOMPARE(edited.last().at(1).toInt(), 2);
    QCOMPARE(edited.last().at(2).toString(), QStringLiteral("kept"));

    Click(2, 1);
    QTest::keyClicks(list_->Editor(), QStringLiteral("other row"));
    Click(3, 0);  // a click on another row ends the edit and keeps the text
    QVERIFY(!list_->IsEditing());
    QCOMPARE(Text(2, 1), QStringLiteral("other row"));
    QCOMPARE(edited.size(), 3);
  }

  void aScrollEndsTheEdit() {
    model_->setRowCount(200);
    Click(0, 1);
    QTest::keyClicks(list_->Editor(), QStringLiteral("x"));
    list_->verticalScrollBar()->setValue(list_->verticalScrollBar()->maximum());
    QVERIFY(!list_->IsEditing());
    QCOMPARE(Text(0, 1), QStringLiteral("x"));
  }

  void aDigitColumnRefusesLettersButTakesBackspaceAndPaste() {
    list_->SetAllowedChars(QStringLiteral("0123456789"), 2);
    Click(0, 2);
    romvane::CellEdit* edit = list_->Editor();
    QSignalSpy beeps(edit, &romvane::CellEdit::refused);
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("4a2"));
    QCOMPARE(edit->text(), QStringLiteral("42"));
    QCOMPARE(beeps.size(), 1);
    QCOMPARE(beeps.first().at(0).value<QChar>(), QChar(u'a'));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("4"));
    QGuiApplication::clipboard()->setText(QStringLiteral("7"));
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QCoreApplication::sendEvent(edit, &paste);
    QCOMPARE(edit->text(), QStringLiteral("47"));
    QCOMPARE(beeps.size(), 1);
    // Other control characters are typed characters too: Ctrl+A selects nothing here.
    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
    QCoreApplication::sendEvent(edit, &selectAll);
    QCOMPARE(beeps.size(), 2);
    QCOMPARE(edit->selectedText(), QString());
    // An input method's text keeps only the allowed characters.
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("1中2"));
    QCoreApplication::sendEvent(edit, &composed);
    QCOMPARE(edit->text(), QStringLiteral("4712"));
    QCOMPARE(beeps.size(), 3);
    QCOMPARE(beeps.last().at(0).value<QChar>(), QChar(u'中'));
    // Column 1 allows everything.
    list_->EndEdit();
    Click(0, 1);
    QTest::keyClicks(list_->Editor(), QStringLiteral("a!"));
    QCOMPARE(list_->Editor()->text(), QStringLiteral("a!"));
    list_->SetAllowedChars(QStringLiteral("x"), -1);
    list_->EndEdit();
    Click(0, 1);
    QTest::keyClicks(list_->Editor(), QStringLiteral("yx"));
    QCOMPARE(list_->Editor()->text(), QStringLiteral("x"));
  }

  void aCellPartlyOutOfViewIsScrolledIntoViewFirst() {
    list_->setColumnWidth(0, 250);
    list_->setColumnWidth(1, 300);
    list_->setColumnWidth(2, 300);
    QCoreApplication::processEvents();
    const int viewWidth = list_->viewport()->width();
    const QRect cell = list_->visualRect(model_->index(1, 1));
    QVERIFY(cell.right() > viewWidth);
    Click(1, 1, Qt::NoModifier, QPoint(cell.left() + 10, cell.center().y()));
    QVERIFY(list_->IsEditing());
    // Scrolled by the part that stuck out: the cell now ends at the right border.
    QCOMPARE(list_->horizontalScrollBar()->value(), 250 + 300 - viewWidth);
    const QRect editor = list_->Editor()->geometry();
    QCOMPARE(editor.left() + editor.width(), viewWidth);
    QCOMPARE(editor.width(), 300);
  }

 private:
  void Click(int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             QPoint at = {}) {
    if (at.isNull()) at = list_->visualRect(model_->index(row, column)).center();
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, modifiers, at);
  }
  QString Text(int row, int column) const { return model_->index(row, column).data().toString(); }

  QStandardItemModel* model_ = nullptr;
  EditableListCtrl* list_ = nullptr;
};

QTEST_MAIN(EditableListTest)
#include "editable_list_test.moc"
