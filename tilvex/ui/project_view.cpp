#include "project_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include "project_model.h"
#include "prompts.h"

namespace tilvex::ui {
namespace {

constexpr int kScrollMs = 75;

}  // namespace

ProjectView::ProjectView(ProjectSession& project, Prompts& prompts, QWidget* parent)
    : QTreeView(parent),
      project_(project),
      prompts_(prompts),
      model_(new ProjectModel(project, this)) {
  setModel(model_);
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setItemsExpandable(true);
  setIconSize(QSize(ProjectModel::kIconSize, ProjectModel::kIconSize));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(false);
  setExpandsOnDoubleClick(false);
  setContextMenuPolicy(Qt::DefaultContextMenu);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  scrollTimer_ = new QTimer(this);
  scrollTimer_->setInterval(kScrollMs);
  connect(scrollTimer_, &QTimer::timeout, this, &ProjectView::AutoScroll);
  // A mouse press makes the line current before it selects it; the commands follow the
  // selection.
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          &ProjectView::UpdateActions);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &ProjectView::UpdateActions);
  // Rows that arrive, leave or move change which neighbours the selected node has.
  connect(model_, &QAbstractItemModel::rowsInserted, this, &ProjectView::UpdateActions);
  connect(model_, &QAbstractItemModel::rowsRemoved, this, &ProjectView::UpdateActions);
  connect(model_, &QAbstractItemModel::rowsMoved, this, &ProjectView::UpdateActions);
  connect(model_, &QAbstractItemModel::modelReset, this, &ProjectView::UpdateActions);
  BuildActions();
  expand(IndexOf(project_.Tree().Root()));
  UpdateActions();
}

// The model goes away after this class's members; nothing it signals on the way may reach
// them.
ProjectView::~ProjectView() {
  disconnect(model_, nullptr, this, nullptr);
  disconnect(selectionModel(), nullptr, this, nullptr);
}

QModelIndex ProjectView::IndexOf(NodeId id) const {
  return model_->IndexOf(id);
}

ProjectView::NodeId ProjectView::Selected() const {
  const QModelIndex current = currentIndex();
  if (!current.isValid() || !selectionModel()->isSelected(current)) return ProjectTree::kNoNode;
  return ProjectModel::NodeOf(current);
}

void ProjectView::Select(NodeId id) {
  const QModelIndex at = IndexOf(id);
  if (at.isValid()) setCurrentIndex(at);
  UpdateActions();
}

void ProjectView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Insert || event->key() == Qt::Key_Delete) return;
  QTreeView::keyPressEvent(event);
}

// Insert and Delete act when the key comes up, so a held key does not repeat the command.
void ProjectView::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat() && event->modifiers() == Qt::NoModifier) {
    if (event->key() == Qt::Key_Insert) return Add();
    if (event->key() == Qt::Key_Delete) return Delete();
  }
  QTreeView::keyReleaseEvent(event);
}

void ProjectView::contextMenuEvent(QContextMenuEvent* event) {
  if (const QModelIndex at = indexAt(event->pos()); at.isValid()) Select(ProjectModel::NodeOf(at));
  const NodeId id = Selected();
  const ProjectTree& tree = project_.Tree();
  const bool isNode = id != ProjectTree::kNoNode;
  const bool notRoot = isNode && id != tree.Root();
  QMenu menu(QStringLiteral("GROUP"), this);
  const std::pair<const char*, void (ProjectView::*)()> items[] = {
      {"Add(&A)", &ProjectView::Add},
      {"Del(&D)", &ProjectView::Delete},
      {"Upward(&U)", &ProjectView::MoveUp},
      {"Downward(&O)", &ProjectView::MoveDown},
      {"Attribute(&P)", &ProjectView::Attribute},
      {"Output", &ProjectView::Output},
  };
  const bool enabled[] = {isNode,
                          notRoot,
                          notRoot && tree.CanMoveUp(id),
                          notRoot && tree.CanMoveDown(id),
                          notRoot,
                          tree.Root() != ProjectTree::kNoNode};
  QHash<QAction*, void (ProjectView::*)()> handlers;
  for (size_t i = 0; i < std::size(items); ++i) {
    QAction* action = menu.addAction(QString::fromUtf8(items[i].first));
    action->setEnabled(enabled[i]);
    handlers.insert(action, items[i].second);
  }
  QAction* chosen = prompts_.ExecMenu(menu, event->globalPos());
  if (chosen && chosen->isEnabled()) (this->*handlers.value(chosen))();
}

