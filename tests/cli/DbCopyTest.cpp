#include "store/AddressBook.h"
#include "store/PrintLog.h"
#include "cli/CliRunner.h"
#include "support/TestQueue.h"
#include "support/MuteServer.h"
#include "support/TestStore.h"

#include <QPrinterInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace dorvane;
using dorvane::test::CliFolder;
using dorvane::test::CliResult;

// dorvane-cli against the shared server: the station's file copied onto it once, the log read
// back from it, and a server that is down.
class DbCopyTest : public QObject {
    Q_OBJECT

private slots:
    void copiesTheFileOntoTheServerOnceAndReadsTheLogFromThere()
    {
        test::TestStore store(test::Engine::Server);
        if (const std::string& problem = store.Problem(); !problem.empty()) {
            if (test::TestStore::ServerRequired())
                QFAIL(problem.c_str());
            QSKIP(problem.c_str());
        }
        CliFolder folder;
        const auto file = AddressBookPath(folder.fsPath());
        const AddressBook book(file);
        QVERIFY(book.Add(AddressTable::SendAddress, "a"));
        QVERIFY(book.Add(AddressTable::ReceiptAddress, "b,1,,x\r\ny,100000"));
        QVERIFY(book.Add(AddressTable::ReceiptAddress, "c"));
        std::vector<PrintLogEntry> printed(3);
        for (std::size_t i = 0; i < printed.size(); ++i) {
            printed[i].time = "2026-03-0" + std::to_string(i + 1) + " 08:00:00";
            printed[i].texts[3] = "R" + std::to_string(i);
        }
        QVERIFY(PrintLog(file).Append(printed));

        const QByteArray secret = "pa55word";
        folder.write(QStringLiteral("Set/database.ini"),
                     QByteArray::fromStdString(store.connection()) + " password=" + secret + "\r\n");
        auto result = folder.run({QStringLiteral("db-copy")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.out, QStringLiteral("table\tfile\tserver\nSendAddress\t1\t1\nReceiptAddress\t2\t2\n"
                                            "ProductName\t0\t0\nPrintLog\t3\t3\n"));

        // The log now comes from the server, newest first.
        result = folder.run({QStringLiteral("log")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].contains(QStringLiteral("2026-03-03 08:00:00\t")), qPrintable(lines[0]));

        // A second copy would double every row.
        result = folder.run({QStringLiteral("db-copy")});
        QCOMPARE(result.exitCode, 2); // kExitError
        QVERIFY2(result.err.contains(QStringLiteral("already holds rows")), qPrintable(result.err));
        QVERIFY2(!result.err.contains(QString::fromLatin1(secret)), qPrintable(result.err));

        // A server that is down: refused at once, no crash, and the password never shown.
        const QTemporaryDir noServer;
        folder.write(QStringLiteral("Set/database.ini"),
                     "host=" + noServer.path().toUtf8() + " dbname=shop password=" + secret + "\r\n");
        for (const QString& command : {QStringLiteral("log"), QStringLiteral("db-copy")}) {
            result = folder.run({command});
            QVERIFY(result.finished);
            QCOMPARE(result.exitCode, 2); // kExitError
            QVERIFY2(result.err.contains(QStringLiteral("No such file or directory")), qPrintable(result.err));
            QVERIFY2(!result.err.contains(QString::fromLatin1(secret)), qPrintable(result.err));
            QVERIFY2(result.err.contains(QStringLiteral("password='********'")), qPrintable(result.err));
        }
    }

    // The server stops while the station prints five waybills: they print, wait beside the
    // settings, and reach the server's log once it is back, each exactly once, even when the
    // queue is sent again (a program stopped before it could forget what it sent).
    void waybillsPrintedWhileTheServerIsDownReachItOnce()
    {
        test::TestStore shared(test::Engine::Server); // the sign that PostgreSQL is here to test with
        if (const std::string& problem = shared.Problem(); !problem.empty()) {
            if (test::TestStore::ServerRequired())
                QFAIL(problem.c_str());
            QSKIP(problem.c_str());
        }
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        // A server of this test's own, to stop and start.
        QTemporaryDir own;
        QVERIFY(QFile::setPermissions(own.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                      QFileDevice::ExeOther));
        const QString script = qEnvironmentVariable("DORVANE_SOURCE_DIR") + QStringLiteral("/scripts/pg-test-server.sh");
        const QString serverDir = own.filePath(QStringLiteral("pg"));
        QString started;
        const auto server = [&](const QString& command) {
            QProcess process;
            process.start(script, {command, serverDir});
            const bool done = process.waitForFinished(60000) && process.exitCode() == 0;
            if (command == QStringLiteral("start"))
                started = QString::fromUtf8(process.readAllStandardOutput());
            return done;
        };
        QVERIFY(server(QStringLiteral("start")));
        const auto stop = qScopeGuard([&] { server(QStringLiteral("stop")); });
        const qsizetype quote = started.indexOf(QLatin1Char('\''));
        QVERIFY2(quote > 0, qPrintable(started));
        const QString connection = started.mid(quote + 1, started.lastIndexOf(QLatin1Char('\'')) - quote - 1);

        CliFolder folder;
        folder.write(QStringLiteral("Set/database.ini"), connection.toUtf8() + "\r\n");
        const auto print = [&](int n) {
            return folder.run({QStringLiteral("print"), QStringLiteral("--printer"), QStringLiteral("dorvane-test"),
                               QStringLiteral("收件人姓名=断线%1").arg(n)});
        };
        CliResult result = print(0);
        QVERIFY2(result.exitCode == 0 && result.err.isEmpty(), qPrintable(result.err));

        QVERIFY(server(QStringLiteral("pause")));
        for (int n = 1; n <= 5; ++n) {
            result = print(n);
            QVERIFY2(result.exitCode == 0 && result.err.isEmpty(), qPrintable(result.err));
        }
        QCOMPARE(folder.run({QStringLiteral("log")}).exitCode, 2); // kExitError: the log cannot be read
        QFile queue(folder.path(QStringLiteral("Set/printlog-queue.txt")));
        QVERIFY(queue.open(QIODevice::ReadOnly));
        const QByteArray queued = queue.readAll();
        queue.close();
        QCOMPARE(queued.count('\n'), 5);

        QVERIFY(server(QStringLiteral("resume")));
        const auto names = [&] {
            QStringList found;
            const CliResult log = folder.run({QStringLiteral("log")});
            for (const QString& line : log.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                found.append(line.split(QLatin1Char('\t')).value(6));
            return found;
        };
        const QStringList expected = {QStringLiteral("断线5"), QStringLiteral("断线4"), QStringLiteral("断线3"),
                                      QStringLiteral("断线2"), QStringLiteral("断线1"), QStringLiteral("断线0")};
        QCOMPARE(names(), expected);
        QVERIFY(!queue.exists());
        folder.write(QStringLiteral("Set/printlog-queue.txt"), queued);
        QCOMPARE(names(), expected);
    }

    // A server that lets the station log in and then answers nothing: the waybill prints, the
    // tool ends by itself (the runner gives it a minute) and the entry waits for the server.
    void aServerThatStopsAnsweringLetsThePrintEnd()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        const test::MuteServer server(test::MuteServer::Mode::LoginOnly);
        QVERIFY(server.listening());
        CliFolder folder;
        folder.write(QStringLiteral("Set/database.ini"), QByteArray::fromStdString(server.connection()) +
                                                             " options='-c statement_timeout=1000'\r\n");
        const CliResult result =
            folder.run({QStringLiteral("print"), QStringLiteral("--printer"), QStringLiteral("dorvane-test"),
                        QStringLiteral("收件人姓名=无应答")});
        QVERIFY2(result.finished, "dorvane-cli did not end");
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QVERIFY2(!result.err.contains(QStringLiteral("pa55word")), qPrintable(result.err));
        QFile queue(folder.path(QStringLiteral("Set/printlog-queue.txt")));
        QVERIFY(queue.open(QIODevice::ReadOnly));
        QCOMPARE(queue.readAll().count('\n'), 1);
        QCOMPARE(server.connections(), 1); // the queue and the entry did not each wait again
    }

    // A Set/database.ini written by hand with a password and open to others is made its owner's
    // alone at the next start, which says so; one without a password keeps its mode.
    void aDatabaseIniOpenToOthersIsNarrowedAtStart()
    {
        CliFolder folder;
        const QString ini = folder.path(QStringLiteral("Set/database.ini"));
        const auto mode = [&] {
            struct stat status {};
            return ::stat(ini.toLocal8Bit().constData(), &status) == 0 ? int(status.st_mode & 0777) : -1;
        };
        folder.write(QStringLiteral("Set/database.ini"), "host=/nonexistent dbname=shop\r\n");
        QVERIFY(::chmod(ini.toLocal8Bit().constData(), 0664) == 0);
        folder.runAsNobody();
        CliResult result = folder.run({QStringLiteral("templates")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(mode(), 0664);
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err));

        folder.write(QStringLiteral("Set/database.ini"), "host=/nonexistent dbname=shop password=s3cret\r\n");
        result = folder.run({QStringLiteral("templates")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(mode(), 0600);
        QVERIFY2(result.err.contains(QStringLiteral("只有本用户可以读写")), qPrintable(result.err));
        result = folder.run({QStringLiteral("templates")});
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err)); // said once
    }
};

QTEST_MAIN(DbCopyTest)
#include "DbCopyTest.moc"
