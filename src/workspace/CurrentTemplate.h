#pragma once
// Loading the current template's layout into the work folder's values.

class QWidget;

namespace dorvane {

struct Workspace;

// Reads the layout file of the workspace's CurrentTemplate over its Layout and sets the scales,
// the paper size and the print rectangles. A missing or unopenable file is fatal: the
// message "输入框位置信息文件丢失！" and the process ends with exit code 0. So is a file
// cut short or damaged, with a message naming it and what is wrong.
void LoadTemplateLayout(Workspace& app, QWidget* parent);

} // namespace dorvane
