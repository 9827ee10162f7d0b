// A recipient address too long for its box, typed into the main window: the window marks it,
// and printing asks first; the smaller-font answer prints the whole address inside its box on
// the test printer, and cancelling prints nothing. A name in the printer's unprintable margin,
// or holding a character no font has, is marked and asked about the same way.
#include "workspace/Workspace.h"
#include "base/MessageBox.h"
#include "print/PdfReadBack.h"
#include "print/QueueJobs.h"
#include "print/WaybillPrinter.h"
#include "print/WaybillRenderer.h"
#include "support/TestQueue.h"
#include "support/WorkFolderFixture.h"
#include "template/TemplateLayout.h"
#include "template/TemplateStore.h"
#include "batch/CutFieldMarker.h"
#include "waybill/WaybillDlg.h"

#include <QApplication>
#include <QDir>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>

using namespace dorvane;
using namespace dorvane::test;

namespace {

constexpr int kRecipientAddress = 7;
const QString kQueue = QStringLiteral("dorvane-test");

// The recipient address box on the test queue's paper, in points.
QRectF AddressBoxOnPaper(const Workspace& workspace, int screenDpiY)
{
    WaybillPrintSetup setup = MakePrintSetup(workspace, screenDpiY);
    QPrinter printer(QPrinter::HighResolution);
    PrepareWaybillPrinter(printer, kQueue, setup);
    const QRect box = WaybillRenderer(setup).fieldBoxes(printer)[kRecipientAddress];
    const double k = 72.0 / printer.resolution();
    return QRectF(box.left() * k, box.top() * k, box.width() * k, box.height() * k);
}

void CommitInput(const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(QApplication::focusWidget(), &event);
}

} // namespace

class CutFieldsTest : public QObject {
    Q_OBJECT

    QueueJobs jobs_; // the jobs sent since the test began

private slots:
    void initTestCase()
    {
        setMessagesAnsweredByTest(true);
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
    }

    void init() { jobs_ = QueueJobs(); }

