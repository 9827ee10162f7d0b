#include "app/QtTranslations.h"
#include "updater/UpdorvApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    dorvane::InstallQtTranslations();
    QApplication::setApplicationName(QStringLiteral("Updorv"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.1"));
    dorvane::CUpdorvApp updorv;
    return updorv.InitInstance(QApplication::applicationFilePath().toStdWString());
}
