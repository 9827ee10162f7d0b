#pragma once
// The rows behind CSortListCtrl: each cell kept as display text and as the code-page bytes the
// sort compares, so that sorting never converts or looks rows up.

#include <QAbstractTableModel>
#include <QStringList>

#include <cstddef>
#include <string>
#include <vector>

namespace dorvane {

class SortListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    struct Column {
        QString heading;
        Qt::Alignment alignment;
    };

    int AddColumn(const QString& heading, Qt::Alignment alignment);
    void SetRows(const QList<QStringList>& rows);
    int AddRow(const QStringList& texts);
    void RemoveRow(int row);
    void Clear();
    QString Text(int row, int column) const;
    // The code-page bytes of a cell; empty when it does not exist.
    const std::string& Bytes(int row, int column) const;

    // Puts the rows in the given order: order[i] is the current position of the new row i.
    void Reorder(const std::vector<std::size_t>& order);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        QStringList texts;
        std::vector<std::string> bytes;
    };
    static Row MakeRow(const QStringList& texts);

    std::vector<Column> columns_;
    std::vector<Row> rows_;
};

} // namespace dorvane
