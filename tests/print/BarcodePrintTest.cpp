// Labels with barcodes printed through the real CUPS spooler and read back by a scanner's
// decoder: from the PDF queue drawn at a label printer's 203 dpi, and from the ZPL graphic
// the label printer's driver makes.
#include "base/MessageBox.h"
#include "base/PrintFontConversion.h"
#include "batch/BatchPrinter.h"
#include "batch/OneWaybillJob.h"
#include "print/BarcodeReadBack.h"
#include "print/PdfReadBack.h"
#include "print/QueueJobs.h"
#include "print/WaybillFitCheck.h"
#include "support/TempFolder.h"
#include "support/TestQueue.h"
#include "template/TemplateLayout.h"
#include "text/CodePageText.h"
#include "workspace/Workspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>

using namespace dorvane;
using namespace dorvane::test;

namespace {

const QString kWaybillNumber = QStringLiteral("SF1234567890123");
const QString kLabelQueue = QStringLiteral("dorvane-label");
constexpr int kLabelDpi = 203;
constexpr int kRecipientName = 3;

// The shipped blank label, as the program reads it.
TemplateLayout BlankLabel()
{
    TemplateLayout layout;
    const QString path =
        qEnvironmentVariable("DORVANE_SOURCE_DIR") + QStringLiteral("/data/自粘面单100x150.dat");
    if (!LoadLayoutFile(path.toStdString(), layout))
        qFatal("cannot read %s", qPrintable(path));
    ComputePrintRects(layout, ComputePrintScales(layout));
    return layout;
}

Workspace LabelWorkspace(const QString& printer)
{
    Workspace app;
    app.PrinterName = ToCodePage(printer);
    app.BodyFont.faceName = "WenQuanYi Zen Hei";
    app.BodyFont.height = -16;
    app.DestinationFont = app.BodyFont;
    app.DestinationFont.height = -40;
    return app;
}

// An order number a buyer's shop gives, Chinese included, unique to this run.
QString OrderNumber()
{
    return QStringLiteral("订单号：TB20261208-%1-甲").arg(QCoreApplication::applicationPid());
}

OneWaybillJob LabelJob(const Workspace& app, const TemplateLayout& layout, const QString& marker)
{
    OneWaybillJob job;
    job.setup = MakePrintSetup(app, layout, 96);
    job.texts[kRecipientName] = marker;
    job.texts[7] = QStringLiteral("浙江省杭州市西湖区文三路100号");
    job.texts[0] = QStringLiteral("杭州市");
    job.waybillNumber = ToCodePage(kWaybillNumber);
    job.orderNumber = ToCodePage(OrderNumber());
    return job;
}

QString Codes(const QList<ReadCode>& codes)
{
    QStringList all;
    for (const ReadCode& code : codes)
        all.append(code.format + QLatin1Char('=') + code.text);
    return all.join(QStringLiteral("; "));
}

} // namespace

class BarcodePrintTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RegisterFontSubstitutes();
        setMessagesAnsweredByTest(true);
    }

    // The waybill number as Code 128 and the order number as a QR code, both vectors in the
    // PDF the queue kept, scanned off the page drawn at a label printer's resolution.
    void theLabelsCodesScanFromThePdfQueueAt203Dpi()
    {
        if (!HasQueue(QStringLiteral("dorvane-test")))
            QSKIP("the PDF test queue is not set up");
        const Workspace app = LabelWorkspace(QStringLiteral("dorvane-test"));
        const QString marker = QStringLiteral("Label-%1").arg(QCoreApplication::applicationPid());
        QueueJobs jobs;
        std::string printer = app.PrinterName;
        const OneWaybillPrinted printed = PrintOneWaybill(printer, LabelJob(app, BlankLabel(), marker));
        QVERIFY2(printed.printer.has_value(), printed.error ? qPrintable(printed.error->message) : "");
        const QStringList found = jobs.with(marker);
        QCOMPARE(found.size(), 1);

        // Vectors, not a picture: the page holds no image (pdfimages lists only its header).
        QCOMPARE(RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), found.front()})
                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                     .size(),
                 2);
        // The human-readable line under the bars is text on the page.
        QVERIFY(RunTool(QStringLiteral("pdftotext"), {found.front(), QStringLiteral("-")})
                    .contains(kWaybillNumber));

        const QImage page = RenderPage(found.front(), kLabelDpi);
        QVERIFY(!page.isNull());
        const QList<ReadCode> codes = ReadCodes(page);
        QCOMPARE(TextsOf(codes, QStringLiteral("Code128")), QStringList{kWaybillNumber});
        QCOMPARE(TextsOf(codes, QStringLiteral("QRCode")), QStringList{OrderNumber()});
    }

    // Through the ZPL driver CUPS ships: the job's graphic, decoded dot for dot as the label
    // printer prints it, scans as the numbers printed.
    void theLabelsCodesScanFromTheZplLabelPrintersJob()
    {
        if (!HasQueue(kLabelQueue))
            QSKIP("the label printer queue is not set up");
        const Workspace app = LabelWorkspace(kLabelQueue);
        const QDir out(QStringLiteral("/var/spool/dorvane-test-out"));
        const QStringList before = out.entryList({QStringLiteral("label-*.zpl")}, QDir::Files);
        std::string printer = app.PrinterName;
        const OneWaybillPrinted printed =
            PrintOneWaybill(printer, LabelJob(app, BlankLabel(), QStringLiteral("ZPL")));
        QVERIFY2(printed.printer.has_value(), printed.error ? qPrintable(printed.error->message) : "");

        // Other tests may print labels at the same time: this job is the one whose QR holds
        // this run's order number.
        QList<ReadCode> codes;
        QImage label;
        QElapsedTimer timer;
        timer.start();
        QStringList seen = before;
        while (codes.isEmpty() && timer.elapsed() < 90000) {
            for (const QString& name : out.entryList({QStringLiteral("label-*.zpl")}, QDir::Files)) {
                if (seen.contains(name))
                    continue;
                seen.append(name);
                QFile file(out.filePath(name));
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QImage image = DecodeZplGraphic(file.readAll());
                const QList<ReadCode> read = ReadCodes(image);
                if (TextsOf(read, QStringLiteral("QRCode")).contains(OrderNumber())) {
                    codes = read;
                    label = image;
                }
            }
            QTest::qWait(200);
        }
        QVERIFY2(!codes.isEmpty(), "no label of this test was found in the queue's output, or none scanned");
        QCOMPARE(TextsOf(codes, QStringLiteral("Code128")), QStringList{kWaybillNumber});
        // The driver was given the label's size: 100 mm wide (rounded up to whole bytes of
        // dots) by 150 mm, at 203 dpi; no more, or the printer would feed on into the next label.
        QVERIFY2(std::abs(label.width() - 100 / 25.4 * kLabelDpi) < 8,
                 qPrintable(QString::number(label.width())));
        QVERIFY2(std::abs(label.height() - 150 / 25.4 * kLabelDpi) < 2,
                 qPrintable(QString::number(label.height())));
    }

    // A box too small for the number: the fit check says so before anything is printed, a
    // batch that must not cut stops with nothing printed, and one that goes on prints the
    // label without a barcode a scanner would misread, telling which.
    void aBoxTooSmallIsReportedAndNothingUnreadableIsPrinted()
    {
        TempFolder work;
        const Workspace app = LabelWorkspace(QString());
        TemplateLayout layout = BlankLabel();
        // The Code 128 box 18 mm wide: the number's 165 modules need 20.3 mm at one dot each.
        const int row = BarcodeFieldsOf(layout).front().row;
        QCOMPARE(BarcodeFieldsOf(layout).front().source, BarcodeSource::WaybillNumber);
        layout.setNumber(row, 4, 90);
        ComputePrintRects(layout, ComputePrintScales(layout));

        BatchJob job;
        job.setup = MakePrintSetup(app, layout, 96);
        job.setup.printerDpi = kLabelDpi;
        job.texts[kRecipientName] = ToCodePage(QStringLiteral("Narrow"));
        job.texts[7] = ToCodePage(QStringLiteral("浙江省杭州市西湖区文三路100号"));
        job.waybillNumbers = {ToCodePage(kWaybillNumber)};
        job.orderNumbers = {ToCodePage(OrderNumber())};
        job.pdfPath = QString::fromStdString((work.path() / "narrow.pdf").string());

        QPrinter measuring(QPrinter::HighResolution);
        PrepareWaybillPdf(measuring, job.pdfPath, job.setup);
        WaybillTexts texts;
        texts[kRecipientName] = QStringLiteral("Narrow");
        const auto outcomes =
            WaybillFitCheck(job.setup, measuring).checkBarcodes(texts, {kWaybillNumber, OrderNumber()});
        QCOMPARE(outcomes.size(), std::size_t{2});
        QCOMPARE(outcomes[0].fault, BarcodeFault::TooNarrow);
        QCOMPARE(outcomes[1].fault, BarcodeFault::None);
        // The same box holds a shorter number: the check is about this content, not the box alone.
        QCOMPARE(
            WaybillFitCheck(job.setup, measuring).checkBarcodes(texts, {QStringLiteral("SF12"), {}})[0].fault,
            BarcodeFault::None);

        job.overflow = Overflow::Fail;
        BatchPrinter failing(job);
        QVERIFY(!failing.check());
        QCOMPARE(failing.cuts().size(), std::size_t{1});
        QVERIFY2(failing.cuts().front().line().contains(kWaybillNumber),
                 qPrintable(failing.cuts().front().line()));
        QVERIFY(!QFile::exists(job.pdfPath));

        job.overflow = Overflow::Warn;
        BatchPrinter warning(job);
        QVERIFY(warning.check());
        QVERIFY(warning.print({}));
        QCOMPARE(warning.cuts().size(), std::size_t{1});
        QCOMPARE(warning.cuts().front().line(),
                 QStringLiteral("record 1: 条码（运单号）的框太窄，条码印不清，不打印：") + kWaybillNumber);
        const QList<ReadCode> codes = ReadCodes(RenderPage(job.pdfPath, 600));
        QVERIFY2(TextsOf(codes, QStringLiteral("Code128")).isEmpty(), qPrintable(Codes(codes)));
        QCOMPARE(TextsOf(codes, QStringLiteral("QRCode")), QStringList{OrderNumber()});
        // Not a bar of it: the box's part of the label is white.
        const QImage page = RenderPage(job.pdfPath, kLabelDpi);
        const QRectF box = QRectF(25 * 0.2, 25 * 0.2, 90 * 0.2, 125 * 0.2); // mm
        QVERIFY(
            ColourBoundsMm(
                page.copy(QRectF(box.topLeft() / 25.4 * kLabelDpi, box.size() / 25.4 * kLabelDpi).toRect()),
                kLabelDpi, Qt::black)
                .isEmpty());
    }
};

QTEST_MAIN(BarcodePrintTest)
#include "BarcodePrintTest.moc"
