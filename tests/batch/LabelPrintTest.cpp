// Labels printed from the windows onto the CUPS test queue and scanned back: the waybill
// number typed beside the print button, the order numbers of a batch, and a box too small
// for its number, which is asked about and never printed.
#include "base/FileChoice.h"
#include "base/MessageBox.h"
#include "batch/BatchPrintDlg.h"
#include "editor/AdjustPreviewDlg.h"
#include "editor/EditingSurface.h"
#include "print/BarcodeReadBack.h"
#include "print/PdfReadBack.h"
#include "print/QueueJobs.h"
#include "store/AddressBook.h"
#include "support/WorkFolderFixture.h"
#include "template/BarcodeField.h"
#include "template/TemplateLayout.h"
#include "text/CodePageText.h"
#include "waybill/WaybillDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace dorvane;
using namespace dorvane::test;

namespace {

const QString kQueue = QStringLiteral("dorvane-test");
constexpr int kLabelDpi = 203;
constexpr int kRecipientName = 3;

// The shipped blank label as the current template: it sorts after the shipped forms.
void ChooseLabel(WorkFolderFixture& work)
{
    work.write(QStringLiteral("Set/mould.ini"), "5\r\n0\r\n1\r\n");
}

QString Marker(int row)
{
    return QStringLiteral("L%1R%2").arg(QCoreApplication::applicationPid()).arg(row, 2, 10, QLatin1Char('0'));
}

QString OrderNumber(int row)
{
    return QStringLiteral("单%1-%2").arg(QCoreApplication::applicationPid()).arg(row);
}

int DarkPixels(const QImage& image, const QRect& area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            dark += image.rect().contains(x, y) && qGray(image.pixel(x, y)) < 128;
    return dark;
}

QList<ReadCode> CodesOnJob(const QString& job)
{
    return ReadCodes(RenderPage(job, kLabelDpi));
}

void TypeNumberAndPrint(CWaybillDlg& window, const QString& number)
{
    auto* edit = window.findChild<QLineEdit*>(QStringLiteral("waybillNumberEdit"));
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), edit);
    QTest::keyClicks(QApplication::focusWidget(), number);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

} // namespace

#define SKIP_WITHOUT_TEST_QUEUE()                                                                            \
    if (QPrinterInfo::printerInfo(kQueue).isNull() || !QueueJobs::kOut.exists()) {                           \
        if (qEnvironmentVariable("DORVANE_REQUIRE_CUPS") == QStringLiteral("1"))                             \
            QFAIL("the CUPS test queue dorvane-test is not set up");                                         \
        QSKIP("no CUPS test queue (scripts/cups-test-setup.sh sets one up)");                                \
    }

class LabelPrintTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setMessagesAnsweredByTest(true); }

    void theNumberTypedBesidePrintIsPrintedAsTheLabelsBarcode()
    {
        SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        ChooseLabel(work);
        work.workspace().PrinterName = kQueue.toStdString();
        CWaybillDlg window(work.workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle().contains(QStringLiteral("自粘面单100x150")), true);
        window.setControlText(kRecipientName, Marker(0));
        window.setControlText(7, QStringLiteral("浙江省杭州市西湖区文三路100号"));
        // A check print on plain paper first: the label's picture under it, the same barcode,
        // and the number stays for the real print, which Enter then sends.
        auto* withPicture = window.findChild<QCheckBox*>(QStringLiteral("withPictureCheck"));
        QTest::mouseClick(withPicture, Qt::LeftButton, {}, QPoint(4, withPicture->height() / 2));
        QVERIFY(withPicture->isChecked());
        QueueJobs checkJobs;
        TypeNumberAndPrint(window, QStringLiteral("SF1234567890123"));
        QCOMPARE(takeShownMessages().size(), 0);
        QVERIFY(!withPicture->isChecked());
        const QStringList checked = checkJobs.with(Marker(0));
        QCOMPARE(checked.size(), 1);
        QCOMPARE(TextsOf(CodesOnJob(checked.front()), QStringLiteral("Code128")),
                 QStringList{QStringLiteral("SF1234567890123")});

        QueueJobs jobs;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(takeShownMessages().size(), 0);
        const QStringList found = jobs.with(Marker(0));
        QCOMPARE(found.size(), 1);
        const QList<ReadCode> codes = CodesOnJob(found.front());
        QCOMPARE(TextsOf(codes, QStringLiteral("Code128")), QStringList{QStringLiteral("SF1234567890123")});
        QVERIFY(TextsOf(codes, QStringLiteral("QRCode")).isEmpty()); // a single waybill has no order number
        QVERIFY(window.findChild<QLineEdit*>(QStringLiteral("waybillNumberEdit"))->text().isEmpty());
    }

    // The preview shows the typed number's barcode in its box, as the paper will hold it.
    void thePreviewShowsTheTypedNumbersBarcodeInItsBox()
    {
        SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        ChooseLabel(work);
        work.workspace().PrinterName = kQueue.toStdString();
        TemplateLayout layout;
        QVERIFY(LoadLayoutFile(work.path(QStringLiteral("dataM/自粘面单100x150.dat")).toStdString(), layout));
        const int row = BarcodeFieldsOf(layout).front().row;
        const QRect box(layout.number(row, 2), layout.number(row, 3), layout.number(row, 4), layout.number(row, 5));
        CWaybillDlg window(work.workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // Dark pixels of the preview's surface inside the barcode's box and around it.
        const auto shown = [&](const QString& number) {
            std::pair<int, int> dark{-1, -1};
            window.activateWindow();
            auto* edit = window.findChild<QLineEdit*>(QStringLiteral("waybillNumberEdit"));
            QTest::mouseClick(edit, Qt::LeftButton);
            if (!QTest::qWaitForWindowActive(&window) || QApplication::focusWidget() != edit)
                return dark;
            edit->selectAll();
            QTest::keyClicks(QApplication::focusWidget(), number);
            QTimer::singleShot(0, &window, [&] {
                auto* preview = qobject_cast<CAdjustPreviewDlg*>(QApplication::activeModalWidget());
                if (preview == nullptr)
                    return;
                const QImage image = preview->surface()->grab().toImage();
                dark = {DarkPixels(image, box), DarkPixels(image, box.adjusted(-40, -40, 40, 40)) -
                                                    DarkPixels(image, box)};
                preview->close();
            });
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("previewButton")), Qt::LeftButton);
            return dark;
        };
        const auto [blankInside, blankAround] = shown(QString());
        const auto [codeInside, codeAround] = shown(QStringLiteral("SF1234567890123"));
        QVERIFY2(blankInside >= 0 && codeInside >= 0, "the number could not be typed or the preview did not open");
        QVERIFY2(codeInside > blankInside + box.width() * box.height() / 10,
                 qPrintable(QStringLiteral("%1 dark pixels with a number, %2 without").arg(codeInside).arg(blankInside)));
        QCOMPARE(codeAround, blankAround); // nothing drawn beside the box
    }

    // The box is narrower than the number's modules at one dot each of the printer (the test
    // queue takes PDFs: 1200 dpi): the user is told before anything is printed; "no" prints
    // nothing, "yes" prints the label without the barcode.
    void aNumberTooLongForItsBoxIsAskedAboutAndNeverPrinted()
    {
        SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        ChooseLabel(work);
        // The barcode's box 3 mm wide.
        const QString path = work.path(QStringLiteral("dataM/自粘面单100x150.dat"));
        TemplateLayout layout;
        QVERIFY(LoadLayoutFile(path.toStdString(), layout));
        layout.setNumber(BarcodeFieldsOf(layout).front().row, 4, 15);
        QVERIFY(SaveLayoutFile(path.toStdString(), layout));
        work.workspace().PrinterName = kQueue.toStdString();
        CWaybillDlg window(work.workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setControlText(kRecipientName, Marker(1));
        window.setControlText(7, QStringLiteral("浙江省杭州市西湖区文三路100号"));

        QueueJobs jobs;
        queueMessageAnswer(MessageAnswer::No);
        TypeNumberAndPrint(window, QStringLiteral("SF12345678901234567890"));
        const QList<ShownMessage> asked = takeShownMessages();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked.front().text.contains(QStringLiteral("条码（运单号）的框太窄")) &&
                     asked.front().text.contains(QStringLiteral("SF12345678901234567890")),
                 qPrintable(asked.front().text));
        auto* edit = window.findChild<QLineEdit*>(QStringLiteral("waybillNumberEdit"));
        QCOMPARE(edit->text(), QStringLiteral("SF12345678901234567890")); // not printed: kept

        queueMessageAnswer(MessageAnswer::Yes);
        edit->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(takeShownMessages().size(), 1);
        const QStringList found = jobs.with(Marker(1));
        QCOMPARE(found.size(), 1); // the declined print sent nothing
        QVERIFY(TextsOf(CodesOnJob(found.front()), QStringLiteral("Code128")).isEmpty());
        // Not even part of it: nothing black in the barcode's box (5 mm from the corner, 3 x 25 mm).
        const QImage page = RenderPage(found.front(), kLabelDpi);
        const double dots = kLabelDpi / 25.4;
        QVERIFY(ColourBoundsMm(page.copy(QRectF(5 * dots, 5 * dots, 3 * dots, 25 * dots).toRect()), kLabelDpi,
                               Qt::black)
                    .isEmpty());
    }

    // Twenty orders of an export printed from the batch dialog: each label's QR code holds its
    // own order number.
    void aBatchPrintsEachOrdersNumberAsItsCode()
    {
        SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        ChooseLabel(work);
        work.workspace().PrinterName = kQueue.toStdString();
        std::string csv = ToCodePage(QStringLiteral("订单编号,收件人姓名,收件人手机号码,收件人地址\r\n"));
        for (int row = 1; row <= 20; ++row)
            csv += ToCodePage(OrderNumber(row) + QLatin1Char(',') + Marker(row) +
                              QStringLiteral(",139000010%1,浙江省杭州市西湖区文三路%1号\r\n")
                                  .arg(row, 2, 10, QLatin1Char('0')));
        work.write(QStringLiteral("orders.csv"), csv);
        CWaybillDlg window(work.workspace());
        CBatchPrintDlg dialog(work.workspace(), FieldTexts{});
        dialog.logStore = AddressBookLocation(work.workspace().WorkFolder);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        clearFileAnswers();
        queueFileAnswer(work.path(QStringLiteral("orders.csv")));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("openButton")), Qt::LeftButton);
        QCOMPARE(dialog.recordCount(), 20);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("tickAllButton")), Qt::LeftButton);
        QueueJobs jobs;
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("printButton")), Qt::LeftButton);
        for (int row = 1; row <= 20; ++row) {
            const QStringList found = jobs.with(Marker(row));
            QCOMPARE(found.size(), 1);
            QCOMPARE(TextsOf(CodesOnJob(found.front()), QStringLiteral("QRCode")),
                     QStringList{OrderNumber(row)});
        }
    }
};

QTEST_MAIN(LabelPrintTest)
#include "LabelPrintTest.moc"
