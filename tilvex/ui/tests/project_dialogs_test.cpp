// The project tree's node dialogs and messages as a user meets them: OK on what the project
// cannot hold, and what the output tells.
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>

#include "node_dialogs.h"
#include "project_fixture.h"

using namespace tilvex;
using namespace tilvex::ui;
using namespace tilvex::ui::testing;

class ProjectDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { f_ = std::make_unique<WindowFixture>(); }
  void cleanup() { f_.reset(); }

  void okRefusesWhatTheProjectCannotHold();
  void outputTellsTheStatusBarWhatItWrote();

 private:
  ProjectView* Tree() { return f_->window->Tree(); }
  const ProjectTree& Model() { return f_->window->Project().Tree(); }
  // Insert on the node opens its dialog, shown as exec() would; steps fill it and press OK.
  void AddUnder(ProjectTree::NodeId id, const std::function<void(QDialog&)>& steps) {
    Tree()->Select(id);
    f_->prompts.onExec = [steps](QDialog& d) {
      d.show();
      steps(d);
      const int result = d.result();
      d.hide();
      return result;
    };
    QTest::keyRelease(Tree(), Qt::Key_Insert);
  }
  // Presses OK with the mouse: true when that closed the dialog, accepted.
  static bool PressOk(QDialog& d) {
    QPushButton* ok = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    QTest::mouseClick(ok, Qt::LeftButton);
    return !d.isVisible() && d.result() == QDialog::Accepted;
  }
  // The one message OK showed since the last call, which names what was wrong.
  QString Told() {
    const QStringList told = f_->prompts.messages;
    f_->prompts.messages.clear();
    return told.size() == 1 ? told[0] : QStringLiteral("%1 messages").arg(told.size());
  }
  std::unique_ptr<WindowFixture> f_;
};

void ProjectDialogsTest::okRefusesWhatTheProjectCannotHold() {
  const SmallTree s = MakeSmallTree(*f_);
  const int count = Model().NodeCount();
  AddUnder(s.root, [this](QDialog& d) {
    auto& section = dynamic_cast<SectionDialog&>(d);
    section.name->clear();
    QVERIFY(!PressOk(d) && d.isVisible());
    QVERIFY(!Told().isEmpty());
    section.name->setText(QStringLiteral("maps\\intro"));
    QVERIFY(!PressOk(d) && d.isVisible());
    QVERIFY(Told().contains(QStringLiteral("maps\\intro")));
    section.name->setText(QStringLiteral("Intro screens"));
    QVERIFY(PressOk(d));
  });
  QCOMPARE(Model().NodeCount(), count + 1);
  QCOMPARE(Model().Node(Model().Node(s.root).children.at(0)).label, std::string("Intro screens"));

  // An item's name becomes assembler labels; its path names its picture.
  AddUnder(s.screens, [this](QDialog& d) {
    auto& item = dynamic_cast<IncreaseDialog&>(d);
    // On the round mark: the button is wider than its text.
    QTest::mouseClick(item.item, Qt::LeftButton, {}, QPoint(6, item.item->height() / 2));
    QVERIFY(item.item->isChecked());
    item.name->setText(QStringLiteral("title screen"));
    item.path->setText(QStringLiteral("title.pic"));
    QVERIFY(!PressOk(d) && d.isVisible());
    QVERIFY(Told().contains(QStringLiteral("title screen")));
    item.name->setText(QStringLiteral("title"));
    item.path->clear();
    QVERIFY(!PressOk(d) && d.isVisible());
    QVERIFY(!Told().isEmpty());
    QCOMPARE(d.focusWidget(), item.path);
    item.path->setText(f_->Path("missing.pic"));  // no such file
    QVERIFY(!PressOk(d) && d.isVisible());
    QVERIFY(Told().contains(f_->Path("missing.pic")));
    QFile(f_->Path("title.pic")).open(QIODevice::WriteOnly);
    item.path->setText(f_->Path("title.pic"));
    QVERIFY(PressOk(d));
  });
  const ProjectNode* title = Model().Record(Model().Node(s.screens).children.at(0));
  QVERIFY(title && title->kind == kKindItem && title->path == f_->Path("title.pic").toStdString());

  // A sub block's sizes are one byte each in the project file.
  AddUnder(s.logo, [this](QDialog& d) {
    auto& block = dynamic_cast<SubBlockDialog&>(d);
    block.name->setText(QStringLiteral("Corner"));
    block.width->setValue(257);
    block.heigh->setValue(240);
    QVERIFY(!PressOk(d) && d.isVisible());
    QVERIFY(Told().contains(QStringLiteral("257")));
    block.width->setValue(255);
    block.heigh->setValue(300);
    QVERIFY(!PressOk(d) && d.isVisible());
    QVERIFY(Told().contains(QStringLiteral("300")));
    block.heigh->setValue(240);
    QVERIFY(PressOk(d));
  });
  const ProjectNode* corner = Model().Record(Model().Node(s.logo).children.at(0));
  QVERIFY(corner && corner->kind == kKindSubBlock);
  QCOMPARE(int(corner->subWidth), 255);
  QCOMPARE(int(corner->subHeight), 240);
  QCOMPARE(Model().NodeCount(), count + 3);
}

// A finished output names its folder and files in the status bar; a refused one does not.
void ProjectDialogsTest::outputTellsTheStatusBarWhatItWrote() {
  const SmallTree s = MakeSmallTree(*f_);
  QStatusBar* bar = f_->window->statusBar();
  ProjectNode logo = *Model().Record(s.logo);
  logo.name = "../escaped";
  QVERIFY(f_->window->Project().Edit(s.logo, logo));
  const QString before = bar->currentMessage();
  Tree()->Actions().output->trigger();
  QCOMPARE(f_->prompts.messages.size(), 1);
  QCOMPARE(bar->currentMessage(), before);

  // The output keeps every node where and what it was.
  QCOMPARE(Model().Node(s.logo).label, logo.name);
  logo.name = "logo";
  QVERIFY(f_->window->Project().Edit(s.logo, logo));
  f_->prompts.messages.clear();
  Tree()->Actions().output->trigger();
  QCOMPARE(f_->prompts.messages.size(), 1);  // both items' pictures are missing
  const QString told = bar->currentMessage();
  QVERIFY2(told.contains(f_->dir.path()), qPrintable(told));
  QVERIFY2(told.contains(QStringLiteral("VT03PGT.BIN, VT03IRQ.ASM")), qPrintable(told));
  QVERIFY(QFile::exists(f_->Path("VT03IRQ.ASM")));
}

QTEST_MAIN(ProjectDialogsTest)
#include "project_dialogs_test.moc"
