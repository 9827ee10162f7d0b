#include "app/DorvaneApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    dorvane::CDorvaneApp theApp;
    theApp.InitInstance();
    return 0;
}
