#include "support/StartMark.h"
#include "support/TempFolder.h"
#include "updater/LocalHttpServer.h"
#include "updater/SwapJournal.h"
#include "updater/TestPublisher.h"
#include "updater/UpdateProtocol.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

#include <array>
#include <filesystem>

using namespace dorvane;
using dorvane::test::LocalHttpServer;
using dorvane::test::MarkingProgram;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
using dorvane::test::TestPublisher;
using dorvane::test::WriteBytes;
namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
fs::perms Mode(const fs::path& file)
{
    return fs::status(file).permissions() & fs::perms::mask;
}
#endif

// A path for Qt, whole on Windows too, where std::string paths are in the ANSI code page.
QString PathText(const fs::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

} // namespace

// The real updater, as the main program leaves it: in the program's folder beside a fresh
// version.txt, started with no arguments. The user's clicks come from the UpdorvDriver plugin.
class UpdorvProgramTest : public QObject {
    Q_OBJECT
private slots:
    void runsTheUpdate_data()
    {
        QTest::addColumn<QString>("updater");
        QTest::addColumn<QString>("subfolder"); // of the test's folder, where the program lies
        QTest::addColumn<bool>("signedByTrustedKey");
        QTest::addColumn<bool>("trickledManifest"); // sent one byte a second
        QTest::addColumn<int>("versionFilePadding"); // blank lines added to version.txt
        QTest::addColumn<bool>("installs");
        QTest::addColumn<QString>("started"); // the main program OK starts
        QTest::addColumn<QString>("message");
        // What is changed in the release: "partial" leaves b.dat out of the version file,
        // "replay" publishes the running version again; any other word is the name of a further
        // file added to it.
        QTest::addColumn<QString>("twist");
        const QString testTrust = QStringLiteral(UPDORV_TEST_TRUST);
        QTest::newRow("signed update") << testTrust << "" << true << false << 0 << true << "new" << "" << "";
        // A shop's program on its desktop: the folder names are Chinese.
        QTest::newRow("in a Chinese-named folder")
            << testTrust << QStringLiteral("桌面/快递打印") << true << false << 0 << true << "new" << "" << "";
        QTest::newRow("signed by another key")
            << testTrust << "" << false << false << 0 << false << "old" << "升级文件签名不符！升级不成功！" << "";
        QTest::newRow("manifest trickling in") << testTrust << "" << true << true << 0 << false << "old"
                                                << "服务器长时间没有送完升级文件，已放弃！升级不成功！" << "";
        // Blank lines are skipped, so only the bound refuses it: a version file is never this long.
        QTest::newRow("version file beyond its bound") << testTrust << "" << true << false << 9000 << false
                                                       << "" << "升级信息有误！升级不成功！" << "";
        // The shipped build believes only its own server and key, whatever the environment
        // says; nothing named by an address it refuses is started.
        QTest::newRow("shipped updater ignores the test settings")
            << QStringLiteral(UPDORV_SHIPPED) << "" << true << false << 0 << false << "" << "升级信息有误！升级不成功！" << "";
        // The signed manifest decides what is installed: the whole release, only when newer, never
        // over the program's data or a folder.
        const QString refused = QStringLiteral("升级信息有误！升级不成功！");
        QTest::newRow("version file naming part of the release")
            << testTrust << "" << true << false << 0 << false << "old" << refused << "partial";
        QTest::newRow("replayed release of the running version") << testTrust << "" << true << false << 0 << false
                                                                  << "old" << "升级文件的版本不比当前新！升级不成功！"
                                                                  << "replay";
        for (const char* name : {"Set", "docs"})
            QTest::addRow("signed file named %s", name)
                << testTrust << "" << true << false << 0 << false << "old" << refused << QString::fromLatin1(name);
    }

