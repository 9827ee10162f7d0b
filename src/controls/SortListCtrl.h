#pragma once
// A report list (rows of texts under column headings) that sorts itself when a heading is
// clicked: ascending on the first click of a column, descending on the next click of the same
// column. The comparison (whole number, decimal, date with 年/月/日, or code-page text) is
// chosen from the second row of the clicked column; column 1 always sorts as text, since the
// pages keep their hidden database ids there.
//
// Typical use by a page:
//     list->AddColumn("序", 23);
//     list->AddColumn("id", 0);          // width 0: hidden
//     list->AddColumn("地址", 400);
//     list->SetGridLines(true);
//     list->SetRows(rows);               // one QStringList of cell texts per row
//     connect(list, &CSortListCtrl::rowDoubleClicked, ...);
//     int row = list->SelectedRow();     // -1 when none
//
// Rows move as a whole when sorted, so they need no item data. A refill keeps the sort
// state: the next click on the last sorted column sorts it the other way.

#include "controls/SortCompare.h"

#include <QColor>
#include <QStringList>
#include <QTreeView>

namespace dorvane {

class CSortHeaderCtrl;
class SortListModel;
class RowHeightDelegate;

class CSortListCtrl : public QTreeView {
    Q_OBJECT

public:
    explicit CSortListCtrl(QWidget* parent = nullptr);
    ~CSortListCtrl() override;

    // Appends a column; a width of 0 hides it. Returns its index.
    int AddColumn(const QString& heading, int width, Qt::Alignment alignment = Qt::AlignLeft);
    int ColumnCount() const;

    // Replaces all rows (cells beyond a row's texts are empty). The sort order is not applied.
    void SetRows(const QList<QStringList>& rows);
    // Appends one row; returns its index.
    int AddRow(const QStringList& texts);
    void RemoveRow(int row);
    void Clear();
    int RowCount() const;
    QString Text(int row, int column) const;

    // Selects and focuses row and scrolls it fully into view; ignored when out of range.
    void SelectRow(int row);
    // The selected row, -1 when none.
    int SelectedRow() const;

    // What a click on column's heading does.
    void SortByColumn(int column);
    int SortColumn() const { return sortState_.Column(); }
    bool SortAscending() const { return sortState_.Ascending(); }

    // Thin lines between rows and columns, as in a spreadsheet; off at construction.
    void SetGridLines(bool on);
    // Every row this many pixels high; 0 goes back to the height the font asks for.
    void SetRowHeight(int pixels);
    int RowHeight() const;
    // The colour behind the rows and the colour of their text.
    void SetColors(const QColor& background, const QColor& text);

    CSortHeaderCtrl* Header() const { return header_; }

signals:
    // A double click in the list; row is -1 when it was below the last row.
    void rowDoubleClicked(int row);
    // A left click, reported when the button is released; row is -1 below the last row.
    void rowClicked(int row);

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    SortListModel* model_;
    CSortHeaderCtrl* header_;
    SortState sortState_;
    bool gridLines_ = false;
    RowHeightDelegate* rowHeightDelegate_;
};

} // namespace dorvane
