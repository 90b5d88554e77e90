#include "project_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include "prompts.h"

namespace tilvex::ui {
namespace {

constexpr int kIcon = 16;
constexpr int kKinds = 5;
constexpr int kScrollMs = 75;

// A sheet of paper with a folded corner: the project and nodes without kind.
void DrawProject(QPainter& p) {
  p.setPen(QColor(40, 40, 90));
  p.setBrush(QColor(250, 250, 235));
  p.drawPolygon(QPolygon({{2, 1}, {10, 1}, {13, 4}, {13, 14}, {2, 14}}));
  p.drawLine(10, 1, 10, 4);
  p.drawLine(10, 4, 13, 4);
  for (int y = 6; y <= 12; y += 2) p.drawLine(4, y, 11, y);
}

// Two stacked cards: a section.
void DrawSection(QPainter& p) {
  p.setPen(QColor(20, 60, 20));
  p.setBrush(QColor(120, 190, 110));
  p.drawRect(4, 1, 10, 9);
  p.setBrush(QColor(170, 225, 150));
  p.drawRect(1, 5, 10, 9);
}

// A folder: a group.
void DrawGroup(QPainter& p) {
  p.setPen(QColor(110, 80, 10));
  p.setBrush(QColor(240, 200, 80));
  p.drawPolygon(QPolygon({{1, 3}, {6, 3}, {7, 5}, {14, 5}, {14, 13}, {1, 13}}));
  p.drawLine(1, 6, 14, 6);
}

// A framed picture with a hill and a sun: an item.
void DrawItem(QPainter& p) {
  p.setPen(QColor(30, 30, 30));
  p.setBrush(QColor(150, 200, 255));
  p.drawRect(1, 2, 13, 11);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 150, 60));
  p.drawPolygon(QPolygon({{2, 12}, {6, 7}, {9, 10}, {11, 8}, {14, 12}}));
  p.setBrush(QColor(255, 210, 0));
  p.drawEllipse(9, 3, 3, 3);
}

// A dashed rectangle over a grid of cells: a sub block.
void DrawSubBlock(QPainter& p) {
  p.setPen(QColor(160, 160, 160));
  for (int i = 1; i <= 14; i += 4) {
    p.drawLine(i, 1, i, 14);
    p.drawLine(1, i, 14, i);
  }
  QPen dash(QColor(200, 30, 30));
  dash.setStyle(Qt::DashLine);
  p.setPen(dash);
  p.setBrush(Qt::NoBrush);
  p.drawRect(4, 4, 8, 8);
}

}  // namespace

QPixmap NodeKindStrip() {
  QPixmap strip(kIcon * kKinds, kIcon);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  void (*draw[kKinds])(QPainter&) = {DrawProject, DrawSection, DrawGroup, DrawItem, DrawSubBlock};
  for (int kind = 0; kind < kKinds; ++kind) {
    p.save();
    p.translate(kind * kIcon, 0);
    draw[kind](p);
    p.restore();
  }
  return strip;
}

ProjectView::ProjectView(ProjectSession& project, Prompts& prompts, QWidget* parent)
    : QTreeWidget(parent), project_(project), prompts_(prompts), strip_(NodeKindStrip()) {
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setItemsExpandable(true);
  setIconSize(QSize(kIcon, kIcon));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(false);
  setExpandsOnDoubleClick(false);
  setContextMenuPolicy(Qt::DefaultContextMenu);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  scrollTimer_ = new QTimer(this);
  scrollTimer_->setInterval(kScrollMs);
  connect(scrollTimer_, &QTimer::timeout, this, &ProjectView::AutoScroll);
  connect(this, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* i) { expanded_.insert(i->data(0, Qt::UserRole).toInt()); });
  connect(this, &QTreeWidget::itemCollapsed, this,
          [this](QTreeWidgetItem* i) { expanded_.remove(i->data(0, Qt::UserRole).toInt()); });
  // A mouse press makes the line current before it selects it; the commands follow the
  // selection.
  connect(this, &QTreeWidget::currentItemChanged, this, &ProjectView::UpdateActions);
  connect(this, &QTreeWidget::itemSelectionChanged, this, &ProjectView::UpdateActions);
  BuildActions();
  expanded_.insert(project_.Tree().Root());
  Refresh();
}

// The lines go away after this class's members; nothing they signal on the way may reach them.
ProjectView::~ProjectView() {
  disconnect(this, nullptr, nullptr, nullptr);
}

