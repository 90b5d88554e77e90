#pragma once
// The project tree pane left of the picture view: one line per node with the picture of its
// kind, the "(&P)roject" menu's commands and the right-button "GROUP" menu, Insert and Delete,
// node drags by the drop rules, and the project file commands.
#include <QHash>
#include <QSet>
#include <QTreeWidget>
#include <functional>

#include "app/project_session.h"

class QTimer;

namespace tilvex::ui {

class Prompts;

// The 16 x 16 pictures of the node kinds, side by side in one strip, kind 0 first.
QPixmap NodeKindStrip();

struct ProjectActions {
  QAction* add = nullptr;
  QAction* remove = nullptr;
  QAction* up = nullptr;
  QAction* down = nullptr;
  QAction* load = nullptr;
  QAction* save = nullptr;
  QAction* saveAs = nullptr;
  QAction* output = nullptr;
};

class ProjectView : public QTreeWidget {
  Q_OBJECT

 public:
  using NodeId = ProjectTree::NodeId;

  ProjectView(ProjectSession& project, Prompts& prompts, QWidget* parent = nullptr);
  ~ProjectView() override;

  // Rebuilds the lines from the project, keeping what was expanded.
  void Refresh();
  NodeId Selected() const;
  void Select(NodeId id);
  QTreeWidgetItem* ItemOf(NodeId id) const { return items_.value(id); }
  // The Project menu's commands in menu order, and by name.
  QList<QAction*> MenuActions() const { return menuActions_; }
  const ProjectActions& Actions() const { return actions_; }
  // Enables the menu commands by the selected node; the Project menu calls it as it opens.
  void UpdateActions();
  // The size Width and Heigh start with in "Setup Sub Block".
  std::function<QSize()> blockSize;

  // Commands.
  void Add();
  void Delete();
  void MoveUp();
  void MoveDown();
  void Attribute();
  bool Load();
  bool LoadFrom(const QString& path, bool quiet = false);
  bool Save();
  bool SaveAs();
  void NewProject();
  void Output();
  // Asks whether to save a changed project; false when the user cancels.
  bool MaybeSave();

 Q_SIGNALS:
  void openRequested(const QString& picPath);
  void projectPathChanged(const QString& path);
  // After a successful output: the folder and the files written there.
  void statusMessage(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void BuildActions();
  QTreeWidgetItem* AddLine(QTreeWidgetItem* parent, NodeId id);
  bool AskFile(bool save, QString& path, const QString& initialName);
  void AfterChange(NodeId select);
  void Remember(const std::string& path);
  bool AddThroughDialog(NodeId selected, ProjectNode& record);
  bool EditThroughDialog(NodeId id, ProjectNode& record);
  void TrackDrag(const QPoint& pos);
  void EndDrag(bool drop);
  void AutoScroll();
  void SetDropTarget(QTreeWidgetItem* item);

  ProjectSession& project_;
  Prompts& prompts_;
  QList<QAction*> menuActions_;
  ProjectActions actions_;
  QHash<NodeId, QTreeWidgetItem*> items_;
  QSet<NodeId> expanded_;
  QPixmap strip_;
  // Dragging.
  QTimer* scrollTimer_;
  QPoint pressPos_;
  NodeId pressed_ = ProjectTree::kNoNode;
  bool dragging_ = false;
  QTreeWidgetItem* dropTarget_ = nullptr;
  int scrollDirection_ = 0;
};

}  // namespace tilvex::ui
