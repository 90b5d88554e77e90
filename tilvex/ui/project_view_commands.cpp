// The project tree's commands: adding, editing, deleting and moving nodes, and the project
// file (load, save, save as, new, output).
#include <QApplication>
#include <QFileInfo>

#include "node_dialogs.h"
#include "project/project_output.h"
#include "project_view.h"
#include "prompts.h"
#include "ui_text.h"

namespace tilvex::ui {
namespace {

// Runs a node dialog; on OK the record is what it holds.
template <typename Dialog>
bool RunDialog(Prompts& prompts, Dialog& dialog, ProjectNode& record) {
  if (prompts.Exec(dialog) != QDialog::Accepted) return false;
  record = dialog.Record();
  return true;
}

}  // namespace

void ProjectView::BuildActions() {
  ProjectActions& a = actions_;
  const std::pair<QAction**, const char*> items[] = {
      {&a.add, "(&A)dd..."},     {&a.remove, "(&D)el"},    {&a.up, "(&U)pward"},
      {&a.down, "D(&o)wnward"},  {&a.load, "Load..."},     {&a.save, "Save"},
      {&a.saveAs, "Save As..."}, {&a.output, "Output..."},
  };
  for (const auto& [slot, text] : items) {
    *slot = new QAction(QString::fromUtf8(text), this);
    menuActions_ << *slot;
  }
  connect(a.add, &QAction::triggered, this, &ProjectView::Add);
  connect(a.remove, &QAction::triggered, this, &ProjectView::Delete);
  connect(a.up, &QAction::triggered, this, &ProjectView::MoveUp);
  connect(a.down, &QAction::triggered, this, &ProjectView::MoveDown);
  connect(a.load, &QAction::triggered, this, [this] { Load(); });
  connect(a.save, &QAction::triggered, this, [this] { Save(); });
  connect(a.saveAs, &QAction::triggered, this, [this] { SaveAs(); });
  connect(a.output, &QAction::triggered, this, &ProjectView::Output);
}

void ProjectView::UpdateActions() {
  const NodeId id = Selected();
  const ProjectTree& tree = project_.Tree();
  const bool notRoot = id != ProjectTree::kNoNode && id != tree.Root();
  actions_.add->setEnabled(id != ProjectTree::kNoNode);
  actions_.remove->setEnabled(notRoot);
  actions_.up->setEnabled(notRoot && tree.CanMoveUp(id));
  actions_.down->setEnabled(notRoot && tree.CanMoveDown(id));
  actions_.output->setEnabled(tree.Root() != ProjectTree::kNoNode);
}

// A project that replaced the open one shows its top level.
void ProjectView::ShowNewProject() {
  expand(IndexOf(project_.Tree().Root()));
  Remember(project_.Path());
}

bool ProjectView::AddThroughDialog(NodeId selected, ProjectNode& record) {
  const ProjectTree& tree = project_.Tree();
  const uint8_t kind = tree.Kind(selected);
  if (selected == tree.Root()) {
    SectionDialog dialog(prompts_, this);
    return RunDialog(prompts_, dialog, record);
  }
  if (kind == kKindSection || kind == kKindGroup) {
    IncreaseDialog dialog(prompts_, this);
    return RunDialog(prompts_, dialog, record);
  }
  if (kind == kKindItem) {
    const QSize size = blockSize ? blockSize() : QSize();
    SubBlockDialog dialog(prompts_, size.width(), size.height(), this);
    return RunDialog(prompts_, dialog, record);
  }
  return false;  // a sub block takes no children
}

void ProjectView::Add() {
  const NodeId selected = Selected();
  if (selected == ProjectTree::kNoNode) return;
  ProjectNode record;
  if (!AddThroughDialog(selected, record)) return;
  if (Result r = project_.Add(selected, record); !r) {
    prompts_.Message(this, QString::fromStdString(r.Text()));
    return;
  }
  expand(IndexOf(project_.Tree().Root()));
  expand(IndexOf(selected));
  Select(selected);
}

bool ProjectView::EditThroughDialog(NodeId id, ProjectNode& record) {
  const ProjectNode* old = project_.Tree().Record(id);
  if (!old) return false;
  if (old->kind == kKindSection) {
    SectionDialog dialog(prompts_, this);
    dialog.Fill(*old);
    return RunDialog(prompts_, dialog, record);
  }
  if (old->kind == kKindGroup || old->kind == kKindItem) {
    IncreaseDialog dialog(prompts_, this);
    dialog.Fill(*old);
    return RunDialog(prompts_, dialog, record);
  }
  if (old->kind == kKindSubBlock) {
    SubBlockDialog dialog(prompts_, 0, 0, this);
    dialog.Fill(*old);
    return RunDialog(prompts_, dialog, record);
  }
  return false;
}

void ProjectView::Attribute() {
  const NodeId id = Selected();
  ProjectNode record;
  if (id == ProjectTree::kNoNode || !EditThroughDialog(id, record)) return;
  if (Result r = project_.Edit(id, record); !r) {
    prompts_.Message(this, QString::fromStdString(r.Text()));
    return;
  }
  Select(id);
}

void ProjectView::Delete() {
  const NodeId id = Selected();
  if (id == ProjectTree::kNoNode || id == project_.Tree().Root()) return;
  const QString label = QString::fromStdString(project_.Tree().Node(id).label);
  const QMessageBox::StandardButton answer =
      prompts_.AskSave(this, UiText("将永久删除“%1”及其下的所有子组。确定吗?").arg(label));
  if (answer != QMessageBox::Yes) return;
  const NodeId parent = project_.Tree().Node(id).parent;
  if (project_.Delete(id)) Select(parent);
}

void ProjectView::MoveUp() {
  const NodeId id = Selected();
  if (id != ProjectTree::kNoNode && project_.MoveUp(id)) Select(id);
}

void ProjectView::MoveDown() {
  const NodeId id = Selected();
  if (id != ProjectTree::kNoNode && project_.MoveDown(id)) Select(id);
}

bool ProjectView::AskFile(bool save, QString& path, const QString& initialName) {
  FileRequest request{
      QString(), {UiText("工程文件 (*.prg)")}, 0, QStringLiteral("prg"), initialName, save};
  path = prompts_.ChooseFile(this, request).path;
  return !path.isEmpty();
}

void ProjectView::Remember(const std::string& path) {
  Q_EMIT projectPathChanged(QString::fromStdString(path));
}

bool ProjectView::LoadFrom(const QString& path, bool quiet) {
  const Result loaded = project_.Load(path.toStdString());
  if (!loaded.ok) {
    if (!quiet) prompts_.ShowFailure(this, loaded);
    return false;
  }
  ShowNewProject();
  return true;
}

bool ProjectView::Load() {
  if (!MaybeSave()) return false;
  QString path;
  if (!AskFile(false, path, QString())) return false;
  return LoadFrom(path);
}

bool ProjectView::Save() {
  if (!project_.IsNamed()) return SaveAs();
  const Result saved = project_.SaveAs(project_.Path());
  prompts_.ShowFailure(this, saved);
  return saved.ok;
}

bool ProjectView::SaveAs() {
  QString path;
  if (!AskFile(true, path, QString::fromStdString(project_.Path()))) return false;
  const Result saved = project_.SaveAs(path.toStdString());
  prompts_.ShowFailure(this, saved);
  if (!saved.ok) return false;
  Remember(project_.Path());
  return true;
}

// The open project stays until the new one has a name and its file; the prompt suggests no
// name of the old one, which the new project would otherwise overwrite.
void ProjectView::NewProject() {
  if (!MaybeSave()) return;
  QString path;
  if (!AskFile(true, path, QString::fromLatin1(kUntitled))) return;
  const Result created = project_.Create(path.toStdString());
  prompts_.ShowFailure(this, created);
  if (!created.ok) return;
  ShowNewProject();
}

void ProjectView::Output() {
  if (project_.Tree().Root() == ProjectTree::kNoNode) return;
  if (!project_.IsNamed() && !SaveAs()) return;
  std::vector<std::string> messages;
  std::vector<std::string> fileNames;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Result written = project_.Output(messages, &fileNames);
  QApplication::restoreOverrideCursor();
  if (written.ok) {
    QStringList names;
    for (const std::string& name : fileNames) names << QString::fromStdString(name);
    const QString folder = QString::fromStdString(ProjectFolder(project_.Path()));
    Q_EMIT statusMessage(UiText("已输出到 %1: %2").arg(folder, names.join(QStringLiteral(", "))));
  } else {
    messages.push_back(written.message);
  }
  QStringList lines;
  for (const std::string& m : messages) lines << QString::fromStdString(m);
  if (!lines.isEmpty()) prompts_.Message(this, lines.join(QLatin1Char('\n')));
}

bool ProjectView::MaybeSave() {
  if (!project_.IsModified()) return true;
  const QString name = QString::fromStdString(project_.Path());
  return prompts_.MayDropChanges(this, UiText("是否保存对工程 %1 的修改?").arg(name),
                                 [this] { return Save(); });
}

}  // namespace tilvex::ui
