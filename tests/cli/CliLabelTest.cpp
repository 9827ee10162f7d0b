// dorvane-cli printing an order export onto the shipped blank label: the barcodes take their
// numbers from the export's columns, and each page scans as its own record.
#include "CliRunner.h"
#include "print/BarcodeReadBack.h"
#include "print/PdfReadBack.h"

#include <QPrinterInfo>
#include <QTest>

using namespace dorvane;
using namespace dorvane::test;

namespace {

// Page `page` (from 1) of a PDF as pdftoppm draws it at a label printer's 203 dpi.
QImage RenderLabel(const QString& pdf, int page)
{
    const QString prefix = pdf + QStringLiteral(".p%1").arg(page);
    bool ok = false;
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-r"),
             QStringLiteral("203"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
             QString::number(page), pdf, prefix},
            &ok);
    return ok ? QImage(prefix + QStringLiteral(".png")) : QImage();
}

QByteArray Orders()
{
    QString csv = QStringLiteral("\uFEFF订单编号,快递单号,收件人姓名,收件人地址\r\n");
    for (int r = 1; r <= 3; ++r)
        csv += QStringLiteral("TB-%1-订单,SF88800000%1,客户%1,浙江省杭州市西湖区文三路%1号\r\n").arg(r);
    return csv.toUtf8();
}

} // namespace

class CliLabelTest : public QObject {
    Q_OBJECT

private slots:
    void theBarcodesTakeTheirNumbersFromTheExportsColumns()
    {
        CliFolder folder;
        folder.write(QStringLiteral("orders.csv"), Orders());
        const QStringList print = {QStringLiteral("print"), QStringLiteral("--template"),
                                   QStringLiteral("自粘面单100x150"), QStringLiteral("--csv"),
                                   QStringLiteral("orders.csv")};
        CliResult result =
            folder.run(print + QStringList{QStringLiteral("--map"), QStringLiteral("快递单号=运单号"),
                                           QStringLiteral("--pdf"), QStringLiteral("mapped.pdf")});
        QVERIFY2(result.finished && result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.err, QString());
        for (int r = 1; r <= 3; ++r) {
            const QList<ReadCode> codes =
                ReadCodes(RenderLabel(folder.path(QStringLiteral("mapped.pdf")), r));
            QCOMPARE(TextsOf(codes, QStringLiteral("Code128")),
                     QStringList{QStringLiteral("SF88800000%1").arg(r)});
            QCOMPARE(TextsOf(codes, QStringLiteral("QRCode")),
                     QStringList{QStringLiteral("TB-%1-订单").arg(r)});
        }

        // Unmapped, the waybill number's column fills nothing: only the export's own order
        // number is printed.
        result = folder.run(print + QStringList{QStringLiteral("--pdf"), QStringLiteral("unmapped.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QList<ReadCode> codes = ReadCodes(RenderLabel(folder.path(QStringLiteral("unmapped.pdf")), 2));
        QCOMPARE(TextsOf(codes, QStringLiteral("QRCode")), QStringList{QStringLiteral("TB-2-订单")});
        QVERIFY(TextsOf(codes, QStringLiteral("Code128")).isEmpty());

        // A column the export does not have stops the batch before anything is printed, as
        // any unknown column does.
        result = folder.run(print + QStringList{QStringLiteral("--map"), QStringLiteral("运单编号=运单号"),
                                                QStringLiteral("--pdf"), QStringLiteral("wrong.pdf")});
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(QStringLiteral("has no column 运单编号")), qPrintable(result.err));
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("wrong.pdf"))));
        result = folder.run(print + QStringList{QStringLiteral("--map"), QStringLiteral("快递单号=运单号"),
                                                QStringLiteral("--map"), QStringLiteral("订单编号=运单号"),
                                                QStringLiteral("--pdf"), QStringLiteral("twice.pdf")});
        QCOMPARE(result.exitCode, 2);
    }

    // A label sent to a printer is logged with the numbers it printed, and its reprint is the
    // same waybill: the same barcodes.
    void aReprintedLabelCarriesItsLoggedNumbers()
    {
        if (!QPrinterInfo::availablePrinterNames().contains(QStringLiteral("dorvane-test"))) {
            if (qEnvironmentVariable("DORVANE_REQUIRE_CUPS") == QStringLiteral("1"))
                QFAIL("the CUPS test queue dorvane-test is not set up");
            QSKIP("no CUPS test queue (scripts/cups-test-setup.sh sets one up)");
        }
        CliFolder folder;
        folder.write(QStringLiteral("orders.csv"), Orders());
        CliResult result = folder.run(
            {QStringLiteral("print"), QStringLiteral("--template"), QStringLiteral("自粘面单100x150"),
             QStringLiteral("--csv"), QStringLiteral("orders.csv"), QStringLiteral("--rows"),
             QStringLiteral("2"), QStringLiteral("--map"), QStringLiteral("快递单号=运单号"),
             QStringLiteral("--printer"), QStringLiteral("dorvane-test")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        result = folder.run({QStringLiteral("log")});
        const QStringList logged = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(logged.size(), 1);
        const QStringList columns = logged.front().split(QLatin1Char('\t'));
        QCOMPARE(columns.value(5), QStringLiteral("SF888000002")); // the waybill number column
        result = folder.run({QStringLiteral("reprint"), columns.front(), QStringLiteral("--pdf"),
                             QStringLiteral("again.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QList<ReadCode> codes = ReadCodes(RenderLabel(folder.path(QStringLiteral("again.pdf")), 1));
        QCOMPARE(TextsOf(codes, QStringLiteral("Code128")), QStringList{QStringLiteral("SF888000002")});
        QCOMPARE(TextsOf(codes, QStringLiteral("QRCode")), QStringList{QStringLiteral("TB-2-订单")});
    }
};

QTEST_MAIN(CliLabelTest)
#include "CliLabelTest.moc"
