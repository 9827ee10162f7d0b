#include "controls/SortListModel.h"

#include "text/CodePageText.h"

namespace dorvane {

int SortListModel::AddColumn(const QString& heading, Qt::Alignment alignment)
{
    const int column = int(columns_.size());
    beginInsertColumns({}, column, column);
    columns_.push_back({heading, alignment});
    endInsertColumns();
    return column;
}

SortListModel::Row SortListModel::MakeRow(const QStringList& texts)
{
    Row row{texts, {}};
    row.bytes.reserve(texts.size());
    for (const QString& text : texts)
        row.bytes.push_back(ToCodePage(text));
    return row;
}

void SortListModel::SetRows(const QList<QStringList>& rows)
{
    beginResetModel();
    rows_.clear();
    rows_.reserve(rows.size());
    for (const QStringList& texts : rows)
        rows_.push_back(MakeRow(texts));
    endResetModel();
}

int SortListModel::AddRow(const QStringList& texts)
{
    const int row = int(rows_.size());
    beginInsertRows({}, row, row);
    rows_.push_back(MakeRow(texts));
    endInsertRows();
    return row;
}

void SortListModel::RemoveRow(int row)
{
    if (row < 0 || row >= int(rows_.size()))
        return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void SortListModel::Clear()
{
    beginResetModel();
    rows_.clear();
    endResetModel();
}

QString SortListModel::Text(int row, int column) const
{
    if (row < 0 || row >= int(rows_.size()) || column < 0 || column >= rows_[row].texts.size())
        return {};
    return rows_[row].texts[column];
}

const std::string& SortListModel::Bytes(int row, int column) const
{
    static const std::string empty;
    if (row < 0 || row >= int(rows_.size()) || column < 0 || column >= int(rows_[row].bytes.size()))
        return empty;
    return rows_[row].bytes[column];
}

void SortListModel::Reorder(const std::vector<std::size_t>& order)
{
    if (order.size() != rows_.size())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPosition(order.size());
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        newPosition[order[i]] = int(i);
        sorted.push_back(std::move(rows_[order[i]]));
    }
    rows_ = std::move(sorted);
    // The selection and the current row follow their rows.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.push_back(index.isValid() ? createIndex(newPosition[index.row()], index.column()) : index);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int SortListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int SortListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant SortListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return Text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() < int(columns_.size()))
        return int(columns_[index.column()].alignment | Qt::AlignVCenter);
    return {};
}

QVariant SortListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size()))
        return {};
    if (role == Qt::DisplayRole)
        return columns_[section].heading;
    if (role == Qt::TextAlignmentRole)
        return int(columns_[section].alignment | Qt::AlignVCenter);
    return {};
}

} // namespace dorvane
