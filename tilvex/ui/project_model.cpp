#include "project_model.h"

#include <QPainter>

namespace tilvex::ui {
namespace {

constexpr int kKinds = 5;

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
  QPixmap strip(ProjectModel::kIconSize * kKinds, ProjectModel::kIconSize);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  void (*draw[kKinds])(QPainter&) = {DrawProject, DrawSection, DrawGroup, DrawItem, DrawSubBlock};
  for (int kind = 0; kind < kKinds; ++kind) {
    p.save();
    p.translate(kind * ProjectModel::kIconSize, 0);
    draw[kind](p);
    p.restore();
  }
  return strip;
}

ProjectModel::ProjectModel(ProjectSession& session, QObject* parent)
    : QAbstractItemModel(parent), session_(session) {
  const QPixmap strip = NodeKindStrip();
  for (int kind = 0; kind < kKinds; ++kind)
    icons_[kind] = QIcon(strip.copy(kind * ProjectModel::kIconSize, 0, ProjectModel::kIconSize,
                                    ProjectModel::kIconSize));
  session_.SetObserver(this);
}

ProjectModel::~ProjectModel() {
  session_.SetObserver(nullptr);
}

QModelIndex ProjectModel::IndexOf(NodeId id) const {
  const ProjectTree& tree = session_.Tree();
  if (!tree.IsAlive(id)) return {};
  const int row = id == tree.Root() ? 0 : static_cast<int>(tree.PlaceOf(id).row);
  return createIndex(row, 0, static_cast<quintptr>(id));
}

ProjectModel::NodeId ProjectModel::NodeOf(const QModelIndex& index) {
  return index.isValid() ? static_cast<NodeId>(index.internalId()) : ProjectTree::kNoNode;
}

QModelIndex ProjectModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column != 0) return {};
  const ProjectTree& tree = session_.Tree();
  if (!parent.isValid()) return row == 0 ? IndexOf(tree.Root()) : QModelIndex();
  const NodeId id = NodeOf(parent);
  if (!tree.IsAlive(id)) return {};
  const auto& children = tree.Node(id).children;
  if (static_cast<size_t>(row) >= children.size()) return {};
  return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
}

QModelIndex ProjectModel::parent(const QModelIndex& child) const {
  const ProjectTree& tree = session_.Tree();
  const NodeId id = NodeOf(child);
  if (!tree.IsAlive(id)) return {};
  return IndexOf(tree.Node(id).parent);
}

int ProjectModel::rowCount(const QModelIndex& parent) const {
  const ProjectTree& tree = session_.Tree();
  if (!parent.isValid()) return tree.IsAlive(tree.Root()) ? 1 : 0;
  if (parent.column() != 0 || !tree.IsAlive(NodeOf(parent))) return 0;
  return static_cast<int>(tree.Node(NodeOf(parent)).children.size());
}

int ProjectModel::columnCount(const QModelIndex&) const {
  return 1;
}

QVariant ProjectModel::data(const QModelIndex& index, int role) const {
  const ProjectTree& tree = session_.Tree();
  const NodeId id = NodeOf(index);
  if (!tree.IsAlive(id)) return {};
  const ProjectTree::TreeNode& node = tree.Node(id);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return QString::fromStdString(node.label);
    case Qt::DecorationRole:
      return icons_[node.image < kKinds ? node.image : 0];
    case kNodeIdRole:
      return id;
    default:
      return {};
  }
}

void ProjectModel::BeforeInsert(NodeId parent, int row) {
  beginInsertRows(IndexOf(parent), row, row);
}

void ProjectModel::BeforeRemove(NodeId parent, int row) {
  beginRemoveRows(IndexOf(parent), row, row);
}

// The session moves nodes only to another place and never into their own subtree, which
// Qt accepts; should it ever refuse, the views are told everything changed instead.
void ProjectModel::BeforeMove(NodeId from, int fromRow, NodeId to, int destinationRow) {
  moveAsReset_ = !beginMoveRows(IndexOf(from), fromRow, fromRow, IndexOf(to), destinationRow);
  if (moveAsReset_) beginResetModel();
}

void ProjectModel::AfterMove() {
  if (moveAsReset_) {
    endResetModel();
  } else {
    endMoveRows();
  }
  moveAsReset_ = false;
}

void ProjectModel::Changed(NodeId id) {
  const QModelIndex at = IndexOf(id);
  Q_EMIT dataChanged(at, at);
}

}  // namespace tilvex::ui
