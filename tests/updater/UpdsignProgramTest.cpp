#include "support/TempFolder.h"
#include "updater/UpdateIntegrity.h"

#include <QProcess>
#include <QtTest>

#include <filesystem>

using namespace dorvane;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
using dorvane::test::WriteBytes;
namespace fs = std::filesystem;

namespace {

// Runs the real dorvane-updsign with umask 0, so that nothing but the program itself narrows
// a file's mode, and with its file system calls traced into trace.
int RunUpdsign(const QStringList& args, const fs::path& trace)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(
        QStringLiteral("sh"),
        QStringList{QStringLiteral("-c"),
                    QStringLiteral("umask 0 && exec strace -f -qq -e "
                                   "trace=open,openat,creat,chmod,fchmod,fchmodat -o \"$0\" \"$@\""),
                    QString::fromStdString(trace.string()), QStringLiteral(UPDSIGN)} +
            args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

} // namespace

class UpdsignProgramTest : public QObject {
    Q_OBJECT
private slots:
    // The secret key is never readable by anyone else, not even between creating its file and
    // narrowing it: the file is created new with mode 0600, and it is the key sign then uses.
    void keygenCreatesTheSecretKeyPrivate()
    {
        TempFolder folder;
        const fs::path key = folder / "update.key";
        const fs::path trace = folder / "trace";
        QCOMPARE(RunUpdsign({QStringLiteral("keygen"), QString::fromStdString(key.string())}, trace), 0);
        QCOMPARE(fs::status(key).permissions() & fs::perms::mask, fs::perms(0600));
        QStringList opens;
        for (const QString& line : QString::fromStdString(ReadBytes(trace)).split(QLatin1Char('\n'))) {
            if (line.contains(QLatin1String("update.key\"")))
                opens << line;
        }
        QCOMPARE(opens.size(), 1);
        QVERIFY2(opens[0].contains(QLatin1String("O_CREAT|O_EXCL")) &&
                     opens[0].contains(QLatin1String(", 0600)")),
                 qPrintable(opens[0]));

        // The key signs: an executable file is marked so in the manifest it writes.
        const fs::path program = folder / "dorvane-cli";
        WriteBytes(program, "cli");
        fs::permissions(program, fs::perms(0755));
        WriteBytes(folder / "a.dat", "data");
        QCOMPARE(RunUpdsign({QStringLiteral("sign"), QString::fromStdString(key.string()),
                             QStringLiteral("223"), QString::fromStdString(folder.path().string()),
                             QString::fromStdString(program.string()),
                             QString::fromStdString((folder / "a.dat").string())},
                            trace),
                 0);
        const auto publicKey = FromHex(ReadBytes(folder / "update.key.pub").substr(0, 64), 32);
        QVERIFY(publicKey);
        PublicKey pub{};
        std::copy(publicKey->begin(), publicKey->end(), pub.begin());
        const std::string manifest = ReadBytes(folder / "manifest.txt");
        QVERIFY(VerifyDetached(manifest, ReadBytes(folder / "manifest.sig"), pub));
        const auto parsed = ParseManifest(manifest);
        QVERIFY(parsed && parsed->files.size() == 2);
        QVERIFY(parsed->find("dorvane-cli")->executable);
        QVERIFY(!parsed->find("a.dat")->executable);
    }

    // A name taken by a file or by a link, even one leading nowhere yet, is never written
    // through: the key would land wherever the link points.
    void keygenWritesNoTakenName()
    {
        TempFolder folder;
        const fs::path elsewhere = folder / "elsewhere.key";
        const fs::path link = folder / "update.key";
        fs::create_symlink(elsewhere, link);
        QVERIFY(RunUpdsign({QStringLiteral("keygen"), QString::fromStdString(link.string())},
                           folder / "trace") != 0);
        QVERIFY(!fs::exists(elsewhere));
        QVERIFY(!fs::exists(folder / "update.key.pub"));

        const fs::path existing = folder / "old.key";
        WriteBytes(existing, "old secret\n");
        QVERIFY(RunUpdsign({QStringLiteral("keygen"), QString::fromStdString(existing.string())},
                           folder / "trace") != 0);
        QCOMPARE(ReadBytes(existing), std::string("old secret\n"));
    }
};

QTEST_MAIN(UpdsignProgramTest)
#include "UpdsignProgramTest.moc"
