#include "settings/DatabasePage.h"
#include "store/AddressBook.h"
#include "store/StoreListeners.h"
#include "store/StoreLocation.h"
#include "support/WorkFolderFixture.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace dorvane;
using dorvane::test::WorkFolderFixture;

class DatabasePageTest : public QObject {
    Q_OBJECT

private:
    static QString TestResult(CDatabasePage& page)
    {
        QSignalSpy tested(&page, &CDatabasePage::tested);
        QTest::mouseClick(page.findChild<QPushButton*>("testConnectionButton"), Qt::LeftButton);
        // The window answers while the test runs.
        if (page.findChild<QLabel*>("resultLabel")->text() != QStringLiteral("正在连接…"))
            return QStringLiteral("<the click waited for the result>");
        if (!tested.wait(10000))
            return QStringLiteral("<no result>");
        return page.findChild<QLabel*>("resultLabel")->text();
    }

    // As the user does: a click into the box, then the keys to whatever holds the focus.
    static void Retype(QLineEdit* edit, const QString& text)
    {
        QTest::mouseClick(edit, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), edit);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }

private slots:
    // The password stays in its masked box; a server that is down gives the file's message.
    void showsTheStringWithoutItsPasswordAndTestsIt()
    {
        WorkFolderFixture work;
        const QTemporaryDir noServer;
        work.write("Set/database.ini", "host=" + noServer.path().toStdString() + " dbname=shop password='s3cret'\r\n");
        StoreListeners listeners;
        CDatabasePage page(work.workspace(), listeners);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto* connection = page.findChild<QLineEdit*>("connectionEdit");
        auto* password = page.findChild<QLineEdit*>("passwordEdit");
        QCOMPARE(connection->text(), QStringLiteral("host=") + noServer.path() + QStringLiteral(" dbname=shop"));
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QVERIFY(!password->displayText().contains(QStringLiteral("s3cret")));

        const QString failed = TestResult(page);
        QVERIFY2(failed.startsWith(QStringLiteral("不能打开数据库")), qPrintable(failed));
        QVERIFY2(!failed.contains(QStringLiteral("s3cret")), qPrintable(failed));
    }

    // Saved, the string is where the address book is looked for; emptied, the file is again.
    void savesTheStringAndGoesBackToTheFile()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        const QString server = qEnvironmentVariable("DORVANE_TEST_PG");
        if (server.isEmpty()) {
            if (qEnvironmentVariable("DORVANE_REQUIRE_PG") == QStringLiteral("1"))
                QFAIL("DORVANE_TEST_PG is not set");
            QSKIP("DORVANE_TEST_PG is not set: no PostgreSQL server to test against");
        }
        StoreListeners listeners;
        CDatabasePage page(work.workspace(), listeners);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QSignalSpy saved(&page, &CDatabasePage::saved);
        Retype(page.findChild<QLineEdit*>("connectionEdit"), server);
        Retype(page.findChild<QLineEdit*>("passwordEdit"), QStringLiteral("it's"));
        QCOMPARE(TestResult(page), QStringLiteral("连接成功")); // trust: any password is taken
        QTest::mouseClick(page.findChild<QPushButton*>("saveConnectionButton"), Qt::LeftButton);
        QCOMPARE(saved.count(), 1);
        QCOMPARE(work.read("Set/database.ini"), server.toStdString() + " password='it\\'s'\r\n");
        QCOMPARE(AddressBookLocation(work.workspace().WorkFolder).server,
                 server.toStdString() + " password='it\\'s'");

        Retype(page.findChild<QLineEdit*>("connectionEdit"), QString());
        Retype(page.findChild<QLineEdit*>("passwordEdit"), QString());
        QCOMPARE(TestResult(page), QStringLiteral("连接成功")); // the file
        QTest::mouseClick(page.findChild<QPushButton*>("saveConnectionButton"), Qt::LeftButton);
        QCOMPARE(work.read("Set/database.ini"), std::string("\r\n"));
        QVERIFY(!AddressBookLocation(work.workspace().WorkFolder).onServer());
        QCOMPARE(AddressBookLocation(work.workspace().WorkFolder).file,
                 AddressBookPath(work.workspace().WorkFolder));
    }
};

QTEST_MAIN(DatabasePageTest)
#include "DatabasePageTest.moc"
