#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

#include "model/game_list.h"

namespace romvane {

// Shows a GameList (owned elsewhere) as a five-column table. Every change goes through
// the list's own operations; the model only tells the views about them.
class GameListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr const char* kRowsMimeType = "application/x-romvane-rows";

  explicit GameListModel(GameList& list, QObject* parent = nullptr);

  GameList& List() { return list_; }
  const GameList& List() const { return list_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // Rows dragged inside the list travel as their positions.
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;
  Qt::DropActions supportedDropActions() const override;
  // A finished move drag asks the source to remove what it moved; the rows were moved
  // in place already, so nothing is removed.
  bool removeRows(int row, int count, const QModelIndex& parent = {}) override;
  Qt::DropActions supportedDragActions() const override;

  // Wraps a change of the whole list (add, remove, move, sort, load) for the views.
  template <typename F>
  auto Apply(F&& change) {
    beginResetModel();
    struct EndReset {
      GameListModel* model;
      ~EndReset() { model->endResetModel(); }
    } end{this};
    return change(list_);
  }

  void RowChanged(int row);

  // Moves the rows before dropRow (RowCount() appends) and tells where they now stand.
  void MoveRows(std::vector<int> rows, int dropRow);

 signals:
  void rowsPlaced(int first, int count);

 private:
  GameList& list_;
};

}  // namespace romvane
