#include "about/AboutDlg.h"

#include "about/LinkLabel.h"
#include "about/UpdateCheck.h"
#include "base/MessageBox.h"
#include "support/StartMark.h"
#include "support/TempFolder.h"
#include "updater/LocalHttpServer.h"
#include "updater/UpdateProtocol.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace dorvane;
using dorvane::test::LocalHttpServer;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
using dorvane::test::WriteBytes;
namespace fs = std::filesystem;

namespace {

const QString kVersionPath = QStringLiteral("/DRV_update/version.txt");

QString ToQ(const fs::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

// A stand-in updater program that leaves a mark when started.
QString WriteUpdaterScript(const TempFolder& folder, const fs::path& marker)
{
    const auto script = folder / UpdaterProgramName();
    WriteBytes(script, dorvane::test::MarkingProgram(marker, "started"));
    fs::permissions(script, fs::perms::owner_all);
    return ToQ(script);
}

} // namespace

class AboutDlgTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        setMessagesAnsweredByTest(true);
        previousDir_ = QDir::currentPath();
    }
    void cleanup()
    {
        QDir::setCurrent(previousDir_);
        // Let posted messages and quit requests of the check run before the next test.
        QCoreApplication::processEvents();
        takeShownMessages();
    }

    void contactsLinkAndHiddenProgress()
    {
        CAboutDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* qq = dialog.findChild<QLineEdit*>("qqEdit");
        auto* email = dialog.findChild<QLineEdit*>("emailEdit");
        QVERIFY(qq && email);
        QVERIFY(qq->isReadOnly() && email->isReadOnly());
        QCOMPARE(qq->text(), QString::fromLatin1(kMakerQQ));
        QCOMPARE(email->text(), QString::fromLatin1(kMakerEmail));
        QTRY_VERIFY(qq->hasFocus());
        QCOMPARE(qq->selectedText(), qq->text());
        auto* link = dialog.findChild<CLinkLabel*>("siteLink");
        QVERIFY(link);
        QCOMPARE(link->toolTip(), QStringLiteral("欢迎光临Halvik软件!"));
        QCOMPARE(link->address(), QString::fromLatin1(kMakerSite));
        QVERIFY(link->font().underline());
        QVERIFY(dialog.findChild<QLabel*>("updateProgressLabel")->isHidden());
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor(Qt::white));
    }

    void dotsCycleUntilTheCheckEnds()
    {
        TempFolder work;
        QDir::setCurrent(ToQ(work.path()));
        LocalHttpServer server;
        server.serve(kVersionPath, "222\r\n", LocalHttpServer::Mode::Held);
        CAboutDlg dialog;
        dialog.setUpdateServer(server.base());
        dialog.show();
        auto* label = dialog.findChild<QLabel*>("updateProgressLabel");
        QTest::mouseClick(dialog.findChild<QPushButton*>("onlineUpdateButton"), Qt::LeftButton);
        QVERIFY(label->isVisible());
        const QString base = QStringLiteral("正在连接网络，检测新版本");
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), base + QStringLiteral(" ·"), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), base + QStringLiteral(" · ·"), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), base + QStringLiteral(" · · ·"), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(label->text(), base + QStringLiteral(" ·"), 1000);
        QCOMPARE(server.heldCount(), 1);

        server.release();
        QTRY_VERIFY_WITH_TIMEOUT(label->isHidden(), 3000);
        QVERIFY(dialog.isVisible());
        QList<ShownMessage> shown;
        QTRY_VERIFY((shown += takeShownMessages(), !shown.isEmpty()));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("此版本为最新版本"));
        QVERIFY(!fs::exists(work / "version.txt"));
    }

    // A box closed during its check leaves the check running; when it ends, a box opened since,
    // whose own check still waits, keeps showing that it waits.
    void aCheckLeftByAClosedBoxTellsALaterBoxNothing()
    {
        TempFolder work;
        QDir::setCurrent(ToQ(work.path()));
        LocalHttpServer firstServer;
        LocalHttpServer secondServer;
        firstServer.serve(kVersionPath, "222\r\n", LocalHttpServer::Mode::Held);
        secondServer.serve(kVersionPath, "222\r\n", LocalHttpServer::Mode::Held);
        {
            CAboutDlg first;
            first.setUpdateServer(firstServer.base());
            first.show();
            QTest::mouseClick(first.findChild<QPushButton*>("onlineUpdateButton"), Qt::LeftButton);
            QTRY_COMPARE(firstServer.heldCount(), 1);
        }
        CAboutDlg second;
        second.setUpdateServer(secondServer.base());
        second.show();
        auto* label = second.findChild<QLabel*>("updateProgressLabel");
        QTest::mouseClick(second.findChild<QPushButton*>("onlineUpdateButton"), Qt::LeftButton);
        QTRY_COMPARE(secondServer.heldCount(), 1);

        firstServer.release();
        QList<ShownMessage> shown;
        QTRY_VERIFY((shown += takeShownMessages(), !shown.isEmpty()));
        QCOMPARE(shown[0].text, QStringLiteral("此版本为最新版本"));
        QTest::qWait(1200); // two ticks of the box's timer
        QVERIFY(label->isVisible());

        secondServer.release();
        QTRY_VERIFY_WITH_TIMEOUT(label->isHidden(), 3000);
        QVERIFY(second.isVisible());
    }

    void newerVersionStartsTheUpdaterAndClosesTheBox()
    {
        TempFolder work;
        QDir::setCurrent(ToQ(work.path()));
        LocalHttpServer server;
        const QByteArray versionFile = "223\r\nhttp://update.example.com/DRV_update/Dorvane.ex_\r\n";
        server.serve(kVersionPath, versionFile);
        const auto marker = work / "updater-started";
        int programEnds = 0;
        CAboutDlg dialog;
        dialog.setUpdateServer(server.base());
        dialog.setUpdaterProgram(WriteUpdaterScript(work, marker));
        dialog.setProgramEnd([&programEnds] { ++programEnds; });
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton*>("onlineUpdateButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 3000);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(marker), 5000);
        QTRY_COMPARE(programEnds, 1);
        QCOMPARE(QByteArray::fromStdString(ReadBytes(work / "version.txt")), versionFile);
        QVERIFY(takeShownMessages().isEmpty());
    }

    void outcomesOfTheVersionLine_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message");
        QTest::newRow("same") << QByteArray("222\r\nhttp://h/D.ex_\r\n") << int(UpdateCheckOutcome::Latest) << "此版本为最新版本";
        QTest::newRow("newer") << QByteArray("223\r\nhttp://h/D.ex_\r\n") << int(UpdateCheckOutcome::UpdateFound) << "";
        QTest::newRow("blanks, digits, letters") << QByteArray("  223abc\n") << int(UpdateCheckOutcome::UpdateFound) << "";
        QTest::newRow("not a number") << QByteArray("abc\r\n") << int(UpdateCheckOutcome::Latest) << "此版本为最新版本";
        QTest::newRow("older") << QByteArray("221") << int(UpdateCheckOutcome::Latest) << "此版本为最新版本";
        // Saved by an editor that marks UTF-8.
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF" "223\r\nhttp://h/D.ex_\r\n")
                                         << int(UpdateCheckOutcome::UpdateFound) << "";
        // A newer version, but the updater beside the program cannot be started: the program
        // stays, and says so.
        QTest::newRow("updater missing") << QByteArray("223\r\nhttp://h/D.ex_\r\n")
                                         << int(UpdateCheckOutcome::UpdaterNotStarted)
                                         << "找到新版本，但升级程序无法启动，本程序继续运行。";
    }

    void outcomesOfTheVersionLine()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, outcome);
        QFETCH(QString, message);
        TempFolder work;
        LocalHttpServer server;
        server.serve(kVersionPath, content);
        UpdateCheckFlags flags;
        UpdateCheckParams params;
        params.server = server.base();
        params.localFolder = ToQ(work.path());
        const auto marker = work / "updater-started";
        params.updaterProgram = outcome == int(UpdateCheckOutcome::UpdaterNotStarted) ? ToQ(work / "missing-updater")
                                                                                       : WriteUpdaterScript(work, marker);
        int programEnds = 0;
        params.endProgram = [&programEnds] { ++programEnds; };
        QCOMPARE(int(RunUpdateCheck(params, flags)), outcome);
        QCoreApplication::processEvents();
        const auto shown = takeShownMessages();
        const bool newer = outcome == int(UpdateCheckOutcome::UpdateFound);
        // The program ends only when the updater has started.
        QCOMPARE(programEnds, newer ? 1 : 0);
        QCOMPARE(flags.UpdateFound.load(), newer ? 1 : 0);
        QCOMPARE(flags.UpdateCheckEnded.load(), newer ? 0 : 1);
        if (newer) {
            QVERIFY(shown.isEmpty());
            QCOMPARE(QByteArray::fromStdString(ReadBytes(work / "version.txt")), content);
            QTRY_VERIFY_WITH_TIMEOUT(fs::exists(marker), 5000);
        } else {
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].text, message);
            const bool notStarted = outcome == int(UpdateCheckOutcome::UpdaterNotStarted);
            QCOMPARE(shown[0].icon, notStarted ? MessageIcon::Warning : MessageIcon::Information);
            QVERIFY(!fs::exists(work / "version.txt"));
        }
        QCOMPARE(server.requests(), QStringList({kVersionPath}));
    }

    // An answer that is no version file is cut off at its bound, and one that trickles in is
    // given up after 20 s: nothing of either is kept, and the user is told why, not that the
    // network is down.
    void endlessOrTricklingVersionFileIsRefused()
    {
        const struct {
            QByteArray body;
            LocalHttpServer::Mode mode;
            QString message;
        } cases[] = {
            {"223\r\n" + QByteArray(64 * 1024, '\n'), LocalHttpServer::Mode::Unending,
             QStringLiteral("服务器的版本文件过大，不是升级信息，已拒收")},
            {"223\r\nhttp://h/D.ex_\r\n", LocalHttpServer::Mode::Trickle,
             QStringLiteral("服务器长时间没有送完版本文件，已放弃检查")},
        };
        for (const auto& answer : cases) {
            TempFolder work;
            LocalHttpServer server;
            server.serve(kVersionPath, answer.body, answer.mode);
            UpdateCheckFlags flags;
            UpdateCheckParams params;
            params.server = server.base();
            params.localFolder = ToQ(work.path());
            params.updaterProgram = WriteUpdaterScript(work, work / "updater-started");
            int programEnds = 0;
            params.endProgram = [&programEnds] { ++programEnds; };
            QCOMPARE(RunUpdateCheck(params, flags), UpdateCheckOutcome::NoConnection);
            QCoreApplication::processEvents();
            const auto shown = takeShownMessages();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].text, answer.message);
            QCOMPARE(programEnds, 0);
            QVERIFY(!fs::exists(work / "version.txt"));
            QVERIFY(!fs::exists(work / "updater-started"));
        }
    }

    void noConnection()
    {
        TempFolder work;
        UpdateCheckParams params;
        params.localFolder = ToQ(work.path());
        // Nobody listening, a server without the file, and a newer version in a folder, which
        // is not an address the check fetches from.
        LocalHttpServer empty;
        TempFolder local;
        std::filesystem::create_directories(local / "DRV_update");
        WriteBytes(local / "DRV_update" / "version.txt", "223\r\nhttp://h/D.ex_\r\n");
        const QUrl servers[] = {LocalHttpServer::unreachableBase(), empty.base(),
                                QUrl::fromLocalFile(ToQ(local.path()))};
        for (const QUrl& server : servers) {
            UpdateCheckFlags flags;
            params.server = server;
            QCOMPARE(RunUpdateCheck(params, flags), UpdateCheckOutcome::NoConnection);
            QCoreApplication::processEvents();
            QCOMPARE(flags.UpdateCheckEnded.load(), 1);
            QCOMPARE(flags.UpdateFound.load(), 0);
            const auto shown = takeShownMessages();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].text, QStringLiteral("网络连接不通"));
            QCOMPARE(shown[0].icon, MessageIcon::Warning);
            QVERIFY(!fs::exists(work / "version.txt"));
        }
        QCOMPARE(empty.requests(), QStringList({kVersionPath}));
    }

private:
    QString previousDir_;
};

QTEST_MAIN(AboutDlgTest)
#include "AboutDlgTest.moc"
