#pragma once
// The open project as an item model: one top row, the project itself, with the sections,
// groups, items and sub blocks below it. The session tells the model of every change as it
// happens, so views keep their selection and what they unfolded.
#include <QAbstractItemModel>
#include <QIcon>

#include "app/project_session.h"

namespace tilvex::ui {

// The 16 x 16 pictures of the node kinds, side by side in one strip, kind 0 first.
QPixmap NodeKindStrip();

class ProjectModel : public QAbstractItemModel, private ProjectObserver {
  Q_OBJECT

 public:
  // Side of the node icons, in pixels.
  static constexpr int kIconSize = 16;

  using NodeId = ProjectTree::NodeId;
  static constexpr int kNodeIdRole = Qt::UserRole;

  explicit ProjectModel(ProjectSession& session, QObject* parent = nullptr);
  ~ProjectModel() override;

  const ProjectSession& Session() const { return session_; }
  QModelIndex IndexOf(NodeId id) const;
  static NodeId NodeOf(const QModelIndex& index);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  void BeforeInsert(NodeId parent, int row) override;
  void AfterInsert() override { endInsertRows(); }
  void BeforeRemove(NodeId parent, int row) override;
  void AfterRemove() override { endRemoveRows(); }
  void BeforeMove(NodeId from, int fromRow, NodeId to, int destinationRow) override;
  void AfterMove() override;
  void Changed(NodeId id) override;
  void BeforeReset() override { beginResetModel(); }
  void AfterReset() override { endResetModel(); }

  ProjectSession& session_;
  QIcon icons_[5];
  bool moveAsReset_ = false;
};

}  // namespace tilvex::ui
