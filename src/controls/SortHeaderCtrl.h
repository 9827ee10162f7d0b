#pragma once
// The heading row of a sortable report list. Once a column has been sorted, its heading (and
// every heading sorted before) is painted by this class: button face, text inset by a
// quarter of the height, and on the current sort column an up or down arrow in highlight and
// shadow lines at the right end.

#include <QHeaderView>

#include <set>

namespace dorvane {

class CSortHeaderCtrl : public QHeaderView {
    Q_OBJECT

public:
    explicit CSortHeaderCtrl(QWidget* parent = nullptr);

    // Shows the arrow on column (up when ascending) and repaints.
    void SetSort(int column, bool ascending);
    int SortColumn() const { return sortColumn_; }
    bool SortAscending() const { return ascending_; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void DrawArrow(QPainter* painter, const QRect& rect) const;

    int sortColumn_ = -1;
    bool ascending_ = true;
    int pressedSection_ = -1;
    std::set<int> ownerDrawn_; // headings sorted at least once stay painted by us
};

} // namespace dorvane
