#include "editor/TemplateStepsDlg.h"

#include "controls/ColouredLabel.h"
#include "controls/GradientButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace dorvane {

CTemplateStepsDlg::CTemplateStepsDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("templateStepsDialog"));
    setWindowTitle(QStringLiteral("创建模板步骤说明"));
    setFont(QFont(QStringLiteral("宋体"), 9));

    static const char* const kLines[] = {
        "1、在下拉框中选择“新建快递模板”。",
        "2、输入新建模板名称及快递单纸张的宽、高（毫米）。",
        "3、导入新建模板的背景图片（BMP、PNG或JPEG），",
        "建议图片像素大小870×480。",
        "4、按快递单图片上的打印位置，通过鼠标拖动调整对应",
        "文本框的显示位置及大小。",
        "5、保存调整好的快递单模板，就可以在主窗口上的“选",
        "择快递单模板”下拉框内选择并使用新创建的模板了！",
    };
    auto* lines = new QVBoxLayout;
    for (const char* line : kLines) {
        lines->addWidget(ColouredLabel(QString::fromUtf8(line), kHintBlue, this, QStringLiteral("stepLine")));
    }

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    auto* exit = new CGradientButton(QStringLiteral("退出(&X)"), this);
    exit->setObjectName(QStringLiteral("exitButton"));
    exit->setDefault(true);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(lines);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(exit, 0, Qt::AlignHCenter);
}

} // namespace dorvane
