// The project tree pane and the batch dialog as a user meets them: a project built, saved,
// reopened at the next start and written out; node drags; the batch run.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "batch_dialog.h"
#include "node_dialogs.h"
#include "project/prg_file.h"
#include "project_fixture.h"

using namespace tilvex;
using namespace tilvex::ui;
using namespace tilvex::ui::testing;

class ProjectTreeTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { f_ = std::make_unique<WindowFixture>(); }
  void cleanup() { f_.reset(); }

  void projectBuiltInTheTreeReopensAndOutputsLikeTheCommandLine();
  void dropRulesDeleteAndCancelledDialogs();
  void projectMenuFollowsTheClickedNode();
  void clickAfterARefusedDragSelects();
  void cancelledNewProjectKeepsTheOpenOne();
  void batchThroughTheDialogWritesWhatTheCommandLineWrites();
  void cancelStopsARunningBatchWhichWritesNothing();
  void batchWritesIntoTheChosenFolderAndSaysWhere();

 private:
  ProjectView* Tree() { return f_->window->Tree(); }
  const ProjectTree& Model() { return f_->window->Project().Tree(); }
  int Child(ProjectTree::NodeId parent, size_t i) { return Model().Node(parent).children.at(i); }
  // Adds under the node with the Insert key; fill answers the dialog (nullptr cancels).
  void AddUnder(ProjectTree::NodeId id, std::function<void(QDialog&)> fill) {
    Tree()->Select(id);
    f_->prompts.onExec = [fill](QDialog& d) {
      if (!fill) return int(QDialog::Rejected);
      fill(d);
      return int(QDialog::Accepted);
    };
    QTest::keyRelease(Tree(), Qt::Key_Insert);
  }
  void Drag(ProjectTree::NodeId from, ProjectTree::NodeId to);
  QString ConvertedPic(const char* name, const PixelFn& pixels);
  void RunCli(const QStringList& args, const QString& folder);
  void BuildProject();
  std::unique_ptr<WindowFixture> f_;
};

void ProjectTreeTest::RunCli(const QStringList& args, const QString& folder) {
  QProcess cli;
  cli.setWorkingDirectory(folder);
  cli.start(QStringLiteral(TILVEX_CLI), args);
  QVERIFY(cli.waitForFinished(120000));
  QCOMPARE(cli.exitCode(), 0);
}

QString ProjectTreeTest::ConvertedPic(const char* name, const PixelFn& pixels) {
  const QString bmp = WriteBmp(f_->Path(name) + QStringLiteral(".bmp"), 256, 240, pixels);
  const QString pic = f_->Path(name) + QStringLiteral(".pic");
  RunCli({"convert", bmp, "-o", pic}, f_->dir.path());
  return pic;
}

// A real drag: press on one line, move a little and then past the drag distance, release on
// the other.
void ProjectTreeTest::Drag(ProjectTree::NodeId from, ProjectTree::NodeId to) {
  QWidget* viewport = Tree()->viewport();
  const QPoint a = Tree()->visualRect(Tree()->IndexOf(from)).center();
  const QPoint b = Tree()->visualRect(Tree()->IndexOf(to)).center();
  QTest::mousePress(viewport, Qt::LeftButton, {}, a);
  for (const QPoint& p : {a + QPoint(0, 2), a + QPoint(0, 12), b}) {
    QMouseEvent move(QEvent::MouseMove, p, viewport->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(viewport, &move);
  }
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, b);
}

