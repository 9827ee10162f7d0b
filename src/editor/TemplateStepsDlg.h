#pragma once
// How to make a template, in eight blue lines.

#include <QDialog>

namespace dorvane {

class CTemplateStepsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTemplateStepsDlg(QWidget* parent = nullptr);
};

} // namespace dorvane
