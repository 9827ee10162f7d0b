#include "settings/PageListSetup.h"

#include "controls/SortHeaderCtrl.h"
#include "controls/SortListCtrl.h"

#include <QColor>

namespace dorvane {

void SetUpPageList(CSortListCtrl* list)
{
    list->SetRowHeight(17);
    list->SetGridLines(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->Header()->setSectionsMovable(true);
    list->SetColors(QColor(135, 215, 215), Qt::black);
}

} // namespace dorvane
