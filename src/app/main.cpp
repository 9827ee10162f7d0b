#include "app/DorvaneApp.h"
#include "base/QtTranslations.h"
#include "updater/NativePath.h"
#include "updater/SwapJournal.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // An update killed while it put its files in place is finished or undone before the
    // program reads anything of its folder.
    dorvane::RecoverSwap(dorvane::ToFsPath(QCoreApplication::applicationDirPath()));
    dorvane::InstallQtTranslations();
    dorvane::CDorvaneApp theApp;
    theApp.InitInstance();
    return 0;
}