// New Project, then a section, a group, two items and a sub block, each through its dialog.
void ProjectTreeTest::BuildProject() {
  f_->prompts.files.push_back(f_->Path("game.prg"));
  f_->window->Actions().newProject->trigger();
  const int root = Model().Root();
  AddUnder(root, [](QDialog& d) {
    auto& s = dynamic_cast<SectionDialog&>(d);
    QVERIFY(s.autoIncrease->isChecked());
    s.name->setText(QStringLiteral("Title"));
  });
  AddUnder(Child(root, 0), [](QDialog& d) {
    auto& g = dynamic_cast<IncreaseDialog&>(d);
    QVERIFY(g.group->isChecked() && !g.browse->isEnabled());
    g.name->setText(QStringLiteral("Screens"));
  });
  const int group = Child(Child(root, 0), 0);
  for (const char* pic : {"logo", "stage"}) {
    f_->prompts.files.push_back(f_->Path(pic) + QStringLiteral(".pic"));
    AddUnder(group, [](QDialog& d) {
      auto& i = dynamic_cast<IncreaseDialog&>(d);
      i.item->setChecked(true);
      QTest::mouseClick(i.browse, Qt::LeftButton);
    });
  }
  QVERIFY(f_->window->OpenFile(f_->Path("logo.pic")));
  AddUnder(Child(group, 0), [](QDialog& d) {
    auto& b = dynamic_cast<SubBlockDialog&>(d);
    QCOMPARE(b.width->value(), 256);
    QCOMPARE(b.heigh->value(), 240);
    b.name->setText(QStringLiteral("Corner"));
  });
}

void ProjectTreeTest::projectBuiltInTheTreeReopensAndOutputsLikeTheCommandLine() {
  ConvertedPic("logo", Bands);
  ConvertedPic("stage", [](int x, int y) { return Bands(y, x); });
  BuildProject();
  Tree()->Actions().save->trigger();
  QVERIFY(!f_->window->Project().IsModified());

  ProjectTree read;
  QVERIFY(ReadProjectFile(f_->Path("game.prg").toStdString(), read));
  QStringList lines;
  for (const ProjectTree::Visit& v : read.PreOrder())
    lines << QStringLiteral("%1 %2").arg(v.depth).arg(
        QString::fromStdString(read.Node(v.id).label));
  QCOMPARE(lines, QStringList({"0 " + f_->Path("game.prg"), "1 Title", "2 Screens", "3 stage",
                               "4 Corner", "3 logo"}));
  const ProjectNode* corner = read.Record(read.PreOrder().at(4).id);
  QCOMPARE(int(corner->subWidth), 0);
  QCOMPARE(int(corner->subHeight), 240);

  // The next start reopens the project from "PRGPath", its root folded.
  f_->window.reset();
  f_->window = std::make_unique<MainWindow>(f_->prompts, *f_->settings);
  QCOMPARE(Model().NodeCount(), 6);
  const QModelIndex rootLine = Tree()->IndexOf(Model().Root());
  QCOMPARE(rootLine.data().toString(), f_->Path("game.prg"));
  QVERIFY(!Tree()->isExpanded(rootLine));

  Tree()->Actions().output->trigger();
  QVERIFY(f_->prompts.messages.isEmpty());
  QDir(f_->dir.path()).mkdir(QStringLiteral("cli"));
  QFile::copy(f_->Path("game.prg"), f_->Path("cli/game.prg"));
  RunCli({"project", "output", f_->Path("cli/game.prg")}, f_->dir.path());
  for (const char* file : {"VT03PGT.BIN", "VT03IRQ.ASM", "LOGO.ASM", "STAGE.ASM"}) {
    const QByteArray ours = ReadAll(f_->Path(file));
    QVERIFY2(!ours.isEmpty() || QByteArray(file) == "VT03PGT.BIN", file);
    QCOMPARE(ours, ReadAll(f_->Path("cli/") + QString::fromLatin1(file)));
  }
}

