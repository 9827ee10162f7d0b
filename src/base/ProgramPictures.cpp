#include "base/ProgramPictures.h"

namespace dorvane {

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/pictures/program-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap AboutPicture()
{
    return QPixmap(QStringLiteral(":/pictures/about.png"));
}

} // namespace dorvane
