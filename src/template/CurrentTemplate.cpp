#include "template/CurrentTemplate.h"

#include "app/AppValues.h"
#include "app/MessageBox.h"

#include <QString>

#include <cstdlib>

namespace dorvane {

void LoadTemplateLayout(QWidget* parent)
{
    if (!App().loadCurrentLayout()) {
        showMessage(parent, QStringLiteral("输入框位置信息文件丢失！"), QString::fromLatin1(kAppTitle));
        std::exit(0);
    }
}

} // namespace dorvane