QTreeWidgetItem* ProjectView::AddLine(QTreeWidgetItem* parent, NodeId id) {
  const ProjectTree& tree = project_.Tree();
  const ProjectTree::TreeNode& node = tree.Node(id);
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  item->setText(0, QString::fromStdString(node.label));
  item->setToolTip(0, item->text(0));
  const int image = node.image < kKinds ? node.image : 0;
  item->setIcon(0, QIcon(strip_.copy(image * kIcon, 0, kIcon, kIcon)));
  item->setData(0, Qt::UserRole, id);
  items_.insert(id, item);
  for (NodeId child : node.children) AddLine(item, child);
  return item;
}

void ProjectView::Refresh() {
  const NodeId selected = Selected();
  const QSet<NodeId> expanded = expanded_;
  const QSignalBlocker block(this);
  clear();
  items_.clear();
  const ProjectTree& tree = project_.Tree();
  if (tree.Root() != ProjectTree::kNoNode) AddLine(nullptr, tree.Root());
  for (auto it = items_.cbegin(); it != items_.cend(); ++it) {
    if (expanded.contains(it.key())) it.value()->setExpanded(true);
  }
  expanded_ = expanded;
  if (QTreeWidgetItem* item = items_.value(selected)) setCurrentItem(item);
  UpdateActions();
}

ProjectView::NodeId ProjectView::Selected() const {
  QTreeWidgetItem* item = currentItem();
  if (!item || !item->isSelected()) return ProjectTree::kNoNode;
  return item->data(0, Qt::UserRole).toInt();
}

void ProjectView::Select(NodeId id) {
  if (QTreeWidgetItem* item = items_.value(id)) setCurrentItem(item);
  UpdateActions();
}

void ProjectView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Insert || event->key() == Qt::Key_Delete) return;
  QTreeWidget::keyPressEvent(event);
}

// Insert and Delete act when the key comes up, so a held key does not repeat the command.
void ProjectView::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat() && event->modifiers() == Qt::NoModifier) {
    if (event->key() == Qt::Key_Insert) return Add();
    if (event->key() == Qt::Key_Delete) return Delete();
  }
  QTreeWidget::keyReleaseEvent(event);
}

void ProjectView::contextMenuEvent(QContextMenuEvent* event) {
  if (QTreeWidgetItem* item = itemAt(event->pos())) Select(item->data(0, Qt::UserRole).toInt());
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
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  if (!item) return QTreeWidget::mouseDoubleClickEvent(event);
  const ProjectNode* record = project_.Tree().Record(item->data(0, Qt::UserRole).toInt());
  if (!record || record->kind == kKindNone) return QTreeWidget::mouseDoubleClickEvent(event);
  if (!record->path.empty()) Q_EMIT openRequested(QString::fromStdString(record->path));
}

void ProjectView::mousePressEvent(QMouseEvent* event) {
  QTreeWidget::mousePressEvent(event);
  pressed_ = ProjectTree::kNoNode;
  if (event->button() != Qt::LeftButton) return;
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  if (!item) return;
  const NodeId id = item->data(0, Qt::UserRole).toInt();
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
  if (!dragging_) return QTreeWidget::mouseMoveEvent(event);
  TrackDrag(pos);
}

void ProjectView::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_) {
    pressed_ = ProjectTree::kNoNode;
    return QTreeWidget::mouseReleaseEvent(event);
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
  SetDropTarget(inside ? itemAt(pos) : nullptr);
}

void ProjectView::SetDropTarget(QTreeWidgetItem* item) {
  if (item == dropTarget_) return;
  if (dropTarget_) dropTarget_->setBackground(0, QBrush());
  dropTarget_ = item;
  if (dropTarget_) dropTarget_->setBackground(0, palette().brush(QPalette::Highlight));
}

void ProjectView::AutoScroll() {
  QScrollBar* bar = verticalScrollBar();
  if (scrollDirection_ != 0) bar->setValue(bar->value() + scrollDirection_);
}

void ProjectView::EndDrag(bool drop) {
  const NodeId dragged = pressed_;
  const NodeId target = dropTarget_ ? dropTarget_->data(0, Qt::UserRole).toInt()
                                    : static_cast<NodeId>(ProjectTree::kNoNode);
  SetDropTarget(nullptr);
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
    const DropAction action = project_.Tree().Drop(dragged, target);
    if (action == DropAction::kRefuse) {
      prompts_.Beep();
    } else if (action != DropAction::kIgnore) {
      AfterChange(dragged);
    }
  }
  if (QWidget* top = window()) top->update();
}

}  // namespace tilvex::ui
