// The main window on a real X11 display takes a shop address that another program copies.
#include "base/MessageBox.h"
#include "store/PrintLog.h"
#include "store/StoreLocation.h"
#include "print/PdfReadBack.h"
#include "print/QueueJobs.h"
#include "support/TestQueue.h"
#include "support/WorkFolderFixture.h"
#include "waybill/WaybillDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QInputMethodEvent>
#include <QPrinterInfo>
#include <QPushButton>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>

using namespace dorvane;
using namespace dorvane::test;

namespace {
// Copies text the way another program does: xclip owns the clipboard from then on.
void CopyWithXclip(const WorkFolderFixture& work, const QString& text)
{
    const QString file = work.path(QStringLiteral("copied.txt"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(text.toUtf8());
    out.close();
    const int rc = QProcess::execute(QStringLiteral("sh"),
                                     {QStringLiteral("-c"),
                                      QStringLiteral("xclip -selection clipboard -t UTF8_STRING -i '%1' >/dev/null 2>&1").arg(file)});
    QCOMPARE(rc, 0);
}
} // namespace

class ClipboardX11Test : public QObject {
    Q_OBJECT

    QueueJobs jobs_; // the jobs sent since the test began

private slots:
    void init()
    {
        setMessagesAnsweredByTest(true);
        jobs_ = QueueJobs();
    }

    void anotherProgramsCopyReplacesTheRecipientOnly()
    {
        WorkFolderFixture work;
        CWaybillDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* senderName = dialog.findChild<QLineEdit*>(QStringLiteral("senderNameEdit"));
        auto* recipientCompany = dialog.findChild<QLineEdit*>(QStringLiteral("recipientCompanyEdit"));
        senderName->setText(QStringLiteral("李四"));
        recipientCompany->setText(QStringLiteral("某公司"));

        CopyWithXclip(work, QStringLiteral("张三，13900000000，0574-88888888，浙江省 宁波市 鄞州区 某路 8 号，315000"));
        auto* recipientName = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        QTRY_COMPARE_WITH_TIMEOUT(recipientName->text(), QStringLiteral("张三"), 10000);
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("recipientMobileEdit"))->text(), QStringLiteral("13900000000"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("recipientTelephoneEdit"))->text(), QStringLiteral("0574-88888888"));
        QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("recipientAddressEdit"))->toPlainText(),
                 QStringLiteral("浙江省宁波市鄞州区某路8号"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("recipientPostcodeEdit"))->text(), QStringLiteral("315000"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("destinationEdit"))->text(), QStringLiteral("宁波市"));
        // The copy replaces the whole recipient, company included, and keeps the sender.
        QCOMPARE(senderName->text(), QStringLiteral("李四"));
        QCOMPARE(recipientCompany->text(), QString());

        // A plain word is no address: nothing changes.
        recipientName->setText(QStringLiteral("王五"));
        CopyWithXclip(work, QStringLiteral("hello"));
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), QStringLiteral("hello"), 10000);
        QTest::qWait(200);
        QCOMPARE(recipientName->text(), QStringLiteral("王五"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("recipientMobileEdit"))->text(), QStringLiteral("13900000000"));
    }

    void messyCopiesLandInTheirBoxes()
    {
        WorkFolderFixture work;
        CWaybillDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        auto* mobile = dialog.findChild<QLineEdit*>(QStringLiteral("recipientMobileEdit"));
        auto* address = dialog.findChild<QPlainTextEdit*>(QStringLiteral("recipientAddressEdit"));
        auto* postcode = dialog.findChild<QLineEdit*>(QStringLiteral("recipientPostcodeEdit"));
        auto* destination = dialog.findChild<QLineEdit*>(QStringLiteral("destinationEdit"));

        // A buyer's message around the address, the name glued to the telephone.
        CopyWithXclip(work, QStringLiteral("麻烦发到：浙江省杭州市西湖区文三路1号 李明13812345678 谢谢，不要到付"));
        QTRY_COMPARE_WITH_TIMEOUT(name->text(), QStringLiteral("李明"), 10000);
        QCOMPARE(mobile->text(), QStringLiteral("13812345678"));
        QCOMPARE(address->toPlainText(), QStringLiteral("浙江省杭州市西湖区文三路1号"));
        QCOMPARE(destination->text(), QStringLiteral("杭州市"));

        // A shop's comma line with a masked number and the telephone after the address.
        CopyWithXclip(work, QStringLiteral("王芳，广东省广州市天河区体育西路1号，138****5678，510620"));
        QTRY_COMPARE_WITH_TIMEOUT(name->text(), QStringLiteral("王芳"), 10000);
        QCOMPARE(mobile->text(), QStringLiteral("138****5678"));
        QCOMPARE(address->toPlainText(), QStringLiteral("广东省广州市天河区体育西路1号"));
        QCOMPARE(postcode->text(), QStringLiteral("510620"));
        QCOMPARE(destination->text(), QStringLiteral("广州市"));

        // An order page's region line with the municipality twice.
        CopyWithXclip(work, QStringLiteral("收货人：赵六\n所在地区：北京市 北京市 朝阳区\n详细地址：建国路1号\n手机号码：+86 139 0000 2222\n"));
        QTRY_COMPARE_WITH_TIMEOUT(name->text(), QStringLiteral("赵六"), 10000);
        QCOMPARE(mobile->text(), QStringLiteral("13900002222"));
        QCOMPARE(address->toPlainText(), QStringLiteral("北京市朝阳区建国路1号"));
        QCOMPARE(destination->text(), QStringLiteral("北京市"));
    }

    // The packer copies the next buyer while the window asks about the one it shows: the answer
    // prints the waybill that was asked about, and the copy fills the window after the question.
    void aCopyWhileTheCutQuestionIsOpenWaitsForTheAnswer()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        work.installEmptyAddressBook(); // which holds the print log
        work.workspace().PrinterName = "dorvane-test";
        CWaybillDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.activateWindow();
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        auto* address = dialog.findChild<QPlainTextEdit*>(QStringLiteral("recipientAddressEdit"));
        const QString marker = QStringLiteral("Old%1").arg(QCoreApplication::applicationPid());
        // What the clipboard held at start-up may have filled the recipient: start from none.
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("clearRecipientButton")), Qt::LeftButton);
        name->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), name);
        QTest::keyClicks(QApplication::focusWidget(), marker);
        address->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), address);
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("浙江省杭州市西湖区文三路100号华星科技大厦").repeated(8));
        QApplication::sendEvent(QApplication::focusWidget(), &typed);
        QVERIFY(dialog.IsMarkedCut(7));

        const QString next = QStringLiteral("张三，13900000000，浙江省宁波市鄞州区某路8号，315000");
        QString shownWhileAsked;
        queueMessageAnswer(MessageAnswer::No, [&] { // 缩小字号打印, after the copy
            CopyWithXclip(work, next);
            QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), next, 10000);
            QTest::qWait(300);
            shownWhileAsked = name->text();
        });
        name->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), name);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // Enter prints
        const QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.startsWith(QStringLiteral("以下内容打印时将被截断：收件人地址")));
        QCOMPARE(shownWhileAsked, marker);

        // On paper and in the log: the waybill asked about, not the buyer copied meanwhile.
        const QString job = jobs_.newestWith(marker, 60000);
        QVERIFY2(!job.isEmpty(), "no job arrived in the test queue's output folder");
        const QString page = jobs_.text(job);
        QVERIFY(page.contains(QStringLiteral("华星科技大厦")));
        QVERIFY2(!page.contains(QStringLiteral("张三")) && !page.contains(QStringLiteral("13900000000")),
                 qPrintable(page));
        const auto logged = PrintLog(AddressBookLocation(work.workspace().WorkFolder)).Search({});
        QVERIFY(logged);
        QCOMPARE(logged.value().size(), std::size_t(1));
        QCOMPARE(logged.value()[0].texts[3], marker.toStdString());
        QCOMPARE(logged.value()[0].texts[12], std::string());
        // Then the copy fills the window.
        QTRY_COMPARE_WITH_TIMEOUT(name->text(), QStringLiteral("张三"), 5000);
        QCOMPARE(address->toPlainText(), QStringLiteral("浙江省宁波市鄞州区某路8号"));
    }
};

QTEST_MAIN(ClipboardX11Test)
#include "ClipboardX11Test.moc"
