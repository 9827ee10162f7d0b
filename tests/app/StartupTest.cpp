#include "app/AppValues.h"
#include "app/DorvaneApp.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using namespace dorvane;

namespace {
std::string ReadFile(const QString& path)
{
    std::ifstream file(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}
} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartCreatesSettingsBeforeTheMainWindow()
    {
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));

        bool mainDialogRan = false;
        CDorvaneApp theApp;
        theApp.RunMainDialog = [&] {
            mainDialogRan = true;
            // Both files exist before the main window would appear.
            QVERIFY(QFile::exists(work.filePath("Set/set.ini")));
            QVERIFY(QFile::exists(work.filePath("Set/FontSet.ini")));
        };
        QCOMPARE(theApp.InitInstance(), false);
        QDir::setCurrent(previous);

        QVERIFY(mainDialogRan);
        const AppValues& app = App();
        QCOMPARE(QString::fromStdString(app.WorkFolder.string()), QDir(work.path()).absolutePath());
        QCOMPARE(app.PrinterName, std::string("Jolimark FP-630K+"));
        QCOMPARE(app.BodyFont.height, -14);
        QCOMPARE(app.DestinationFont.height, -20);
        QCOMPARE(ReadFile(work.filePath("Set/set.ini")), std::string("Jolimark FP-630K+\r\n0,0,0,0\r\n"));
        QVERIFY(app.DatabasePath.string().ends_with("dataM/Dorvane.dorv"));

        // No Access driver here, so the registry script route was taken in the work folder.
        const std::string script = ReadFile(work.filePath("Dorvane.reg"));
        QVERIFY(script.starts_with("Windows Registry Editor Version 5.00\r\n\r\n"));
        const std::string escaped = QDir(work.path()).absolutePath().replace('/', "\\\\").toStdString();
        QVERIFY(script.find("\"DefaultDir\"=\"" + escaped + "\"\r\n") != std::string::npos);
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
