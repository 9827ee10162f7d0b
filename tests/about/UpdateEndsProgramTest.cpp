#include "about/UpdateCheck.h"
#include "support/StartMark.h"
#include "support/WorkFolderFixture.h"
#include "updater/LocalHttpServer.h"
#include "updater/UpdateProtocol.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

#include <filesystem>

using namespace dorvane;
using dorvane::test::LocalHttpServer;
using dorvane::test::WorkFolderFixture;
namespace fs = std::filesystem;

// The real Dorvane program, started in a folder of its own as an installed one is, finds a
// newer version through the About box: it starts the updater beside it and ends. The user's
// clicks come from the AboutUpdateDriver plugin loaded into the program; the update server's
// answers come from the local server here, which the plugin makes the program's web proxy.
class UpdateEndsProgramTest : public QObject {
    Q_OBJECT
private slots:
    void programEndsAfterStartingTheUpdater() { runTheCheck(true); }

    // An updater that cannot be started (here: its file may not be executed) must not cost the
    // shop its program: it keeps running and drops the version file it fetched.
    void programStaysWhenTheUpdaterCannotStart()
    {
#ifdef _WIN32
        QSKIP("Windows keeps no execute permission to take from the updater");
#endif
        runTheCheck(false);
    }

private:
    void runTheCheck(bool updaterRuns)
    {
        WorkFolderFixture work;
        QVERIFY(!work.installEmptyAddressBook().empty());
        const QString folder = QDir(work.path(QStringLiteral("."))).absolutePath();
        const fs::path program = fs::path(folder.toStdU16String()) / ("Dorvane" + std::string(kProgramSuffix));
        std::error_code linkError;
        fs::create_hard_link(DORVANE_PROGRAM, program, linkError);
        if (linkError)
            QVERIFY(fs::copy_file(DORVANE_PROGRAM, program));
        // The updater the program starts: it leaves a mark and ends.
        const QString marker = folder + QStringLiteral("/updater-started");
        work.write(QString::fromStdString(UpdaterProgramName()),
                   dorvane::test::MarkingProgram(fs::path(marker.toStdU16String()), "started"));
        QFile::setPermissions(folder + QLatin1Char('/') + QString::fromStdString(UpdaterProgramName()),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                  | (updaterRuns ? QFileDevice::ExeOwner : QFileDevice::Permissions()));

        // The update server is https: the local server, as the program's proxy, answers for it
        // through a tunnel with a certificate made here, which the plugin makes the program trust.
        QProcess openssl;
        openssl.setWorkingDirectory(folder);
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=update.example.com",
                       "-addext", "subjectAltName=DNS:update.example.com", "-keyout", "server.key", "-out",
                       "server.pem"});
#ifdef _WIN32
        if (!openssl.waitForStarted())
            QSKIP("no openssl tool to make the update server's certificate with");
#endif
        QVERIFY(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
        QFile certificate(folder + QStringLiteral("/server.pem"));
        QFile key(folder + QStringLiteral("/server.key"));
        QVERIFY(certificate.open(QIODevice::ReadOnly) && key.open(QIODevice::ReadOnly));

        LocalHttpServer server;
        server.setTunnelIdentity(QSslCertificate(&certificate), QSslKey(&key, QSsl::Rsa));
        const QString versionUrl = QString::fromLatin1(kUpdateServer) +
                                   QString::fromLatin1(kVersionFilePath.data(), kVersionFilePath.size());
        server.serve(versionUrl, "223\r\n" + QByteArray(kUpdateServer) + "/DRV_update/Dorvane.ex_\r\n");

        QProcess dorvane;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QDir(QStringLiteral(DORVANE_TEST_PLUGINS)).canonicalPath());
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"),
                   QStringLiteral("dorvaneaboutupdate:%1:%2").arg(server.base().port()).arg(certificate.fileName()));
        dorvane.setProcessEnvironment(env);
        dorvane.setWorkingDirectory(folder);
        dorvane.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        dorvane.start(QString::fromStdU16String(program.u16string()), {});
        QVERIFY(dorvane.waitForStarted());
        const auto stop = qScopeGuard([&dorvane] {
            if (dorvane.state() != QProcess::NotRunning) {
                dorvane.kill();
                dorvane.waitForFinished();
            }
        });

        if (!updaterRuns) {
            QTRY_COMPARE_WITH_TIMEOUT(server.requests(), QStringList({versionUrl}), 30000);
            QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(folder + QStringLiteral("/version.txt")), 30000);
            // Ending the program would have been the very next step.
            QTest::qWait(1500);
            QCOMPARE(dorvane.state(), QProcess::Running);
            QVERIFY(!QFile::exists(marker));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(dorvane.state(), QProcess::NotRunning, 30000);
        QCOMPARE(dorvane.exitStatus(), QProcess::NormalExit);
        QCOMPARE(dorvane.exitCode(), 0);
        QCOMPARE(server.requests(), QStringList({versionUrl}));
        // The version file stays for the updater.
        QVERIFY(QFile::exists(folder + QStringLiteral("/version.txt")));
    }
};

QTEST_MAIN(UpdateEndsProgramTest)
#include "UpdateEndsProgramTest.moc"