    void aCutAddressIsMarkedAndPrintedSmallerOrNotAtAll()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook(); // which holds the print log
        work.workspace().PrinterName = kQueue.toStdString();
        CWaybillDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* address = dialog.findChild<QPlainTextEdit*>(QStringLiteral("recipientAddressEdit"));
        address->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), address);

        // Several jobs may share the queue: this one's address carries a word of its own.
        const QString marker = QStringLiteral("Cut%1").arg(QCoreApplication::applicationPid());
        const QString street = QStringLiteral("浙江省杭州市西湖区文三路100号华星科技大厦");
        const QString text = marker + QLatin1Char(' ') + street.repeated(4);
        QTest::keyClicks(QApplication::focusWidget(), marker + QLatin1Char(' '));
        for (int i = 0; i < 4; ++i)
            CommitInput(street); // Chinese arrives from the input method, a phrase at a time
        QCOMPARE(address->toPlainText(), text);
        QVERIFY(dialog.IsMarkedCut(kRecipientAddress));
        QVERIFY(address->toolTip().startsWith(QStringLiteral("打印时将少印")));
        QVERIFY(address->palette().color(QPalette::Base) != dialog.palette().color(QPalette::Base));
        QVERIFY(!dialog.IsMarkedCut(3)); // the other fields fit

        auto* print = dialog.findChild<QPushButton*>(QStringLiteral("printButton"));
        takeShownMessages();
        queueMessageAnswer(MessageAnswer::Cancel);
        QTest::mouseClick(print, Qt::LeftButton);
        auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.startsWith(QStringLiteral("以下内容打印时将被截断：收件人地址")));
        QCOMPARE(shown[0].buttonTexts, QStringList({QStringLiteral("仍然打印"), QStringLiteral("缩小字号打印"),
                                                     QStringLiteral("取消")}));
        QCOMPARE(jobs_.newestWith(marker, 3000), QString());

        queueMessageAnswer(MessageAnswer::No); // 缩小字号打印
        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(takeShownMessages().size(), 1);
        const QString job = jobs_.newestWith(marker, 60000);
        QVERIFY(!job.isEmpty());
        const QRectF box =
            AddressBoxOnPaper(work.workspace(), dialog.logicalDpiY()).adjusted(-0.5, -0.5, 0.5, 0.5);
        QString inside;
        for (const PdfWord& word : ReadWords(job)) {
            if (box.contains(word.box))
                inside += word.text;
            else
                QVERIFY2(!box.intersects(word.box), qPrintable(word.text + QStringLiteral(" crosses the box")));
        }
        QCOMPARE(inside, marker + street.repeated(4));

        // With shrinking switched on, the window prints smaller without asking.
        work.workspace().ShrinkCutText = true;
        const QString second = marker + QStringLiteral("b");
        QTest::mouseClick(address->viewport(), Qt::LeftButton, {}, QPoint(5, 5)); // back from the button
        QTRY_COMPARE(QApplication::focusWidget(), address);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), second);
        QVERIFY(address->toPlainText().startsWith(second + marker));
        QTest::mouseClick(print, Qt::LeftButton);
        QVERIFY(takeShownMessages().isEmpty());
        QVERIFY(!jobs_.newestWith(second, 60000).isEmpty());

        // An address that even 6 points cannot hold is not printed, and the user is told.
        const QString third = marker + QStringLiteral("c");
        QTest::mouseClick(address->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_COMPARE(QApplication::focusWidget(), address);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), third);
        CommitInput(street.repeated(20));
        QTest::mouseClick(print, Qt::LeftButton);
        shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("以下内容缩小到 6 磅仍放不下，没有打印：收件人地址"));
        QCOMPARE(jobs_.newestWith(third, 3000), QString());
    }

    void aNameInTheMarginOrWithAnUndrawableCharacterIsMarkedAndAsked()
    {
        const QString queue = QStringLiteral("dorvane-test-margins"); // 12 points unprintable at the left
        if (QPrinterInfo::printerInfo(queue).isNull()) {
            if (qEnvironmentVariable("DORVANE_REQUIRE_CUPS") == QStringLiteral("1"))
                QFAIL("the CUPS test queue dorvane-test-margins is not set up");
            QSKIP("no CUPS test queue with margins (scripts/cups-test-setup.sh sets one up)");
        }
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        // Every template's recipient name box starts 4 picture pixels (about 1 mm) from the
        // form's left edge.
        const auto dataFolder = DataFolder(work.workspace().WorkFolder);
        for (const std::string& name : ListTemplateNames(dataFolder)) {
            TemplateLayout layout;
            QVERIFY(LoadLayoutFile(LayoutPath(work.workspace().WorkFolder, name), layout));
            layout.setNumber(4, 2, 4);
            QVERIFY(SaveLayoutFile(LayoutPath(work.workspace().WorkFolder, name), layout));
        }
        work.workspace().PrinterName = queue.toStdString();
        CWaybillDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        name->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), name);

        // 李 reaches into the margin; no font here has the parcel emoji.
        const QString marker = QStringLiteral("Edge%1").arg(QCoreApplication::applicationPid());
        CommitInput(QStringLiteral("李明"));
        QTest::keyClicks(QApplication::focusWidget(), marker);
        CommitInput(QString::fromUtf8("📦"));
        QCOMPARE(name->text(), QStringLiteral("李明") + marker + QString::fromUtf8("📦"));
        const QString why = QString::fromUtf8("打印时将截去 1 个字：李；无法打印的字符：📦");
        QVERIFY(dialog.IsMarkedCut(3));
        QCOMPARE(name->toolTip(), why);
        QVERIFY(name->palette().color(QPalette::Base) != dialog.palette().color(QPalette::Base));

        auto* print = dialog.findChild<QPushButton*>(QStringLiteral("printButton"));
        takeShownMessages();
        queueMessageAnswer(MessageAnswer::Cancel);
        QTest::mouseClick(print, Qt::LeftButton);
        auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].text.startsWith(QStringLiteral("以下内容打印时将被截断：收件人姓名")),
                 qPrintable(shown[0].text));
        QVERIFY2(shown[0].text.contains(QStringLiteral("收件人姓名：") + why), qPrintable(shown[0].text));
        QCOMPARE(jobs_.newestWith(marker, 3000), QString());

        // Printed as it is when the user says so: at its place on the form, margin or not.
        queueMessageAnswer(MessageAnswer::Yes); // 仍然打印
        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(takeShownMessages().size(), 1);
        const QString job = jobs_.newestWith(marker, 60000);
        QVERIFY(!job.isEmpty());
        bool found = false;
        for (const PdfWord& word : ReadWords(job)) {
            if (!word.text.contains(marker))
                continue;
            found = true;
            QVERIFY2(word.text.startsWith(QStringLiteral("李明")), qPrintable(word.text));
            QVERIFY2(std::abs(word.box.left() * 25.4 / 72 - 4 * 230.0 / 870) < 0.3,
                     qPrintable(QString::number(word.box.left() * 25.4 / 72)));
        }
        QVERIFY(found);
    }
};

QTEST_MAIN(CutFieldsTest)
#include "CutFieldsTest.moc"
