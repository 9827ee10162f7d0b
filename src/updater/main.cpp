#include "base/QtTranslations.h"
#include "updater/NativePath.h"
#include "updater/UpdorvApp.h"
#include "updater/UpdorvDlg.h"

#include <QApplication>

#ifdef DORVANE_UPDORV_TEST_TRUST
#include <chrono>
#include <cstdio>
#include <thread>
#endif

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

#ifdef DORVANE_UPDORV_TEST_TRUST
// The test build stops the swap before step DORVANE_TEST_SWAP_PAUSE, says so on standard
// output and waits there for the test to kill it.
void PauseTheSwapForTests()
{
    bool ok = false;
    const int pauseAt = qEnvironmentVariableIntValue("DORVANE_TEST_SWAP_PAUSE", &ok);
    if (!ok)
        return;
    dorvane::BeforeSwapStep = [pauseAt](int step) {
        if (step != pauseAt)
            return;
        std::printf("swap paused before step %d\n", step);
        std::fflush(stdout);
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    };
}
#endif

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    dorvane::InstallQtTranslations();
    QApplication::setApplicationName(QStringLiteral("Updorv"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.1"));
#ifdef DORVANE_UPDORV_TEST_TRUST
    PauseTheSwapForTests();
#endif
    dorvane::CUpdorvApp updorv;
    return updorv.InitInstance(dorvane::ToFsPath(QApplication::applicationFilePath()), Trust());
}
