#include "app/DorvaneApp.h"
#include "app/QtTranslations.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    dorvane::InstallQtTranslations();
    dorvane::CDorvaneApp theApp;
    theApp.InitInstance();
    return 0;
}