void ProjectView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QModelIndex at = indexAt(event->position().toPoint());
  if (!at.isValid()) return QTreeView::mouseDoubleClickEvent(event);
  const ProjectNode* record = project_.Tree().Record(ProjectModel::NodeOf(at));
  if (!record || record->kind == kKindNone) return QTreeView::mouseDoubleClickEvent(event);
  if (!record->path.empty()) Q_EMIT openRequested(QString::fromStdString(record->path));
}

void ProjectView::mousePressEvent(QMouseEvent* event) {
  QTreeView::mousePressEvent(event);
  pressed_ = ProjectTree::kNoNode;
  if (event->button() != Qt::LeftButton) return;
  const QModelIndex at = indexAt(event->position().toPoint());
  if (!at.isValid()) return;
  const NodeId id = ProjectModel::NodeOf(at);
  if (id == project_.Tree().Root()) return;
  pressed_ = id;
  pressPos_ = event->position().toPoint();
}

void ProjectView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (!dragging_ && pressed_ != ProjectTree::kNoNode && (event->buttons() & Qt::LeftButton) &&
      (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
    dragging_ = true;
    viewport()->grabMouse();
    scrollTimer_->start();
  }
  if (!dragging_) return QTreeView::mouseMoveEvent(event);
  TrackDrag(pos);
}

void ProjectView::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_) {
    pressed_ = ProjectTree::kNoNode;
    return QTreeView::mouseReleaseEvent(event);
  }
  TrackDrag(event->position().toPoint());
  EndDrag(true);
}

// The scroll area hands its viewport's mouse events on in viewport coordinates; while
// dragging, the viewport holds the mouse, so positions outside it arrive the same way.
void ProjectView::TrackDrag(const QPoint& pos) {
  const QRect area = viewport()->rect();
  scrollDirection_ = pos.y() < 0 ? -1 : pos.y() >= area.height() ? 1 : 0;
  const bool inside = area.contains(pos);
  viewport()->setCursor(inside ? Qt::ArrowCursor : Qt::ForbiddenCursor);
  SetDropTarget(inside ? indexAt(pos) : QModelIndex());
}

void ProjectView::SetDropTarget(const QModelIndex& index) {
  if (index == dropTarget_) return;
  if (dropTarget_.isValid()) viewport()->update(visualRect(dropTarget_));
  dropTarget_ = index;
  if (dropTarget_.isValid()) viewport()->update(visualRect(dropTarget_));
}

// The line a drag would drop on is shown as a selected line.
void ProjectView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
  QStyleOptionViewItem line = option;
  if (index == dropTarget_) line.state |= QStyle::State_Selected;
  QTreeView::drawRow(painter, line, index);
}

void ProjectView::AutoScroll() {
  QScrollBar* bar = verticalScrollBar();
  if (scrollDirection_ != 0) bar->setValue(bar->value() + scrollDirection_);
}

void ProjectView::EndDrag(bool drop) {
  const NodeId dragged = pressed_;
  const NodeId target = ProjectModel::NodeOf(dropTarget_);
  SetDropTarget(QModelIndex());
  viewport()->releaseMouse();
  scrollTimer_->stop();
  dragging_ = false;
  pressed_ = ProjectTree::kNoNode;
  scrollDirection_ = 0;
  // The base view took the press's first small moves for a drag selection and never sees
  // this release; left in that state it would drop the next click.
  setState(NoState);
  viewport()->unsetCursor();
  if (drop) {
    const DropAction action = project_.Drop(dragged, target);
    if (action == DropAction::kRefuse) {
      prompts_.Beep();
    } else if (action != DropAction::kIgnore) {
      // The dropped node stays in sight where it landed.
      expand(IndexOf(project_.Tree().Node(dragged).parent));
      Select(dragged);
    }
  }
  if (QWidget* top = window()) top->update();
}

}  // namespace tilvex::ui
