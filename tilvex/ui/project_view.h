#pragma once
// The project tree pane left of the picture view: a view over the session's model, the
// "(&P)roject" menu's commands and the right-button "GROUP" menu, Insert and Delete, node
// drags by the drop rules, and the project file commands.
#include <QPersistentModelIndex>
#include <QTreeView>
#include <functional>

#include "app/project_session.h"

class QTimer;

namespace tilvex::ui {

class Prompts;
class ProjectModel;

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

class ProjectView : public QTreeView {
  Q_OBJECT

 public:
  using NodeId = ProjectTree::NodeId;

  ProjectView(ProjectSession& project, Prompts& prompts, QWidget* parent = nullptr);
  ~ProjectView() override;

  ProjectModel* Model() const { return model_; }
  QModelIndex IndexOf(NodeId id) const;
  NodeId Selected() const;
  void Select(NodeId id);
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
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

 private:
  void BuildActions();
  bool AskFile(bool save, QString& path, const QString& initialName);
  void ShowNewProject();
  void Remember(const std::string& path);
  bool AddThroughDialog(NodeId selected, ProjectNode& record);
  bool EditThroughDialog(NodeId id, ProjectNode& record);
  void TrackDrag(const QPoint& pos);
  void EndDrag(bool drop);
  void AutoScroll();
  void SetDropTarget(const QModelIndex& index);

  ProjectSession& project_;
  Prompts& prompts_;
  QList<QAction*> menuActions_;
  ProjectActions actions_;
  ProjectModel* model_;
  // Dragging.
  QTimer* scrollTimer_;
  QPoint pressPos_;
  NodeId pressed_ = ProjectTree::kNoNode;
  bool dragging_ = false;
  QPersistentModelIndex dropTarget_;
  int scrollDirection_ = 0;
};

}  // namespace tilvex::ui
