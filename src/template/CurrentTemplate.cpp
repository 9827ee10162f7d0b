#include "template/CurrentTemplate.h"

#include "app/AppValues.h"
#include "app/MessageBox.h"
#include "template/TemplateStore.h"

#include <QString>

#include <cstdlib>

namespace dorvane {

void LoadTemplateLayout(QWidget* parent)
{
    AppValues& app = App();
    if (!LoadLayoutFile(LayoutPath(app.WorkFolder, app.CurrentTemplate), app.Layout)) {
        showMessage(parent, QStringLiteral("输入框位置信息文件丢失！"), QString::fromLatin1(kAppTitle));
        std::exit(0);
    }
    const PrintScales scales = ComputePrintScales(app.Layout);
    app.PrintScaleX = scales.x;
    app.PrintScaleY = scales.y;
    app.PaperWidth = app.Layout.paperWidth();
    app.PaperLength = app.Layout.paperLength();
    ComputePrintRects(app.Layout, scales);
}

} // namespace dorvane