void ProjectTreeTest::dropRulesDeleteAndCancelledDialogs() {
  ConvertedPic("logo", Bands);
  ConvertedPic("stage", Bands);
  BuildProject();
  const int root = Model().Root();
  const int title = Child(root, 0);
  const int screens = Child(title, 0);
  const int stage = Child(screens, 0);
  AddUnder(root, [](QDialog& d) {
    dynamic_cast<SectionDialog&>(d).name->setText(QStringLiteral("Extra"));
  });
  const int extra = Child(root, 0);
  Tree()->expandAll();

  Drag(stage, extra);  // an item onto a section: a beep, nothing moves
  QCOMPARE(f_->prompts.beeps, 1);
  QCOMPARE(Child(screens, 0), stage);
  Tree()->collapse(Tree()->IndexOf(extra));
  Drag(screens, extra);  // a group onto a section: its first child, in sight and selected
  QCOMPARE(Child(extra, 0), screens);
  QVERIFY(Tree()->isExpanded(Tree()->IndexOf(extra)));
  QCOMPARE(Tree()->Selected(), screens);
  QCOMPARE(f_->prompts.beeps, 1);

  // Cancel in any dialog adds nothing; the root cannot be deleted.
  const int count = Model().NodeCount();
  for (int id : {root, extra, stage}) AddUnder(id, nullptr);
  QCOMPARE(Model().NodeCount(), count);
  Tree()->Select(root);
  QVERIFY(!Tree()->Actions().remove->isEnabled());
  QTest::keyRelease(Tree(), Qt::Key_Delete);
  QVERIFY(f_->prompts.questions.isEmpty());
  Tree()->Select(extra);
  f_->prompts.saveAnswer = QMessageBox::Cancel;
  QTest::keyRelease(Tree(), Qt::Key_Delete);
  QCOMPARE(Model().NodeCount(), count);
  QVERIFY(f_->prompts.questions.last().contains(QStringLiteral("“Extra”")));
  f_->prompts.saveAnswer = QMessageBox::Yes;
  QTest::keyRelease(Tree(), Qt::Key_Delete);
  QCOMPARE(Model().NodeCount(), count - 5);
}

// The Project menu offers what the clicked node allows, and is read again as it opens, even
// when the selection moved without a word (as it does while the lines are rebuilt).
void ProjectTreeTest::projectMenuFollowsTheClickedNode() {
  const SmallTree s = MakeSmallTree(*f_);
  const ProjectActions& a = Tree()->Actions();
  ClickLine(Tree(), s.stage);
  QCOMPARE(Tree()->Selected(), s.stage);
  QVERIFY(a.add->isEnabled() && a.remove->isEnabled() && a.down->isEnabled());
  QVERIFY(!a.up->isEnabled());
  ClickLine(Tree(), s.logo);
  QVERIFY(a.up->isEnabled() && !a.down->isEnabled());

  QMenu* menu = nullptr;
  for (QObject* o : a.remove->associatedObjects()) {
    if (auto* m = qobject_cast<QMenu*>(o)) menu = m;
  }
  QVERIFY(menu);
  {
    const QSignalBlocker quiet(Tree());
    Tree()->setCurrentIndex(Tree()->IndexOf(s.root));
  }
  menu->popup(Tree()->mapToGlobal(QPoint()));
  QVERIFY(a.add->isEnabled());
  QVERIFY(!a.remove->isEnabled() && !a.up->isEnabled() && !a.down->isEnabled());
  menu->hide();
}

// A drag the drop rules refuse leaves the next click to select, so Delete takes the clicked
// node and not the dragged one.
void ProjectTreeTest::clickAfterARefusedDragSelects() {
  const SmallTree s = MakeSmallTree(*f_);
  Drag(s.stage, s.extra);
  QCOMPARE(f_->prompts.beeps, 1);
  ClickLine(Tree(), s.logo);
  QCOMPARE(Tree()->Selected(), s.logo);
  f_->prompts.saveAnswer = QMessageBox::Yes;
  QTest::keyRelease(Tree(), Qt::Key_Delete);
  QVERIFY(f_->prompts.questions.last().contains(QStringLiteral("“logo”")));
  QVERIFY(!Model().IsAlive(s.logo));
  QVERIFY(Model().IsAlive(s.stage));
}

