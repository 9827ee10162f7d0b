#include "workspace/Workspace.h"
#include "app/DorvaneApp.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <map>

#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/inotify.h>
#include <unistd.h>

using namespace dorvane;

namespace {
std::string ReadFile(const QString& path)
{
    std::ifstream file(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteFile(const QString& path, const std::string& bytes)
{
    std::ofstream file(path.toStdString(), std::ios::binary | std::ios::trunc);
    file << bytes;
}

// Hands a folder and everything in it to nobody:nogroup; false when there is no such user.
bool GiveToNobody(const std::filesystem::path& folder)
{
    const passwd* user = getpwnam("nobody");
    const group* nogroup = getgrnam("nogroup");
    if (!user || !nogroup || chown(folder.c_str(), user->pw_uid, nogroup->gr_gid) != 0)
        return false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (chown(entry.path().c_str(), user->pw_uid, nogroup->gr_gid) != 0)
            return false;
    return true;
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
        const Workspace& app = theApp.workspace();
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

    // The real program, started by an ordinary user on settings files it may read but not
    // write (root would write them whatever their mode): they keep what they hold.
    void readOnlySettingsSurviveARealStart()
    {
        QTemporaryDir work;
        QVERIFY(work.isValid());
        QVERIFY(QDir(work.path()).mkpath(QStringLiteral("Set")) &&
                QDir(work.path()).mkpath(QStringLiteral("dataM")));
        const QDir data(qEnvironmentVariable("DORVANE_SOURCE_DIR") + QStringLiteral("/data"));
        for (const QString& name :
             data.entryList({QStringLiteral("*.dat"), QStringLiteral("*.bmp")}, QDir::Files))
            QVERIFY(QFile::copy(data.filePath(name), work.filePath(QStringLiteral("dataM/") + name)));
        const QString book = work.filePath(QStringLiteral("dataM/Dorvane.dorv"));
        QVERIFY(QFile::copy(qEnvironmentVariable("DORVANE_RUN_DIR") + QStringLiteral("/../data/Dorvane.dorv"),
                            book));
        QFile::setPermissions(book, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        const std::map<QString, std::string> custom = {
            {QStringLiteral("Set/FontSet.ini"), "-16,0,0,0,700,0,0,0,134,3,2,1,2,Times New Roman\r\n"
                                                "-22,0,0,0,400,0,0,0,134,3,2,1,49,DejaVu Sans\r\n"},
            {QStringLiteral("Set/address.ini"),
             "Li Lei,Shanghai,Acme,13800138000,021-1,Road 1,200000,Books,Li\r\n"},
            {QStringLiteral("Set/mould.ini"), "2\r\n0\r\n1\r\n"}, // help switched off
        };
        for (const auto& [file, bytes] : custom) {
            WriteFile(work.filePath(file), bytes);
            QVERIFY(QFile::setPermissions(work.filePath(file), QFileDevice::ReadOwner |
                                                                   QFileDevice::ReadGroup |
                                                                   QFileDevice::ReadOther));
        }
        const QString home = work.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home));

        QProcess program;
        program.setWorkingDirectory(work.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home);
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        program.setProcessEnvironment(environment);
        QString binary = qEnvironmentVariable("DORVANE_RUN_DIR") + QStringLiteral("/Dorvane");
        if (geteuid() == 0) {
            const QStringList asNobody = {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                          QStringLiteral("--clear-groups")};
            // A build folder that nobody cannot reach (under /root, say): run a copy from the
            // work folder instead.
            if (QProcess::execute(
                    QStringLiteral("setpriv"),
                    asNobody + QStringList{QStringLiteral("test"), QStringLiteral("-x"), binary}) != 0) {
                const QString copy = work.filePath(QStringLiteral("Dorvane"));
                QVERIFY(QFile::copy(binary, copy));
                binary = copy;
            }
            QVERIFY(GiveToNobody(std::filesystem::path(work.path().toStdString())));
            program.setProgram(QStringLiteral("setpriv"));
            program.setArguments(asNobody + QStringList{binary});
        } else {
            program.setProgram(binary);
        }

        // The main window opens the address book after it has read every settings file: that
        // open is the sign that start-up is over.
        const int watch = inotify_init1(IN_CLOEXEC);
        QVERIFY(watch >= 0);
        QVERIFY(inotify_add_watch(watch, book.toLocal8Bit().constData(), IN_OPEN) >= 0);
        program.start();
        QVERIFY(program.waitForStarted(10000));
        bool bookOpened = false;
        QElapsedTimer waited;
        waited.start();
        while (!bookOpened && waited.elapsed() < 60000 && !program.waitForFinished(0)) {
            pollfd event{watch, POLLIN, 0};
            bookOpened = poll(&event, 1, 100) > 0;
        }
        close(watch);
        QVERIFY2(bookOpened,
                 qPrintable(QStringLiteral("the program did not get as far as the address book: ") +
                            QString::fromLocal8Bit(program.readAllStandardError())));
        program.terminate();
        QVERIFY(program.waitForFinished(30000));

        QStringList replaced;
        for (const auto& [file, bytes] : custom)
            if (ReadFile(work.filePath(file)) != bytes)
                replaced << file;
        QVERIFY2(replaced.isEmpty(),
                 qPrintable(QStringLiteral("replaced: ") + replaced.join(QStringLiteral(", "))));
        // A file that was missing still gets its defaults.
        QCOMPARE(ReadFile(work.filePath(QStringLiteral("Set/set.ini"))),
                 std::string("Jolimark FP-630K+\r\n0,0,0,0\r\n"));
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