    void runsTheUpdate()
    {
        QFETCH(QString, updater);
        QFETCH(QString, subfolder);
        QFETCH(bool, signedByTrustedKey);
        QFETCH(bool, trickledManifest);
        QFETCH(int, versionFilePadding);
        QFETCH(bool, installs);
        QFETCH(QString, started);
        QFETCH(QString, message);
        QFETCH(QString, twist);

        TempFolder top;
        const fs::path folder = top / subfolder.toStdString();
        fs::create_directories(folder);
        const fs::path updorv = folder / UpdaterProgramName();
        std::error_code linkError;
        fs::create_hard_link(updater.toStdString(), updorv, linkError);
        if (linkError)
            QVERIFY(fs::copy_file(updater.toStdString(), updorv));

        // Old and new main programs each leave their own mark when started.
        const std::string program = "Dorvane" + std::string(kProgramSuffix);
        const fs::path marker = folder / "started";
        auto script = [&marker](const char* which) { return MarkingProgram(marker, which); };
        // Installed files of several modes, each of which the update replaces.
        WriteBytes(folder / program, script("old"));
        fs::permissions(folder / program, fs::perms::owner_all, fs::perm_options::replace);
        WriteBytes(folder / "dorvane-cli", "old cli");
        fs::permissions(folder / "dorvane-cli", fs::perms(0755), fs::perm_options::replace);
        WriteBytes(folder / "a.dat", "old a");
        fs::permissions(folder / "a.dat", fs::perms(0640), fs::perm_options::replace);
        // The shop's settings and templates, and a folder of its own.
        for (const char* kept : {"Set/set.ini", "dataM/1.dat", "docs/readme.txt"}) {
            fs::create_directories((folder / kept).parent_path());
            WriteBytes(folder / kept, kept);
        }

        LocalHttpServer server;
        TestPublisher publisher(server);
        const QByteArray newProgram = QByteArray::fromStdString(script("new"));
        publisher.publish("Dorvane.ex_", newProgram);
        publisher.publish("dorvane-cli", "new cli", true);
        publisher.publish("a.dat", "new a");
        // New files: a program the manifest marks executable, and a data file.
        publisher.publish("helper", "new helper", true);
        publisher.publish("b.dat", "new b");
        QStringList listed = {"Dorvane.ex_", "dorvane-cli", "a.dat", "helper", "b.dat"};
        if (twist == QLatin1String("partial")) {
            listed.removeAll(QStringLiteral("b.dat"));
        } else if (!twist.isEmpty() && twist != QLatin1String("replay")) {
            publisher.publish(twist, "signed, but not to be installed");
            listed << twist;
        }
        const int version = twist == QLatin1String("replay") ? kRunningVersion : 223;
        const SecretKey otherKey = MakeKeyPair().second;
        publisher.sign(version, signedByTrustedKey ? nullptr : &otherKey,
                       trickledManifest ? LocalHttpServer::Mode::Trickle : LocalHttpServer::Mode::Whole);
        QString lines = QString::number(version) + QStringLiteral("\r\n");
        for (const QString& name : listed)
            lines += publisher.url(name) + QStringLiteral("\r\n");
        lines += QString(versionFilePadding, QLatin1Char('\n'));
        WriteBytes(folder / "version.txt", lines.toStdString());
        const std::string versionFile = ReadBytes(folder / "version.txt");
        const QString messages = PathText(folder / "messages.txt");

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // With its drive: the updater runs in another folder, on Windows perhaps on another drive,
        // where a path from the root would name that drive.
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QDir(QStringLiteral(DORVANE_TEST_PLUGINS)).canonicalPath());
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("dorvaneupdorv:") + messages);
        env.insert(QStringLiteral("DORVANE_TEST_UPDATE_SERVER"), server.base().toString());
        env.insert(QStringLiteral("DORVANE_TEST_UPDATE_KEY"), publisher.keyHex());
        process.setProcessEnvironment(env);
        // Elsewhere, so that only the updater's own folder can serve.
        process.setWorkingDirectory(QDir::tempPath());
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(PathText(updorv), {});
        QVERIFY(process.waitForStarted());
        const auto stop = qScopeGuard([&process] {
            if (process.state() != QProcess::NotRunning) {
                process.kill();
                process.waitForFinished();
            }
        });
        // The local server answers on this thread: keep its events running while the updater
        // works. A trickling manifest is given up after 20 s.
        QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, 60000);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);

        // OK starts the main program in the updater's folder: the new one, or the old one kept.
        if (started.isEmpty()) {
            QTest::qWait(1000);
            QVERIFY(!fs::exists(marker));
        } else {
            // The started program may have made the file and not yet written it.
            QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(ReadBytes(marker)), started + "\n", 5000);
        }
        const fs::path messagesFile = folder / "messages.txt";
        const std::string shown = fs::exists(messagesFile) ? ReadBytes(messagesFile) : "";
        if (installs) {
            QCOMPARE(ReadBytes(folder / program), newProgram.toStdString());
            QCOMPARE(ReadBytes(folder / "dorvane-cli"), std::string("new cli"));
            QCOMPARE(ReadBytes(folder / "a.dat"), std::string("new a"));
            QCOMPARE(ReadBytes(folder / "helper"), std::string("new helper"));
            QCOMPARE(ReadBytes(folder / "b.dat"), std::string("new b"));
            QCOMPARE(shown, std::string());
#ifndef _WIN32
            // Replaced files keep their modes, narrow or wide; new ones get the manifest's.
            // (Windows keeps no modes, only a read-only flag.)
            QCOMPARE(Mode(folder / program), fs::perms(0700));
            QCOMPARE(Mode(folder / "dorvane-cli"), fs::perms(0755));
            QCOMPARE(Mode(folder / "a.dat"), fs::perms(0640));
            QCOMPARE(Mode(folder / "helper"), fs::perms(0755));
            QCOMPARE(Mode(folder / "b.dat"), fs::perms(0644));
#endif
        } else {
            QCOMPARE(ReadBytes(folder / program), script("old"));
            QCOMPARE(ReadBytes(folder / "dorvane-cli"), std::string("old cli"));
            QCOMPARE(ReadBytes(folder / "a.dat"), std::string("old a"));
            QVERIFY(!fs::exists(folder / "helper") && !fs::exists(folder / "b.dat"));
            QCOMPARE(QString::fromStdString(shown), message + QLatin1Char('\n'));
            // The manifest is all that was asked for, or, for the shipped build, nothing at all.
            for (const QString& request : server.requests())
                QVERIFY2(request.contains(QLatin1String("/DRV_update/manifest.")), qPrintable(request));
            if (updater == QStringLiteral(UPDORV_SHIPPED) || versionFilePadding > 0)
                QVERIFY(server.requests().isEmpty());
        }
        QCOMPARE(ReadBytes(folder / "version.txt"), versionFile);
        for (const char* kept : {"Set/set.ini", "dataM/1.dat", "docs/readme.txt"})
            QCOMPARE(ReadBytes(folder / kept), std::string(kept));
        // Nothing staged is left behind.
        for (const auto& entry : fs::directory_iterator(folder))
            QVERIFY2(!entry.path().filename().string().starts_with(".updorv"), entry.path().string().c_str());
    }

    // The updater is killed before each step of putting the new files in place (the test build
    // stops there and says so); then the batch tool, the updater or the main program is started
    // in turn: every file is wholly old or wholly new, none is missing, nothing of the swap stays.
    void killedSwapIsRepairedAtTheNextStart()
    {
        bool sawProgramMissing = false;
        // Before the journal, two files set aside, three put in place, before the journal's end.
        for (int step = 0; step < 7; ++step) {
            const QByteArray row = "killed before step " + QByteArray::number(step);
            TempFolder top;
            const fs::path folder = top / "快递打印";
            fs::create_directories(folder);
            const int starter = step % 3;
            // The main program starts under a name of its own: its usual name is a swapped file.
            const std::string starterName = std::array{std::string("dorvane-cli"), std::string("Updorv"),
                                                       std::string("Dorvane-start")}[starter]
                                            + std::string(kProgramSuffix);
            for (const auto& [from, name] : {std::pair(UPDORV_TEST_TRUST, UpdaterProgramName()),
                                             std::pair(starter == 0 ? DORVANE_CLI : DORVANE_PROGRAM, starterName)}) {
                std::error_code linkError;
                fs::create_hard_link(from, folder / name, linkError);
                if (linkError && !fs::exists(folder / name))
                    fs::copy_file(from, folder / name);
            }
            const std::string program = "Dorvane" + std::string(kProgramSuffix);
            WriteBytes(folder / program, "old program");
            WriteBytes(folder / "a.dat", "old a");
            LocalHttpServer server;
            TestPublisher publisher(server);
            publisher.publish("Dorvane.ex_", "new program");
            publisher.publish("a.dat", "new a");
            publisher.publish("helper", "new helper", true);
            publisher.sign();
            WriteBytes(folder / "version.txt", QStringList{"223", publisher.url("Dorvane.ex_"), publisher.url("a.dat"),
                                                           publisher.url("helper"), ""}
                                                   .join('\n')
                                                   .toStdString());

            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            env.insert(QStringLiteral("QT_PLUGIN_PATH"), QDir(QStringLiteral(DORVANE_TEST_PLUGINS)).canonicalPath());
            env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"),
                       QStringLiteral("dorvaneupdorv:") + PathText(top / "messages.txt"));
            env.insert(QStringLiteral("DORVANE_TEST_UPDATE_SERVER"), server.base().toString());
            env.insert(QStringLiteral("DORVANE_TEST_UPDATE_KEY"), publisher.keyHex());
            env.insert(QStringLiteral("DORVANE_TEST_SWAP_PAUSE"), QString::number(step));
            QProcess updorv;
            updorv.setProcessEnvironment(env);
            updorv.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            updorv.start(PathText(folder / UpdaterProgramName()), {});
            QByteArray said;
            QTRY_VERIFY_WITH_TIMEOUT((said += updorv.readAllStandardOutput()).contains('\n')
                                         || updorv.state() == QProcess::NotRunning,
                                     30000);
            said.replace("\r\n", "\n"); // Windows' standard output ends its lines so
            QVERIFY2(said == "swap paused before step " + QByteArray::number(step) + "\n", row + " " + said);
            updorv.kill(); // SIGKILL
            QVERIFY(updorv.waitForFinished());
            sawProgramMissing = sawProgramMissing || !fs::exists(folder / program);

            // Started by hand now: without the version file the updater only refuses to run.
            fs::remove(folder / "version.txt");
            env.remove(QStringLiteral("DORVANE_TEST_SWAP_PAUSE"));
            if (starter != 1)
                env.remove(QStringLiteral("QT_QPA_GENERIC_PLUGINS")); // the user plays only the updater
            QProcess next;
            next.setProcessEnvironment(env);
            next.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            TempFolder work; // where the main program keeps its settings
            next.setWorkingDirectory(PathText(work.path()));
            next.start(PathText(folder / starterName),
                       starter == 0 ? QStringList{QStringLiteral("help")} : QStringList{});
            QVERIFY2(next.waitForStarted(), row);
            const bool updated = step > 0; // killed before its journal, nothing had moved
            if (starter == 2) {
                // The main program's window stays open; it has repaired the folder once the
                // journal and the staged files are gone.
                QTRY_VERIFY_WITH_TIMEOUT(!fs::exists(folder / std::string(kSwapJournalName)) && !StagingLeft(folder),
                                         20000);
                next.kill();
            }
            QVERIFY2(next.waitForFinished(20000), row);
            QVERIFY2(ReadBytes(folder / program) == (updated ? "new program" : "old program"), row);
            QVERIFY2(ReadBytes(folder / "a.dat") == (updated ? "new a" : "old a"), row);
            QVERIFY2(ReadBytes(folder / "helper") == (updated ? "new helper" : ""), row);
            QVERIFY2(!fs::exists(folder / std::string(kSwapJournalName)) && (!updated || !StagingLeft(folder)), row);
            if (starter == 1)
                QCOMPARE(QString::fromStdString(ReadBytes(top / "messages.txt")),
                         QStringLiteral("本文件为升级模块，无法单独运行！\n请在主程序中运行在线升级功能调用本模块！\n"));
        }
        QVERIFY(sawProgramMissing);
    }

private:
    static bool StagingLeft(const fs::path& folder)
    {
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().filename().string().starts_with(".updorv"))
                return true;
        }
        return false;
    }
};

QTEST_MAIN(UpdorvProgramTest)
#include "UpdorvProgramTest.moc"