// Cancel at the new project's name keeps the open project, which the next Save writes.
void ProjectTreeTest::cancelledNewProjectKeepsTheOpenOne() {
  MakeSmallTree(*f_);
  const QString path = f_->Path("small.prg");
  f_->window->Actions().newProject->trigger();
  QVERIFY(f_->prompts.requests.back().initialName != path);
  QCOMPARE(Model().NodeCount(), 6);
  QCOMPARE(Tree()->model()->rowCount(Tree()->IndexOf(Model().Root())), 2);
  QCOMPARE(QString::fromStdString(f_->window->Project().Path()), path);
  Tree()->Actions().save->trigger();
  ProjectTree read;
  QVERIFY(ReadProjectFile(path.toStdString(), read));
  QCOMPARE(read.NodeCount(), 6);
}

void ProjectTreeTest::batchThroughTheDialogWritesWhatTheCommandLineWrites() {
  QDir dir(f_->dir.path());
  dir.mkdir(QStringLiteral("gui"));
  dir.mkdir(QStringLiteral("cli"));
  const QString a = WriteBmp(f_->Path("a.bmp"), 256, 240, Bands);
  const QString b = WriteBmp(f_->Path("b.bmp"), 128, 64, [](int x, int y) { return Bands(y, x); });
  QFile list(f_->Path("frames.lst"));
  QVERIFY(list.open(QIODevice::WriteOnly));
  list.write((a + QStringLiteral("\n  ") + b + QStringLiteral("\n")).toUtf8());
  list.close();
  for (const char* sub : {"gui/Sprite_pgt.bin", "cli/Sprite_pgt.bin"}) {
    QFile sprites(f_->Path(sub));
    QVERIFY(sprites.open(QIODevice::WriteOnly));
    sprites.write(QByteArray(2048, '\x5a'));
  }
  RunCli({"batch", f_->Path("frames.lst")}, f_->Path("cli"));

  const QString home = QDir::currentPath();
  QDir::setCurrent(f_->Path("gui"));
  f_->prompts.files.push_back(f_->Path("frames.lst"));
  int entries = 0, maximum = 0, steps = 0;
  f_->prompts.onExec = [&](QDialog& d) {
    auto& batch = dynamic_cast<BatchDialog&>(d);
    QTest::mouseClick(batch.load, Qt::LeftButton);
    entries = batch.list->count();
    QTest::mouseClick(batch.process, Qt::LeftButton);
    maximum = batch.progress->maximum();
    steps = batch.progress->value();
    return int(QDialog::Rejected);
  };
  f_->window->Actions().batch->trigger();
  QDir::setCurrent(home);
  QCOMPARE(entries, 2);
  QCOMPARE(maximum, 2);
  QCOMPARE(steps, 2);
  for (const char* file : {"ANI.asm", "ANIINDEX.asm", "ANIPAL.asm", "ANIPNT00.asm", "ANIPGT.BIN"}) {
    const QString name = QString::fromLatin1(file);
    QVERIFY2(!ReadAll(f_->Path("gui/") + name).isEmpty(), file);
    QCOMPARE(ReadAll(f_->Path("gui/") + name), ReadAll(f_->Path("cli/") + name));
  }
}

void ProjectTreeTest::cancelStopsARunningBatchWhichWritesNothing() {
  const QString a = WriteBmp(f_->Path("a.bmp"), 64, 64, Bands);
  QFile list(f_->Path("frames.lst"));
  QVERIFY(list.open(QIODevice::WriteOnly));
  list.write((a + QStringLiteral(" ") + a + QStringLiteral(" ") + a).toUtf8());
  list.close();
  QFile sprites(f_->Path("Sprite_pgt.bin"));
  QVERIFY(sprites.open(QIODevice::WriteOnly));
  sprites.write(QByteArray(2048, '\x5a'));
  sprites.close();

  const QString home = QDir::currentPath();
  QDir::setCurrent(f_->dir.path());
  f_->prompts.files.push_back(f_->Path("frames.lst"));
  int steps = 0;
  bool closed = false;
  QString said;
  f_->prompts.onExec = [&](QDialog& d) {
    auto& batch = dynamic_cast<BatchDialog&>(d);
    QObject::connect(&batch, &QDialog::rejected, [&closed] { closed = true; });
    QTest::mouseClick(batch.load, Qt::LeftButton);
    // Pressed while the first picture is being converted, handled after it.
    QTimer::singleShot(0, &batch, [&batch] { QTest::mouseClick(batch.cancel, Qt::LeftButton); });
    QTest::mouseClick(batch.process, Qt::LeftButton);
    steps = batch.progress->value();
    said = batch.status->text();
    return int(QDialog::Rejected);
  };
  f_->window->Actions().batch->trigger();
  QDir::setCurrent(home);
  QCOMPARE(steps, 1);
  QVERIFY(!closed);
  QVERIFY(!QFile::exists(f_->Path("ANI.asm")));
  QVERIFY(!QFile::exists(f_->Path("ANIPGT.BIN")));
  QVERIFY(f_->prompts.messages.isEmpty());
  QCOMPARE(said, QStringLiteral("已停止,没有写出文件。"));
}

