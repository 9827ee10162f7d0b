#pragma once
// The look the settings pages give their report lists.

namespace dorvane {

class CSortListCtrl;

// 17-pixel rows, grid lines, full-row selection, movable headings, black text on teal.
void SetUpPageList(CSortListCtrl* list);

} // namespace dorvane
