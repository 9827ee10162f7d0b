#include "support/TempFolder.h"
#include "updater/LocalHttpServer.h"
#include "updater/TestPublisher.h"
#include "updater/UpdateProtocol.h"

#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

#include <filesystem>

using namespace dorvane;
using dorvane::test::LocalHttpServer;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
using dorvane::test::TestPublisher;
using dorvane::test::WriteBytes;
namespace fs = std::filesystem;

// The real updater, as the main program leaves it: in the program's folder beside a fresh
// version.txt, started with no arguments. The user's clicks come from the UpdorvDriver plugin.
class UpdorvProgramTest : public QObject {
    Q_OBJECT
private slots:
    void runsTheUpdate_data()
    {
        QTest::addColumn<QString>("updater");
        QTest::addColumn<bool>("signedByTrustedKey");
        QTest::addColumn<bool>("installs");
        QTest::addColumn<QString>("started"); // the main program OK starts
        QTest::newRow("signed update") << QStringLiteral(UPDORV_TEST_TRUST) << true << true << "new";
        QTest::newRow("signed by another key") << QStringLiteral(UPDORV_TEST_TRUST) << false << false << "old";
        // The shipped build believes only its own server and key, whatever the environment
        // says; nothing named by an address it refuses is started.
        QTest::newRow("shipped updater ignores the test settings")
            << QStringLiteral(UPDORV_SHIPPED) << true << false << "";
    }

    void runsTheUpdate()
    {
        QFETCH(QString, updater);
        QFETCH(bool, signedByTrustedKey);
        QFETCH(bool, installs);
        QFETCH(QString, started);

        TempFolder folder;
        const fs::path updorv = folder / UpdaterProgramName();
        std::error_code linkError;
        fs::create_hard_link(updater.toStdString(), updorv, linkError);
        if (linkError)
            QVERIFY(fs::copy_file(updater.toStdString(), updorv));

        // Old and new main programs each leave their own mark when started.
        const std::string program = "Dorvane" + std::string(kProgramSuffix);
        const fs::path marker = folder / "started";
        auto script = [&marker](const char* which) {
            return "#!/bin/sh\necho " + std::string(which) + " > '" + marker.string() + "'\n";
        };
        WriteBytes(folder / program, script("old"));
        fs::permissions(folder / program, fs::perms::owner_all);
        WriteBytes(folder / "a.dat", "old a");

        LocalHttpServer server;
        TestPublisher publisher(server);
        const QByteArray newProgram = QByteArray::fromStdString(script("new"));
        publisher.publish("Dorvane.ex_", newProgram);
        publisher.publish("a.dat", "new a");
        const SecretKey otherKey = MakeKeyPair().second;
        publisher.sign(223, signedByTrustedKey ? nullptr : &otherKey);
        WriteBytes(folder / "version.txt",
                   ("223\r\n" + publisher.url("Dorvane.ex_") + "\r\n" + publisher.url("a.dat") + "\r\n").toStdString());
        const std::string versionFile = ReadBytes(folder / "version.txt");
        const QString messages = QString::fromStdString((folder / "messages.txt").string());

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(DORVANE_TEST_PLUGINS));
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("dorvaneupdorv:") + messages);
        env.insert(QStringLiteral("DORVANE_TEST_UPDATE_SERVER"), server.base().toString());
        env.insert(QStringLiteral("DORVANE_TEST_UPDATE_KEY"), publisher.keyHex());
        process.setProcessEnvironment(env);
        // Elsewhere, so that only the updater's own folder can serve.
        process.setWorkingDirectory(QDir::tempPath());
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(QString::fromStdString(updorv.string()), {});
        QVERIFY(process.waitForStarted());
        const auto stop = qScopeGuard([&process] {
            if (process.state() != QProcess::NotRunning) {
                process.kill();
                process.waitForFinished();
            }
        });
        // The local server answers on this thread: keep its events running while the updater works.
        QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, 30000);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);

        // OK starts the main program in the updater's folder: the new one, or the old one kept.
        if (started.isEmpty()) {
            QTest::qWait(1000);
            QVERIFY(!fs::exists(marker));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(fs::exists(marker), 5000);
            QCOMPARE(QString::fromStdString(ReadBytes(marker)), started + "\n");
        }
        const std::string shown = fs::exists(messages.toStdString()) ? ReadBytes(messages.toStdString()) : "";
        if (installs) {
            QCOMPARE(ReadBytes(folder / program), newProgram.toStdString());
            QCOMPARE(ReadBytes(folder / "a.dat"), std::string("new a"));
            QCOMPARE(shown, std::string());
        } else {
            QCOMPARE(ReadBytes(folder / program), script("old"));
            QCOMPARE(ReadBytes(folder / "a.dat"), std::string("old a"));
            QCOMPARE(QString::fromStdString(shown), QStringLiteral("网络连接不通！升级不成功！\n"));
            // The manifest is all that was asked for, or, for the shipped build, nothing at all.
            for (const QString& request : server.requests())
                QVERIFY2(request.contains(QLatin1String("/DRV_update/manifest.")), qPrintable(request));
            if (updater == QStringLiteral(UPDORV_SHIPPED))
                QVERIFY(server.requests().isEmpty());
        }
        QCOMPARE(ReadBytes(folder / "version.txt"), versionFile);
        // Nothing staged is left behind.
        for (const auto& entry : fs::directory_iterator(folder.path()))
            QVERIFY2(!entry.path().filename().string().starts_with(".updorv"), entry.path().c_str());
    }
};

QTEST_MAIN(UpdorvProgramTest)
#include "UpdorvProgramTest.moc"
