#include "controls/SortListCtrl.h"

#include "controls/SortHeaderCtrl.h"
#include "controls/SortListModel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <string_view>

namespace dorvane {

// Gives every row a fixed height when one is set.
class RowHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int height = 0;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (height > 0)
            size.setHeight(height);
        return size;
    }
};

CSortListCtrl::CSortListCtrl(QWidget* parent)
    : QTreeView(parent), model_(new SortListModel(this)), header_(new CSortHeaderCtrl(this)),
      rowHeightDelegate_(new RowHeightDelegate(this))
{
    setItemDelegate(rowHeightDelegate_);
    setHeader(header_);
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header_->setStretchLastSection(false);
    header_->setMinimumSectionSize(1);   // narrow columns keep the width they are given
    header_->setSectionsClickable(true); // the view turns it off when it is given the header
    connect(header_, &QHeaderView::sectionClicked, this, &CSortListCtrl::SortByColumn);
}

CSortListCtrl::~CSortListCtrl() = default;

int CSortListCtrl::AddColumn(const QString& heading, int width, Qt::Alignment alignment)
{
    const int column = model_->AddColumn(heading, alignment);
    if (width <= 0) {
        setColumnHidden(column, true);
    } else {
        setColumnHidden(column, false);
        setColumnWidth(column, width);
    }
    return column;
}

int CSortListCtrl::ColumnCount() const
{
    return model_->columnCount();
}

void CSortListCtrl::SetRows(const QList<QStringList>& rows)
{
    model_->SetRows(rows);
}

int CSortListCtrl::AddRow(const QStringList& texts)
{
    return model_->AddRow(texts);
}

void CSortListCtrl::RemoveRow(int row)
{
    model_->RemoveRow(row);
}

void CSortListCtrl::Clear()
{
    model_->Clear();
}

int CSortListCtrl::RowCount() const
{
    return model_->rowCount();
}

QString CSortListCtrl::Text(int row, int column) const
{
    return model_->Text(row, column);
}

void CSortListCtrl::SelectRow(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    const QModelIndex index = model_->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index, QAbstractItemView::EnsureVisible);
}

int CSortListCtrl::SelectedRow() const
{
    // Any selected cell counts: a row selected by a click may leave hidden columns out.
    const QModelIndexList cells = selectionModel()->selectedIndexes();
    return cells.isEmpty() ? -1 : cells.front().row();
}

void CSortListCtrl::SortByColumn(int column)
{
    if (column < 0 || column >= model_->columnCount())
        return;
    const bool ascending = sortState_.Click(column);
    header_->SetSort(column, ascending);
    const int rows = model_->rowCount();
    const SortKind kind = ChooseSortKind(column, rows > 1 ? model_->Bytes(1, column) : std::string_view());
    std::vector<std::string_view> cells;
    cells.reserve(rows);
    for (int row = 0; row < rows; ++row)
        cells.emplace_back(model_->Bytes(row, column));
    model_->Reorder(SortedOrder(cells, kind, ascending));
}

void CSortListCtrl::SetGridLines(bool on)
{
    gridLines_ = on;
    viewport()->update();
}

void CSortListCtrl::SetRowHeight(int pixels)
{
    rowHeightDelegate_->height = pixels;
    // The view caches the uniform row height; a model reset makes it measure again.
    doItemsLayout();
}

int CSortListCtrl::RowHeight() const
{
    return model_->rowCount() > 0 ? rowHeight(model_->index(0, 0)) : rowHeightDelegate_->height;
}

void CSortListCtrl::SetColors(const QColor& background, const QColor& text)
{
    QPalette colors = palette();
    colors.setColor(QPalette::Base, background);
    colors.setColor(QPalette::Text, text);
    setPalette(colors);
}

void CSortListCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    QTreeView::drawRow(painter, option, index);
    if (!gridLines_)
        return;
    const int hint = style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this);
    painter->save();
    painter->setPen(QColor::fromRgba(static_cast<QRgb>(hint)));
    const QRect row = option.rect;
    painter->drawLine(row.left(), row.bottom(), row.right(), row.bottom());
    for (int column = 0; column < header_->count(); ++column) {
        if (isColumnHidden(column))
            continue;
        const int x = columnViewportPosition(column) + columnWidth(column) - 1;
        painter->drawLine(x, row.top(), x, row.bottom());
    }
    painter->restore();
}

void CSortListCtrl::scrollContentsBy(int dx, int dy)
{
    // Repaint the whole view rather than blitting, so grid lines never tear while scrolling.
    if (dy != 0)
        viewport()->update();
    QTreeView::scrollContentsBy(dx, dy);
}

void CSortListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    emit rowDoubleClicked(indexAt(event->position().toPoint()).row());
}

void CSortListCtrl::mousePressEvent(QMouseEvent* event)
{
    // A click below the last row leaves no row selected, as in the platform's list views.
    if (event->button() == Qt::LeftButton && !indexAt(event->position().toPoint()).isValid()) {
        clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    QTreeView::mousePressEvent(event);
}

void CSortListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit rowClicked(indexAt(event->position().toPoint()).row());
}

} // namespace dorvane