void ProjectTreeTest::batchWritesIntoTheChosenFolderAndSaysWhere() {
  QDir dir(f_->dir.path());
  for (const char* sub : {"start", "chosen", "cli"}) dir.mkdir(QString::fromLatin1(sub));
  const QString a = WriteBmp(f_->Path("a.bmp"), 128, 96, Bands);
  QFile list(f_->Path("frames.lst"));
  QVERIFY(list.open(QIODevice::WriteOnly));
  list.write(a.toUtf8());
  list.close();
  // The run reads the sprite patterns from the folder it writes to.
  for (const char* sub : {"start/Sprite_pgt.bin", "chosen/Sprite_pgt.bin", "cli/Sprite_pgt.bin"}) {
    QFile sprites(f_->Path(sub));
    QVERIFY(sprites.open(QIODevice::WriteOnly));
    sprites.write(QByteArray(2048, '\x33'));
  }
  RunCli({"batch", f_->Path("frames.lst")}, f_->Path("cli"));

  const QString home = QDir::currentPath();
  QDir::setCurrent(f_->Path("start"));
  f_->prompts.files.push_back(f_->Path("frames.lst"));
  f_->prompts.directories.push_back(f_->Path("chosen"));
  QString shownFirst, shownAfter, said;
  f_->prompts.onExec = [&](QDialog& d) {
    auto& batch = dynamic_cast<BatchDialog&>(d);
    batch.show();
    shownFirst = batch.folder->text();
    QTest::mouseClick(batch.browse, Qt::LeftButton);
    shownAfter = batch.folder->text();
    QTest::mouseClick(batch.load, Qt::LeftButton);
    QTest::mouseClick(batch.process, Qt::LeftButton);
    said = batch.status->text();
    return int(QDialog::Rejected);
  };
  f_->window->Actions().batch->trigger();
  QDir::setCurrent(home);
  QCOMPARE(shownFirst, f_->Path("start"));
  QCOMPARE(f_->prompts.directoryStarts, QStringList{f_->Path("start")});
  QCOMPARE(shownAfter, f_->Path("chosen"));
  QVERIFY(f_->prompts.messages.isEmpty());
  QCOMPARE(said, QStringLiteral("已把 1 帧写入 %1 的 ANI*.asm 和 ANIPGT.BIN,跳过 0 帧。")
                     .arg(f_->Path("chosen")));
  QCOMPARE(f_->window->statusBar()->currentMessage(), said);
  QVERIFY(!QFile::exists(f_->Path("start/ANI.asm")));
  for (const char* file : {"ANI.asm", "ANIINDEX.asm", "ANIPAL.asm", "ANIPNT00.asm", "ANIPGT.BIN"}) {
    const QString name = QString::fromLatin1(file);
    QVERIFY2(!ReadAll(f_->Path("chosen/") + name).isEmpty(), file);
    QCOMPARE(ReadAll(f_->Path("chosen/") + name), ReadAll(f_->Path("cli/") + name));
  }
}

QTEST_MAIN(ProjectTreeTest)
#include "project_tree_test.moc"
