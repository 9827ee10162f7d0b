#include "updater/UpdorvDlg.h"

#include "base/MessageBox.h"
#include "support/StartMark.h"
#include "support/TempFolder.h"
#include "updater/LocalHttpServer.h"
#include "updater/TestPublisher.h"
#include "updater/UpdorvApp.h"

#include <functional>
#include <map>

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace dorvane;
using dorvane::test::LocalHttpServer;
using dorvane::test::MarkingProgram;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
using dorvane::test::TestPublisher;
using dorvane::test::WriteBytes;
namespace fs = std::filesystem;

namespace {

QColor Band(const QLabel* label)
{
    return label->palette().color(QPalette::Window);
}

const QColor kPurple(85, 26, 139);

// The files in folder, apart from the version file.
QStringList FilesBeside(const fs::path& folder)
{
    QStringList names;
    for (const auto& entry : fs::directory_iterator(folder))
        names << QString::fromStdString(entry.path().filename().string());
    names.sort();
    return names;
}

// Every file in folder with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files[fs::relative(entry.path(), folder).string()] =
            entry.is_regular_file() ? ReadBytes(entry.path()) : "<folder>";
    return files;
}

} // namespace

class UpdorvDlgTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setMessagesAnsweredByTest(true); }

    void downloadsProgramAndFurtherFilesThenStartsTheProgram()
    {
        TempFolder folder;
        LocalHttpServer server;
        TestPublisher publisher(server);
        // The new "main program" leaves a mark when it is started.
        const fs::path marker = folder / "started.txt";
        const QByteArray program = QByteArray::fromStdString(MarkingProgram(marker, "new"));
        publisher.publish("Dorvane.ex_", program);
        publisher.publish("a.dat", "layout bytes");
        publisher.publish("b.bmp", QByteArray(70000, 'b'));
        publisher.sign();
        const std::string newName = "Dorvane" + std::string(kProgramSuffix);
        WriteBytes(folder / newName, "old program");
        WriteBytes(folder / "version.txt", ("223\r\n" + publisher.url("Dorvane.ex_") + "\r\n" + publisher.url("a.dat")
                                            + "\r\n" + publisher.url("b.bmp") + "\r\n")
                                               .toStdString());

        CUpdorvDlg dialog(folder.path(), publisher.trust());
        dialog.show();
        auto* ok = dialog.findChild<QPushButton*>("okButton");
        auto* bar = dialog.findChild<QProgressBar*>("progressBar");
        auto* downloadStep = dialog.findChild<QLabel*>("downloadStepLabel");
        auto* completeStep = dialog.findChild<QLabel*>("completeStepLabel");
        QVERIFY(ok && bar && downloadStep && completeStep);
        QVERIFY(!ok->isEnabled());
        QCOMPARE(bar->maximum(), 200);
        QCOMPARE(Band(downloadStep), kPurple);
        QCOMPARE(Band(completeStep), QColor(Qt::white));

        QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), 10000);
        QCOMPARE(bar->value(), 200);
        QCOMPARE(dialog.downloadSucceeded(), true);
        QCOMPARE(dialog.downloadFailed(), false);
        QCOMPARE(Band(downloadStep), QColor(Qt::white));
        QCOMPARE(Band(completeStep), kPurple);
        QCOMPARE(completeStep->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(takeShownMessages().isEmpty());

        QCOMPARE(dialog.newProgramFile(), newName);
        QCOMPARE(QByteArray::fromStdString(ReadBytes(folder / newName)), program);
        QCOMPARE(ReadBytes(folder / "a.dat"), std::string("layout bytes"));
        QCOMPARE(ReadBytes(folder / "b.bmp"), std::string(70000, 'b'));
        QVERIFY((fs::status(folder / newName).permissions() & fs::perms::owner_exec) != fs::perms::none);
        // Beside the files, only the lock the swap took.
        QCOMPARE(FilesBeside(folder.path()),
                 QStringList({".dorvane-swap.lock", QString::fromStdString(newName), "a.dat", "b.bmp", "version.txt"}));
        // The signature was checked before the first file was asked for.
        QCOMPARE(server.requests(), QStringList({"/DRV_update/manifest.txt", "/DRV_update/manifest.sig",
                                                 "/DRV_update/Dorvane.ex_", "/DRV_update/a.dat", "/DRV_update/b.bmp"}));

        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(marker), 5000);
    }

    // Whatever goes wrong, the installed files stay as they were, byte for byte, and the user
    // is told the update failed. Refused addresses and names are refused before any request;
    // a manifest that cannot be trusted before any file is fetched.
    void refusedUpdatesInstallNothing()
    {
        enum Refused { BeforeAnyRequest, BeforeAnyFile, WhileFetching };
        struct Row {
            const char* name;
            Refused when;
            const char* message; // what the user is told
            // Changes the correct update: its version file's lines after the first, the
            // servers, and the publisher.
            std::function<void(QStringList& urls, LocalHttpServer& server, LocalHttpServer& other, TestPublisher&)>
                change;
        };
        const QString program = QStringLiteral("Dorvane.ex_");
        const QByteArray newA = "new a \x00\x01";
        const Row rows[] = {
            {"wrong signature", BeforeAnyFile, "升级文件签名不符！升级不成功！",
             [](QStringList&, LocalHttpServer&, LocalHttpServer&, TestPublisher& publisher) {
                 const SecretKey other = MakeKeyPair().second;
                 publisher.sign(223, &other);
             }},
            {"manifest missing", BeforeAnyFile, "网络连接不通！升级不成功！",
             [](QStringList&, LocalHttpServer& server, LocalHttpServer&, TestPublisher&) {
                 server.remove("/DRV_update/manifest.txt");
             }},
            {"manifest of another version", BeforeAnyFile, "升级文件签名不符！升级不成功！",
             [](QStringList&, LocalHttpServer&, LocalHttpServer&, TestPublisher& publisher) { publisher.sign(224); }},
            {"changed byte in one file", WhileFetching, "升级文件不完整！升级不成功！",
             [newA](QStringList&, LocalHttpServer& server, LocalHttpServer&, TestPublisher&) {
                 QByteArray changed = newA;
                 changed[2] = 'X';
                 server.serve(TestPublisher::path("a.dat"), changed);
             }},
            {"file longer than stated", WhileFetching, "升级文件不完整！升级不成功！",
             [newA](QStringList&, LocalHttpServer& server, LocalHttpServer&, TestPublisher&) {
                 server.serve(TestPublisher::path("a.dat"), newA + QByteArray(100000, 'z'));
             }},
            // No length announced and the connection kept open: only cutting the body off at
            // its stated size ends the download before the stall timeout.
            {"file running on past its size", WhileFetching, "升级文件不完整！升级不成功！",
             [newA](QStringList&, LocalHttpServer& server, LocalHttpServer&, TestPublisher&) {
                 server.serve(TestPublisher::path("a.dat"), newA + "z", LocalHttpServer::Mode::Unending);
             }},
            {"file shorter than stated", WhileFetching, "升级文件不完整！升级不成功！",
             [newA](QStringList&, LocalHttpServer& server, LocalHttpServer&, TestPublisher&) {
                 server.serve(TestPublisher::path("a.dat"), newA.chopped(1));
             }},
            {"file not in the manifest", BeforeAnyFile, "升级文件签名不符！升级不成功！",
             [](QStringList& urls, LocalHttpServer& server, LocalHttpServer&, TestPublisher& publisher) {
                 server.serve(TestPublisher::path("c.dat"), "unlisted");
                 urls << publisher.url("c.dat");
             }},
            {"name with ../", BeforeAnyRequest, "升级信息有误！升级不成功！",
             [](QStringList& urls, LocalHttpServer&, LocalHttpServer&, TestPublisher& publisher) {
                 urls << publisher.url("..%2F..%2Fevil.dat");
             }},
            {"path with ../", BeforeAnyRequest, "升级信息有误！升级不成功！",
             [](QStringList& urls, LocalHttpServer& server, LocalHttpServer&, TestPublisher&) {
                 urls << server.base().toString() + "/DRV_update/../evil.dat";
             }},
            {"name with \\", BeforeAnyRequest, "升级信息有误！升级不成功！",
             [](QStringList& urls, LocalHttpServer& server, LocalHttpServer&, TestPublisher&) {
                 urls << server.base().toString() + "/DRV_update/..\\..\\evil.dat";
             }},
            {"file: URL", BeforeAnyRequest, "升级信息有误！升级不成功！",
             [](QStringList& urls, LocalHttpServer&, LocalHttpServer&, TestPublisher&) {
                 urls << QStringLiteral("file:///etc/hostname");
             }},
            {"data: URL", BeforeAnyRequest, "升级信息有误！升级不成功！",
             [](QStringList& urls, LocalHttpServer&, LocalHttpServer&, TestPublisher&) {
                 urls << QStringLiteral("data:application/octet-stream,evil");
             }},
            {"another host", BeforeAnyRequest, "升级信息有误！升级不成功！",
             [](QStringList& urls, LocalHttpServer&, LocalHttpServer& other, TestPublisher&) {
                 urls[1] = other.url(TestPublisher::path("a.dat")).toString();
             }},
            {"redirect to another host", WhileFetching, "网络连接不通！升级不成功！",
             [](QStringList&, LocalHttpServer& server, LocalHttpServer& other, TestPublisher&) {
                 server.serve(TestPublisher::path("a.dat"), other.url(TestPublisher::path("a.dat")).toEncoded(),
                              LocalHttpServer::Mode::Redirect);
             }},
        };
        for (const Row& row : rows) {
            const QByteArray rowName(row.name);
            TempFolder folder;
            LocalHttpServer server;
            LocalHttpServer other; // another host: another port on this machine
            TestPublisher publisher(server);
            publisher.publish(program, "#!/bin/sh\nexit 0\n");
            publisher.publish("a.dat", newA);
            publisher.publish("b.dat", "new b");
            publisher.sign();
            other.serve(TestPublisher::path("a.dat"), newA);
            QStringList urls = {publisher.url(program), publisher.url("a.dat"), publisher.url("b.dat")};
            row.change(urls, server, other, publisher);

            const std::string newName = "Dorvane" + std::string(kProgramSuffix);
            WriteBytes(folder / newName, "old program \x01\xff");
            WriteBytes(folder / "a.dat", "old a");
            WriteBytes(folder / "b.dat", std::string("old b\0", 6));
            WriteBytes(folder / "version.txt", ("223\r\n" + urls.join("\r\n") + "\r\n").toStdString());
            const auto before = Snapshot(folder.path());
            {
                CUpdorvDlg dialog(folder.path(), publisher.trust());
                dialog.show();
                auto* ok = dialog.findChild<QPushButton*>("okButton");
                QTRY_VERIFY2_WITH_TIMEOUT(ok->isEnabled(), rowName, 10000);
                QVERIFY2(dialog.downloadFailed(), rowName);
                const auto shown = takeShownMessages();
                QVERIFY2(shown.size() == 1, rowName);
                QVERIFY2(shown[0].text == QString::fromUtf8(row.message), rowName + " " + shown[0].text.toUtf8());
            }
            QVERIFY2(Snapshot(folder.path()) == before, rowName);
            QVERIFY2(other.requests().isEmpty(), rowName);
            const QStringList manifestOnly = {"/DRV_update/manifest.txt", "/DRV_update/manifest.sig"};
            switch (row.when) {
            case BeforeAnyRequest: QVERIFY2(server.requests().isEmpty(), rowName); break;
            case BeforeAnyFile:
                QVERIFY2(!server.requests().isEmpty(), rowName);
                for (const QString& request : server.requests())
                    QVERIFY2(manifestOnly.contains(request), rowName + " " + request.toUtf8());
                break;
            case WhileFetching: QVERIFY2(server.requests().size() > 2, rowName); break;
            }
        }
    }

    void oneLineVersionFileFails()
    {
        TempFolder folder;
        WriteBytes(folder / "Version.txt", "223\r\n");
        CUpdorvDlg dialog(folder.path());
        dialog.show();
        auto* ok = dialog.findChild<QPushButton*>("okButton");
        auto* bar = dialog.findChild<QProgressBar*>("progressBar");
        QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), 5000);
        QTRY_COMPARE(bar->value(), 200);
        QCOMPARE(dialog.downloadFailed(), true);
        const auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("升级信息有误！升级不成功！"));
        QCOMPARE(shown[0].icon, MessageIcon::Warning);
        // The first step stays marked, and there is no program to start.
        QCOMPARE(Band(dialog.findChild<QLabel*>("downloadStepLabel")), kPurple);
        QVERIFY(!dialog.startNewProgram());
    }

    void cutOffDownloadLeavesTheOldProgram()
    {
        TempFolder folder;
        LocalHttpServer server;
        TestPublisher publisher(server);
        publisher.publish("Dorvane.ex_", QByteArray(200000, 'n'));
        publisher.publish("a.dat", "further");
        publisher.sign();
        server.serve(TestPublisher::path("Dorvane.ex_"), QByteArray(200000, 'n'), LocalHttpServer::Mode::CutHalfway);
        const std::string newName = "Dorvane" + std::string(kProgramSuffix);
        const std::string old = "old program \x01\x02\xff";
        WriteBytes(folder / newName, old);
        WriteBytes(folder / "Version.txt",
                   ("223\n" + publisher.url("Dorvane.ex_") + "\n" + publisher.url("a.dat")).toStdString());

        CUpdorvDlg dialog(folder.path(), publisher.trust());
        dialog.show();
        auto* ok = dialog.findChild<QPushButton*>("okButton");
        QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), 10000);
        QTRY_COMPARE(dialog.findChild<QProgressBar*>("progressBar")->value(), 200);
        QCOMPARE(dialog.downloadFailed(), true);
        QCOMPARE(takeShownMessages().value(0).text, QStringLiteral("网络连接不通！升级不成功！"));
        QCOMPARE(ReadBytes(folder / newName), old);
        // No temporary file is left, and the further file was not fetched after the failure.
        QCOMPARE(FilesBeside(folder.path()), QStringList({QString::fromStdString(newName), "Version.txt"}));
        QCOMPARE(server.requests(),
                 QStringList({"/DRV_update/manifest.txt", "/DRV_update/manifest.sig", "/DRV_update/Dorvane.ex_"}));
    }

    void progressSlowsDownAfterHalfway()
    {
        TempFolder folder;
        LocalHttpServer server;
        TestPublisher publisher(server);
        publisher.publish("Dorvane.ex_", "program");
        publisher.sign();
        server.serve(TestPublisher::path("Dorvane.ex_"), "program", LocalHttpServer::Mode::Held);
        WriteBytes(folder / "Version.txt", ("223\r\n" + publisher.url("Dorvane.ex_") + "\r\n").toStdString());

        CUpdorvDlg dialog(folder.path(), publisher.trust());
        dialog.show();
        auto* bar = dialog.findChild<QProgressBar*>("progressBar");
        QCOMPARE(dialog.tickInterval(), 200);
        QTRY_VERIFY_WITH_TIMEOUT(bar->value() >= 100, 5000);
        QCOMPARE(dialog.tickInterval(), 200);
        QTRY_COMPARE_WITH_TIMEOUT(dialog.tickInterval(), 400, 2000);
        QVERIFY(bar->value() < 200);
        QTRY_COMPARE_WITH_TIMEOUT(dialog.tickInterval(), 800, 2000);
        QCOMPARE(server.heldCount(), 1);
        server.release();
        auto* ok = dialog.findChild<QPushButton*>("okButton");
        QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), 5000);
        QCOMPARE(bar->value(), 200);
        QCOMPARE(dialog.downloadSucceeded(), true);
    }

    void cancelDuringTheDownloadEndsAtOnce()
    {
        TempFolder folder;
        LocalHttpServer server;
        TestPublisher publisher(server);
        publisher.publish("Dorvane.ex_", "new");
        publisher.sign();
        server.serve(TestPublisher::path("Dorvane.ex_"), "new", LocalHttpServer::Mode::Held);
        const std::string newName = "Dorvane" + std::string(kProgramSuffix);
        WriteBytes(folder / newName, "old");
        WriteBytes(folder / "Version.txt", ("223\r\n" + publisher.url("Dorvane.ex_")).toStdString());
        {
            CUpdorvDlg dialog(folder.path(), publisher.trust());
            dialog.show();
            QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, 5000);
            QTest::mouseClick(dialog.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
        } // the dialog's end abandons the transfer instead of waiting for it
        QCOMPARE(ReadBytes(folder / newName), std::string("old"));
        QCOMPARE(FilesBeside(folder.path()), QStringList({QString::fromStdString(newName), "Version.txt"}));
    }

    void aboutBoxNamesTheUpdater()
    {
        TempFolder folder;
        WriteBytes(folder / "Version.txt", "223\r\n");
        CUpdorvDlg dialog(folder.path());
        dialog.show();
        QString title;
        QStringList texts;
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!about)
                return;
            title = about->windowTitle();
            for (auto* label : about->findChildren<QLabel*>())
                texts << label->text();
            about->accept();
        });
        dialog.showAbout();
        QCOMPARE(title, QStringLiteral("关于 Updorv"));
        QVERIFY(texts.contains(QStringLiteral("Updorv 1.0 版")));
        QTRY_VERIFY(dialog.findChild<QPushButton*>("okButton")->isEnabled());
    }

    void refusesToRunWithoutVersionFile()
    {
        TempFolder folder;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(folder.path().string()));
        CUpdorvApp app;
        // Beside the updater: nothing there. Under another name: the current directory,
        // also empty.
        QCOMPARE(app.InitInstance(folder / UpdaterProgramName()), 0);
        QCOMPARE(app.updaterFolder(), folder.path());
        QCOMPARE(app.InitInstance(folder / "Updorv-copy"), 0);
        QVERIFY(app.updaterFolder().empty());
        QDir::setCurrent(previous);
        const auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].text, QStringLiteral("本文件为升级模块，无法单独运行！\n请在主程序中运行在线升级功能调用本模块！"));
        QCOMPARE(shown[0].icon, MessageIcon::Warning);
        QCOMPARE(shown[1].text, shown[0].text);
    }
};

QTEST_MAIN(UpdorvDlgTest)
#include "UpdorvDlgTest.moc"
