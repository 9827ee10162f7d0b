#include "app/AddressBook.h"
#include "app/PrintLog.h"
#include "cli/CliRunner.h"
#include "support/TestStore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dorvane;
using dorvane::test::CliFolder;

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
};

QTEST_MAIN(DbCopyTest)
#include "DbCopyTest.moc"
