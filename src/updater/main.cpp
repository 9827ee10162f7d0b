#include "app/QtTranslations.h"
#include "updater/NativePath.h"
#include "updater/UpdorvApp.h"

#include <QApplication>

namespace {

dorvane::UpdateTrust Trust()
{
#ifdef DORVANE_UPDORV_TEST_TRUST
    // Only the test build of the updater (a target of tests/, never installed) takes the server
    // and key from its environment, so that tests can sign updates with a key pair of their own.
    // The shipped Updorv is compiled without this branch: nothing outside its own file can
    // change whom it believes.
    dorvane::UpdateTrust trust;
    trust.server = qEnvironmentVariable("DORVANE_TEST_UPDATE_SERVER").toStdString();
    const auto key = dorvane::FromHex(qEnvironmentVariable("DORVANE_TEST_UPDATE_KEY").toStdString(), trust.key.size());
    if (key)
        std::copy(key->begin(), key->end(), trust.key.begin());
    return trust;
#else
    return dorvane::BuiltInUpdateTrust();
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    dorvane::InstallQtTranslations();
    QApplication::setApplicationName(QStringLiteral("Updorv"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.1"));
    dorvane::CUpdorvApp updorv;
    return updorv.InitInstance(dorvane::ToFsPath(QApplication::applicationFilePath()), Trust());
}
