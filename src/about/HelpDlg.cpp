#include "about/HelpDlg.h"

#include "workspace/Workspace.h"
#include "base/SettingsFiles.h"
#include "text/TextFile.h"
#include "controls/ColouredLabel.h"
#include "controls/GradientButton.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace dorvane {

namespace {


} // namespace

CHelpDlg::CHelpDlg(Workspace& workspace, QWidget* parent) : QDialog(parent), workspace_(workspace)
{
    setWindowTitle(QStringLiteral("帮助"));
    setFont(QFont(QStringLiteral("宋体"), 9));

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(ColouredLabel(QStringLiteral("初次使用本软件必读："), QColor(255, 0, 0), this, QStringLiteral("helpHeading")));
    const QStringList tips = {
        QStringLiteral("1、可通过复制淘宝“收货人地址”一步填写收货人信息"),
        QStringLiteral("使快递单打印超快捷！"),
        QStringLiteral("2、点击“预览/调整”按钮，可以在弹出的窗口中查看预"),
        QStringLiteral("览效果并可用鼠标拖动调整打印内容的位置。"),
        QStringLiteral("3、点击“设置”按钮，可以在弹出的窗口中进行设置打印"),
        QStringLiteral("字体、选择打印机和整体打印偏差调整等操作。"),
        QStringLiteral("4、如果可选模板中没有您想要的模板，没关系，您可以在"),
        QStringLiteral("设置窗口几步简单操作创建您自己的模板，或联系软件作者"),
        QStringLiteral("免费帮您制作模板。"),
    };
    for (int i = 0; i < tips.size(); ++i)
        texts->addWidget(ColouredLabel(tips[i], kHintBlue, this, QStringLiteral("helpTip%1").arg(i + 1)));
    top->addLayout(texts, 1);
    layout->addLayout(top);

    auto* bottom = new QHBoxLayout;
    check_ = new QCheckBox(QStringLiteral("下次不再显示"), this);
    check_->setObjectName(QStringLiteral("dontShowAgainCheck"));
    check_->setChecked(dontShowAgain_ != 0);
    bottom->addWidget(check_);
    bottom->addStretch();
    okButton_ = new CGradientButton(QStringLiteral("知道了"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    bottom->addWidget(okButton_);
    layout->addLayout(bottom);

    connect(check_, &QCheckBox::clicked, this, &CHelpDlg::OnDontShowAgain);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void CHelpDlg::OnDontShowAgain()
{
    dontShowAgain_ = check_->isChecked() ? 1 : 0;
    const auto path = workspace_.settingsPaths().mouldIni;
    // Line 1 is taken into TemplatePosition on the way, as every writer of this file does.
    const auto lines = ReadLines(path).value_or(std::vector<std::string>{});
    workspace_.TemplatePosition = LineOr(lines, 0);
    EnsureSetFolder(workspace_.settingsPaths());
    SaveShowHelpFlag(path, dontShowAgain_ ? "1" : "0");
}

} // namespace dorvane
