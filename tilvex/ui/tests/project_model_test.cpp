// The project model over a session: what it signals for each edit, in which order, and that
// Qt's own model checker finds nothing wrong on the way.
#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QTest>

#include "project_model.h"

using namespace tilvex;
using namespace tilvex::ui;

class ProjectModelTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void everyEditIsSignalledInOrderAndPersistentIndexesFollow();
};

namespace {

// The model's signals, one line each, with the parent's node and the rows.
class Signals : public QObject {
 public:
  explicit Signals(ProjectModel& model) : model_(model) {
    using M = QAbstractItemModel;
    Rows(&M::rowsAboutToBeInserted, "insert");
    Rows(&M::rowsInserted, "inserted");
    Rows(&M::rowsAboutToBeRemoved, "remove");
    Rows(&M::rowsRemoved, "removed");
    connect(&model, &M::rowsAboutToBeMoved, this,
            [this](const QModelIndex& from, int first, int, const QModelIndex& to, int row) {
              Say(QStringLiteral("move %1:%2 %3:%4").arg(Id(from)).arg(first).arg(Id(to)).arg(row));
            });
    connect(&model, &M::rowsMoved, this,
            [this](const QModelIndex&, int, int, const QModelIndex&, int) { Say("moved"); });
    connect(&model, &M::dataChanged, this, [this](const QModelIndex& a, const QModelIndex& b) {
      Say(QStringLiteral("changed %1 %2").arg(Id(a)).arg(a == b ? "" : "and more"));
    });
    connect(&model, &M::modelAboutToBeReset, this, [this] { Say("reset"); });
    connect(&model, &M::modelReset, this, [this] { Say("was reset"); });
  }
  QStringList lines;

 private:
  template <typename Signal>
  void Rows(Signal signal, const char* what) {
    connect(&model_, signal, this, [this, what](const QModelIndex& parent, int first, int last) {
      Say(QStringLiteral("%1 %2:%3-%4")
              .arg(QLatin1String(what))
              .arg(Id(parent))
              .arg(first)
              .arg(last));
    });
  }
  static int Id(const QModelIndex& index) { return ProjectModel::NodeOf(index); }
  void Say(const QString& line) { lines << line.trimmed(); }
  ProjectModel& model_;
};

}  // namespace

void ProjectModelTest::everyEditIsSignalledInOrderAndPersistentIndexesFollow() {
  QTemporaryDir dir;
  ProjectSession session;
  ProjectModel model(session);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
  Signals heard(model);

  const int root = session.Tree().Root();
  QCOMPARE(model.rowCount(), 1);
  QCOMPARE(model.IndexOf(root).data().toString(), QStringLiteral("Untitled"));
  int title = -1, extra = -1, screens = -1, logo = -1, stage = -1;
  QVERIFY(session.Add(root, SectionRecord("Title", true), &title));
  QVERIFY(session.Add(title, GroupRecord("Screens"), &screens));
  QVERIFY(session.Add(screens, ItemRecord("logo", "logo.pic"), &logo));
  QVERIFY(session.Add(screens, ItemRecord("stage", "stage.pic"), &stage));
  QVERIFY(session.Add(root, SectionRecord("Extra", true), &extra));
  QCOMPARE(heard.lines.mid(0, 2), QStringList({"insert 0:0-0", "inserted 0:0-0"}));
  QCOMPARE(heard.lines.size(), 10);
  QCOMPARE(model.rowCount(model.IndexOf(root)), 2);
  QCOMPARE(model.index(1, 0, model.IndexOf(root)), model.IndexOf(title));
  heard.lines.clear();

  // A view's selection and unfolded lines are persistent indexes: they follow their nodes.
  const QPersistentModelIndex logoLine = model.IndexOf(logo);
  const QPersistentModelIndex extraLine = model.IndexOf(extra);
  const QString s = QString::number(screens), t = QString::number(title);
  QVERIFY(session.MoveDown(stage));
  QCOMPARE(logoLine.row(), 0);
  QCOMPARE(session.Drop(screens, extra), DropAction::kFirstChild);
  QCOMPARE(logoLine.parent(), model.IndexOf(screens));
  QCOMPARE(model.IndexOf(screens).parent(), QModelIndex(extraLine));
  ProjectNode renamed = *session.Tree().Record(logo);
  renamed.name = "intro";
  QVERIFY(session.Edit(logo, renamed));
  QCOMPARE(logoLine.data().toString(), QStringLiteral("intro"));
  QVERIFY(session.Delete(title));
  QCOMPARE(extraLine.row(), 0);
  QVERIFY(logoLine.isValid());
  QCOMPARE(heard.lines,
           QStringList({"move " + s + ":0 " + s + ":2", "moved",
                        "move " + t + ":0 " + QString::number(extra) + ":0", "moved",
                        "changed " + QString::number(logo), "remove 0:1-1", "removed 0:1-1"}));
  heard.lines.clear();

  // Saving renames the top line; loading replaces everything.
  const std::string path = dir.filePath(QStringLiteral("p.prg")).toStdString();
  QVERIFY(session.SaveAs(path));
  QCOMPARE(model.IndexOf(root).data().toString(), QString::fromStdString(path));
  QVERIFY(session.Load(path));
  QCOMPARE(heard.lines, QStringList({"changed 0", "reset", "was reset"}));
  QVERIFY(!logoLine.isValid());
  QCOMPARE(model.rowCount(model.IndexOf(session.Tree().Root())), 1);
}

QTEST_MAIN(ProjectModelTest)
#include "project_model_test.moc"
