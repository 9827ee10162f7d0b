// A waybill printed through the real CUPS spooler onto the default queue set up by
// scripts/cups-test-setup.sh, whose backend keeps each job's PDF as it was sent.
#include "app/AppValues.h"
#include "app/CodePageText.h"
#include "app/MessageBox.h"
#include "app/PrintFontConversion.h"
#include "print/PdfReadBack.h"
#include "print/WaybillPrinter.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinterInfo>
#include <QSet>
#include <QTest>

#include <cmath>

using namespace dorvane;
using namespace dorvane::test;

namespace {

QString OutputFolder()
{
    const QString folder = qEnvironmentVariable("DORVANE_TEST_OUT");
    return folder.isEmpty() ? QStringLiteral("/var/spool/dorvane-test-out") : folder;
}

QSet<QString> Jobs()
{
    const QStringList names = QDir(OutputFolder()).entryList({QStringLiteral("job-*.pdf")}, QDir::Files);
    return QSet<QString>(names.begin(), names.end());
}

// Other tests may print on the same queue at the same time: each job of this test carries a
// word of its own.
QString Marker(const char* what)
{
    return QStringLiteral("%1-%2").arg(QLatin1String(what)).arg(QCoreApplication::applicationPid());
}

QStringList WordsIn(const QString& pdf)
{
    QStringList words;
    for (const PdfWord& word : ReadWords(pdf))
        words.append(word.text);
    return words;
}

// The job holding marker that appears in the output folder after `before`.
QString NewJob(const QSet<QString>& before, const QString& marker, int timeoutMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    QSet<QString> seen = before;
    while (timer.elapsed() < timeoutMs) {
        for (const QString& name : Jobs() - seen) {
            seen.insert(name);
            const QString path = QDir(OutputFolder()).filePath(name);
            if (WordsIn(path).contains(marker))
                return path;
        }
        QTest::qWait(100);
    }
    return {};
}

} // namespace

class CupsPrintTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RegisterFontSubstitutes();
        setMessagesAnsweredByTest(true);
        const bool required = qEnvironmentVariable("DORVANE_REQUIRE_CUPS") == QStringLiteral("1");
        const QString why = QPrinterInfo::defaultPrinterName().isEmpty()
                                ? QStringLiteral("no default printer: run scripts/cups-test-setup.sh as root")
                                : (!QDir(OutputFolder()).exists()
                                       ? QStringLiteral("no test queue output folder %1").arg(OutputFolder())
                                       : QString());
        if (why.isEmpty())
            return;
        if (required)
            QFAIL(qPrintable(why));
        QSKIP(qPrintable(why));
    }

    void printsOnePageOnTheDefaultPrinterWhenTheNamedOneIsMissing()
    {
        TempFolder work;
        const SettingsPaths paths(work.path());
        QVERIFY(EnsureSetFolder(paths));
        AppValues& app = App();
        app.WorkFolder = work.path();
        app.setPrintSettings(LoadOrCreateSetIni(paths.setIni)); // first start: names the Jolimark
        QCOMPARE(app.PrinterName, std::string(kDefaultPrinterName));
        const std::string setIni = ReadBytes(paths.setIni);
        const PrintFonts fonts = LoadOrCreateFontSet(paths.fontSetIni);
        app.BodyFont = fonts.body;
        app.DestinationFont = fonts.destination;

        app.Layout = TemplateLayout();
        app.Layout.setNumber(0, 2, 2300);
        app.Layout.setNumber(0, 3, 1270);
        app.PaperWidth = 2300;
        app.PaperLength = 1270;
        const int rects[3][4] = {{100, 100, 900, 300}, {100, 400, 900, 500}, {1000, 400, 2000, 600}};
        for (int field = 0; field < 3; ++field)
            for (int c = 0; c < 4; ++c)
                app.Layout.setNumber(field + 1, 6 + c, rects[field][c]);

        std::array<QString, kFieldCount> texts;
        const QString marker = Marker("Hangzhou");
        texts[0] = marker;
        texts[1] = QStringLiteral("Chen");
        texts[2] = QStringLiteral("上海");

        const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
        const QSet<QString> before = Jobs();
        QVERIFY(PrintWaybill(nullptr, texts));
        QVERIFY(takeShownMessages().isEmpty());
        // The default printer's name replaces the missing one in memory, not in set.ini.
        QCOMPARE(FromCodePage(app.PrinterName), defaultPrinter);
        QCOMPARE(ReadBytes(paths.setIni), setIni);

        const QString pdf = NewJob(before, marker);
        QVERIFY2(!pdf.isEmpty(), "no job arrived in the test queue's output folder");
        const QSizeF size = PdfPageSize(pdf);
        QVERIFY2(std::abs(size.width() - 2300 / 254.0 * 72) < 0.6, qPrintable(QString::number(size.width())));
        QVERIFY2(std::abs(size.height() - 1310 / 254.0 * 72) < 0.6,
                 qPrintable(QString::number(size.height())));
        QCOMPARE(PdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
        QFile title(pdf.chopped(4) + QStringLiteral(".title"));
        QVERIFY(title.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(title.readAll()).trimmed(), QString::fromUtf8(kPrintDocumentName));
        QCOMPARE(WordsIn(pdf), (QStringList{marker, QStringLiteral("Chen"), QStringLiteral("上海")}));

        // The next job of the run goes straight to the printer now named.
        const QSet<QString> second = Jobs();
        QVERIFY(PrintWaybill(nullptr, texts));
        QCOMPARE(FromCodePage(app.PrinterName), defaultPrinter);
        const QString again = NewJob(second, marker);
        QVERIFY(!again.isEmpty());
        QCOMPARE(PdfPageSize(again), size);
    }

    // A printer the user chose that has gone is named, and nothing is swapped in without a word.
    void aChosenPrinterThatHasGoneIsNamedNotReplaced()
    {
        AppValues& app = App();
        app.PrinterName = "Unplugged-FP-630K";
        std::array<QString, kFieldCount> texts;
        const QString marker = Marker("Unplugged");
        texts[0] = marker;
        const QSet<QString> before = Jobs();
        takeShownMessages();
        QCOMPARE(PrintWaybill(nullptr, texts), PrintedOn());
        const QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("找不到打印机“Unplugged-FP-630K”（可能已拔出、改名或删除），没有打印。"));
        QCOMPARE(app.PrinterName, std::string("Unplugged-FP-630K"));
        QCOMPARE(NewJob(before, marker, 2000), QString());

        // The printer that printed is what the print gives back.
        app.PrinterName = kDefaultPrinterName;
        QCOMPARE(PrintWaybill(nullptr, texts), PrintedOn(QPrinterInfo::defaultPrinterName()));
        QVERIFY(!NewJob(before, marker).isEmpty());
    }

    void printsOnTheNamedPrinterWhenItExists()
    {
        const QString named = QStringLiteral("dorvane-pdf");
        if (!QPrinterInfo::availablePrinterNames().contains(named)) {
            if (qEnvironmentVariable("DORVANE_REQUIRE_CUPS") == QStringLiteral("1"))
                QFAIL("the cups-pdf test queue is not set up");
            QSKIP("the cups-pdf test queue is not set up");
        }
        AppValues& app = App();
        app.PrinterName = ToCodePage(named);
        const auto jobsOf = [&](const QString& state) {
            return RunTool(QStringLiteral("lpstat"),
                           {QStringLiteral("-W"), state, QStringLiteral("-o"), named})
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                .size();
        };
        const int before = jobsOf(QStringLiteral("all"));
        const QSet<QString> rawBefore = Jobs();
        std::array<QString, kFieldCount> texts;
        const QString marker = Marker("Named");
        texts[0] = marker;
        QVERIFY(PrintWaybill(nullptr, texts));
        QCOMPARE(FromCodePage(app.PrinterName), named);
        QTRY_VERIFY_WITH_TIMEOUT(jobsOf(QStringLiteral("all")) > before, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(jobsOf(QStringLiteral("not-completed")) == 0, 60000);
        QCOMPARE(NewJob(rawBefore, marker, 2000), QString()); // nothing went to the default queue
    }
};

QTEST_MAIN(CupsPrintTest)
#include "CupsPrintTest.moc"
