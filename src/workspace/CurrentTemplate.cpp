#include "workspace/CurrentTemplate.h"

#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "template/TemplateLayout.h"
#include "template/TemplateStore.h"

#include <QString>

#include <cstdlib>

namespace dorvane {

namespace {

// What is wrong with a layout file that is there but was refused, or nothing when it is
// missing or cannot be opened.
QString DamageOf(LayoutFileFault fault)
{
    switch (fault) {
    case LayoutFileFault::NoHeader:
        return QStringLiteral("没有模板标题行");
    case LayoutFileFault::NoFieldRows:
        return QStringLiteral("没有输入框位置行");
    case LayoutFileFault::CutInRow:
        return QStringLiteral("最后一行不完整");
    case LayoutFileFault::TooLong:
        return QStringLiteral("文件超过 64 KB");
    case LayoutFileFault::None:
    case LayoutFileFault::Unreadable:
        break;
    }
    return {};
}

} // namespace

void LoadTemplateLayout(Workspace& app, QWidget* parent)
{
    if (app.loadCurrentLayout())
        return;
    const QString damage = DamageOf(CheckLayoutFile(LayoutPath(app.WorkFolder, app.CurrentTemplate)));
    QString text = QStringLiteral("输入框位置信息文件丢失！");
    if (!damage.isEmpty())
        text =
            QStringLiteral("输入框位置信息文件 dataM/%1.dat 不完整或已损坏（%2），请从备份恢复或删除该模板！")
                .arg(FromFileName(app.CurrentTemplate), damage);
    showMessage(parent, text, QString::fromLatin1(kAppTitle));
    std::exit(0);
}

} // namespace dorvane
