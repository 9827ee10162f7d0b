#include "updater/UpdorvDlg.h"

#include "app/MessageBox.h"
#include "support/TempFolder.h"
#include "updater/LocalHttpServer.h"
#include "updater/UpdorvApp.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace dorvane;
using dorvane::test::LocalHttpServer;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
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

} // namespace

class UpdorvDlgTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setMessagesAnsweredByTest(true); }

    void downloadsProgramAndFurtherFilesThenStartsTheProgram()
    {
        TempFolder folder;
        LocalHttpServer server;
        // The new "main program" leaves a mark when it is started.
        const fs::path marker = folder / "started.txt";
        const QByteArray program = "#!/bin/sh\necho new > '" + QByteArray::fromStdString(marker.string()) + "'\n";
        server.serve("/DRV_update/Dorvane.ex_", program);
        server.serve("/DRV_update/a.dat", "layout bytes");
        server.serve("/DRV_update/b.bmp", QByteArray(70000, 'b'));
        WriteBytes(folder / "Dorvane", "old program");
        WriteBytes(folder / "version.txt",
                   ("223\r\n" + server.url("/DRV_update/Dorvane.ex_").toString() + "\r\n"
                    + server.url("/DRV_update/a.dat").toString() + "\r\n" + server.url("/DRV_update/b.bmp").toString() + "\r\n")
                       .toStdString());

        CUpdorvDlg dialog(folder.path());
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
        QCOMPARE(DownloadSucceeded.load(), 1);
        QCOMPARE(DownloadFailed.load(), 0);
        QCOMPARE(Band(downloadStep), QColor(Qt::white));
        QCOMPARE(Band(completeStep), kPurple);
        QCOMPARE(completeStep->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(takeShownMessages().isEmpty());

        const std::string newName = "Dorvane" + std::string(kProgramSuffix);
        QCOMPARE(dialog.newProgramFile(), newName);
        QCOMPARE(QByteArray::fromStdString(ReadBytes(folder / newName)), program);
        QCOMPARE(ReadBytes(folder / "a.dat"), std::string("layout bytes"));
        QCOMPARE(ReadBytes(folder / "b.bmp"), std::string(70000, 'b'));
        QVERIFY((fs::status(folder / newName).permissions() & fs::perms::owner_exec) != fs::perms::none);
        QCOMPARE(FilesBeside(folder.path()), QStringList({"Dorvane", "a.dat", "b.bmp", "version.txt"}));

        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(marker), 5000);
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
        QCOMPARE(DownloadFailed.load(), 1);
        const auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("网络连接不通！升级不成功！"));
        QCOMPARE(shown[0].icon, MessageIcon::Warning);
        // The first step stays marked, and there is no program to start.
        QCOMPARE(Band(dialog.findChild<QLabel*>("downloadStepLabel")), kPurple);
        QVERIFY(!dialog.startNewProgram());
    }

    void cutOffDownloadLeavesTheOldProgram()
    {
        TempFolder folder;
        LocalHttpServer server;
        server.serve("/u/Dorvane.ex_", QByteArray(200000, 'n'), LocalHttpServer::Mode::CutHalfway);
        server.serve("/u/a.dat", "further");
        const std::string newName = "Dorvane" + std::string(kProgramSuffix);
        const std::string old = "old program \x01\x02\xff";
        WriteBytes(folder / newName, old);
        WriteBytes(folder / "Version.txt",
                   ("223\n" + server.url("/u/Dorvane.ex_").toString() + "\n" + server.url("/u/a.dat").toString())
                       .toStdString());

        CUpdorvDlg dialog(folder.path());
        dialog.show();
        auto* ok = dialog.findChild<QPushButton*>("okButton");
        QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), 10000);
        QTRY_COMPARE(dialog.findChild<QProgressBar*>("progressBar")->value(), 200);
        QCOMPARE(DownloadFailed.load(), 1);
        QCOMPARE(takeShownMessages().value(0).text, QStringLiteral("网络连接不通！升级不成功！"));
        QCOMPARE(ReadBytes(folder / newName), old);
        // No temporary file is left, and the further file was not fetched after the failure.
        QCOMPARE(FilesBeside(folder.path()), QStringList({QString::fromStdString(newName), "Version.txt"}));
        QCOMPARE(server.requests(), QStringList({"/u/Dorvane.ex_"}));
    }

    void progressSlowsDownAfterHalfway()
    {
        TempFolder folder;
        LocalHttpServer server;
        server.serve("/u/Dorvane.ex_", "program", LocalHttpServer::Mode::Held);
        WriteBytes(folder / "Version.txt", ("223\r\n" + server.url("/u/Dorvane.ex_").toString() + "\r\n").toStdString());

        CUpdorvDlg dialog(folder.path());
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
        QCOMPARE(DownloadSucceeded.load(), 1);
    }

    void cancelDuringTheDownloadEndsAtOnce()
    {
        TempFolder folder;
        LocalHttpServer server;
        server.serve("/u/Dorvane.ex_", "new", LocalHttpServer::Mode::Held);
        const std::string newName = "Dorvane" + std::string(kProgramSuffix);
        WriteBytes(folder / newName, "old");
        WriteBytes(folder / "Version.txt", ("223\r\n" + server.url("/u/Dorvane.ex_").toString()).toStdString());
        {
            CUpdorvDlg dialog(folder.path());
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
