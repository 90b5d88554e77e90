#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

#include "model/game_list.h"

namespace romvane {

// Shows a GameList (owned elsewhere) as a five-column table of texts. Every change goes
// through the list's own operations; the list tells the model row by row what it did, so
// selections and the current row follow their games through moves and sorts.
class GameListModel : public QAbstractTableModel, private GameListObserver {
  Q_OBJECT

 public:
  static constexpr const char* kRowsMimeType = "application/x-romvane-rows";

  explicit GameListModel(GameList& list, QObject* parent = nullptr);
  ~GameListModel() override;

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

  // Runs a change of the list; the views learn of it through the list's notices.
  template <typename F>
  auto Apply(F&& change) {
    return change(list_);
  }

  void RowChanged(int row);

  // Moves the rows before dropRow (RowCount() appends) and tells where they now stand.
  void MoveRows(std::vector<int> rows, int dropRow);

 signals:
  void rowsPlaced(int first, int count);

 private:
  void BeforeInsert(int first, int last) override { beginInsertRows({}, first, last); }
  void AfterInsert() override { endInsertRows(); }
  void BeforeRemove(int first, int last) override { beginRemoveRows({}, first, last); }
  void AfterRemove() override { endRemoveRows(); }
  void BeforeMove(int row, int destination) override {
    beginMoveRows({}, row, row, {}, destination);
  }
  void AfterMove() override { endMoveRows(); }
  void BeforeReorder() override;
  void AfterReorder(const std::vector<int>& newRowOf) override;
  void Changed(int firstRow, int lastRow) override;

  GameList& list_;
  QModelIndexList reordered_;  // persistent indexes held across a reorder
};

}  // namespace romvane
