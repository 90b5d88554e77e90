#include "game_list_model.h"

#include <QColor>
#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include <algorithm>

#include "ui_text.h"

namespace romvane {
namespace {

const char* const kHeadings[kColumnCount] = {"编号", "Title", "sProm", "sVrom", "属性"};

// The rows travel with the process id, so rows dragged from another window are refused.
QByteArray EncodeRows(const std::vector<int>& rows) {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out << static_cast<qint64>(QCoreApplication::applicationPid());
  out << static_cast<qint32>(rows.size());
  for (int r : rows) out << static_cast<qint32>(r);
  return bytes;
}

bool DecodeRows(const QByteArray& bytes, int rowCount, std::vector<int>& rows) {
  QDataStream in(bytes);
  qint64 pid = 0;
  qint32 count = 0;
  in >> pid >> count;
  if (in.status() != QDataStream::Ok || pid != QCoreApplication::applicationPid() || count < 0 ||
      count > rowCount) {
    return false;
  }
  for (qint32 i = 0; i < count; ++i) {
    qint32 r = -1;
    in >> r;
    if (in.status() != QDataStream::Ok || r < 0 || r >= rowCount) return false;
    rows.push_back(r);
  }
  return true;
}

}  // namespace

GameListModel::GameListModel(GameList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {
  list_.SetObserver(this);
}

GameListModel::~GameListModel() {
  list_.SetObserver(nullptr);
}

void GameListModel::BeforeReorder() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  reordered_ = persistentIndexList();
}

void GameListModel::AfterReorder(const std::vector<int>& newRowOf) {
  QModelIndexList moved;
  for (const QModelIndex& i : reordered_) {
    const auto old = static_cast<size_t>(i.row());
    moved << (old < newRowOf.size() ? index(newRowOf[old], i.column()) : QModelIndex());
  }
  changePersistentIndexList(reordered_, moved);
  reordered_.clear();
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GameListModel::Changed(int firstRow, int lastRow) {
  emit dataChanged(index(firstRow, 0), index(lastRow, kColumnCount - 1));
}

int GameListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : list_.RowCount();
}

int GameListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant GameListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= list_.RowCount()) return {};
  const GameEntry& game = list_.Game(index.row());
  // A row the cartridge cannot take is red and says why: in its tooltip, and in the
  // attribute column when there is no attribute to show.
  if (role == Qt::ForegroundRole && !game.problem.empty()) return QColor(Qt::red);
  if (role == Qt::ToolTipRole && !game.problem.empty()) return QString::fromStdString(game.problem);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  std::string text = ColumnText(game, index.column(), true);
  if (index.column() == kColAttribute && role == Qt::DisplayRole && !game.problem.empty())
    text = text.empty() ? game.problem : text + " (" + game.problem + ")";
  return QString::fromStdString(text);
}

QVariant GameListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kColumnCount) {
    return {};
  }
  return UiText(kHeadings[section]);
}

Qt::ItemFlags GameListModel::flags(const QModelIndex& index) const {
  // The list edits its cells itself; the model only has to take the text.
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled |
         Qt::ItemNeverHasChildren;
}

bool GameListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  // A view clearing the cells of moved rows hands in an empty value; titles stay.
  if (!index.isValid() || role != Qt::EditRole || index.column() != kColTitle || !value.isValid()) {
    return false;
  }
  list_.SetTitle(index.row(), value.toString().toStdString());
  return true;
}

void GameListModel::RowChanged(int row) {
  if (row < 0 || row >= list_.RowCount()) return;
  emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

QStringList GameListModel::mimeTypes() const {
  return {QString::fromLatin1(kRowsMimeType)};
}

QMimeData* GameListModel::mimeData(const QModelIndexList& indexes) const {
  std::vector<int> rows;
  for (const QModelIndex& i : indexes) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kRowsMimeType), EncodeRows(rows));
  return data;
}

bool GameListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                    const QModelIndex&) const {
  return data && data->hasFormat(QString::fromLatin1(kRowsMimeType)) &&
         (action == Qt::MoveAction || action == Qt::CopyAction);
}

bool GameListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                 const QModelIndex& parent) {
  if (!canDropMimeData(data, action, row, 0, parent)) return false;
  std::vector<int> rows;
  if (!DecodeRows(data->data(QString::fromLatin1(kRowsMimeType)), list_.RowCount(), rows) ||
      rows.empty()) {
    return false;
  }
  // Dropped on a row: the rows go before it; between rows: before the next one;
  // on empty space below the rows: to the end.
  const int dropRow = parent.isValid() ? parent.row() : (row >= 0 ? row : list_.RowCount());
  MoveRows(std::move(rows), dropRow);
  return true;
}

void GameListModel::MoveRows(std::vector<int> rows, int dropRow) {
  if (dropRow < 0 || dropRow > list_.RowCount()) dropRow = list_.RowCount();
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  const int above = static_cast<int>(
      std::count_if(rows.begin(), rows.end(), [dropRow](int r) { return r < dropRow; }));
  const int count = static_cast<int>(rows.size());
  Apply([&](GameList& list) { list.MoveRowsTo(rows, dropRow); });
  emit rowsPlaced(dropRow - above, count);
}

Qt::DropActions GameListModel::supportedDropActions() const {
  return Qt::MoveAction | Qt::CopyAction;
}

bool GameListModel::removeRows(int, int, const QModelIndex&) {
  return false;
}

Qt::DropActions GameListModel::supportedDragActions() const {
  return Qt::MoveAction;
}

}  // namespace romvane
