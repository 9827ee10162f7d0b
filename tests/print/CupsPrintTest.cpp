// A waybill printed through the real CUPS spooler onto the queues set up by
// scripts/cups-test-setup.sh, whose backend keeps each job's PDF as it was sent.
#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "base/PrintFontConversion.h"
#include "print/PdfReadBack.h"
#include "print/WaybillFitCheck.h"
#include "batch/WindowPrint.h"
#include "support/TempFolder.h"
#include "support/TestQueue.h"
#include "template/TemplateStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPrinter>
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

// The first word on the page whose text is `text`; an empty box when there is none.
QRectF WordBox(const QString& pdf, const QString& text)
{
    for (const PdfWord& word : ReadWords(pdf))
        if (word.text == text)
            return word.box;
    return {};
}

constexpr double kMmPerPoint = 25.4 / 72;

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
        Workspace app;
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
        QVERIFY(PrintWaybill(nullptr, app, texts));
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
        QVERIFY(PrintWaybill(nullptr, app, texts));
        QCOMPARE(FromCodePage(app.PrinterName), defaultPrinter);
        const QString again = NewJob(second, marker);
        QVERIFY(!again.isEmpty());
        QCOMPARE(PdfPageSize(again), size);
    }

    // A printer that cannot print near the paper's edges (12 points at the left, 8 at the top,
    // 10 at the right) prints the form at its true size from the paper's corner all the same.
    void theFormLandsAtItsTrueSizeOnAPrinterWithMargins()
    {
        const QString queue = QStringLiteral("dorvane-test-margins");
        if (!HasQueue(queue))
            QSKIP("the test queue with margins is not set up");
        TempFolder work;
        Workspace app;
        app.WorkFolder = work.path();
        app.CurrentTemplate = "check";
        app.PrinterName = ToCodePage(queue);
        app.PrintOffsetX = app.PrintOffsetY = app.TextSpacingX = app.TextSpacingY = 0;
        app.BodyFont = LogFont();
        app.BodyFont.faceName = "WenQuanYi Zen Hei";
        app.BodyFont.height = -14;
        app.DestinationFont = app.BodyFont;

        // A 230 x 127 mm form of an 870 x 480 picture: a box 5 mm from the left edge, one
        // ending 5 mm before the right edge, both 30 mm down; the texts are top-left aligned.
        TemplateLayout layout;
        for (const auto& [column, value] : {std::pair{2, 2300}, {3, 1270}, {4, 870}, {5, 480}})
            layout.setNumber(0, column, value);
        const PixelRect left{50, 300, 700, 500}, right{1800, 300, 2250, 500};
        constexpr int kSenderAddress = 6, kRecipientAddress = 7;
        for (const auto& [row, rect] : {std::pair{kSenderAddress + 1, left}, {kRecipientAddress + 1, right}})
            for (const auto& [column, value] :
                 {std::pair{6, rect.left}, {7, rect.top}, {8, rect.right}, {9, rect.bottom}})
                layout.setNumber(row, column, value);
        app.Layout = layout;

        // The check print's picture: mid-grey all over (the queue prints in grey), so that its
        // extent on paper stands out from the white paper and the black texts alike.
        QImage picture(870, 480, QImage::Format_RGB32);
        picture.fill(QColor(128, 128, 128));
        std::filesystem::create_directories(DataFolder(work.path()));
        QVERIFY(picture.save(QString::fromStdString(PicturePath(work.path(), "check").string()), "BMP"));

        std::array<QString, kFieldCount> texts;
        const QString leftWord = Marker("Left"), rightWord = Marker("Right");
        texts[kSenderAddress] = leftWord;
        texts[kRecipientAddress] = rightWord;
        const auto print = [&](bool withPicture) {
            const QSet<QString> before = Jobs();
            const bool printed = static_cast<bool>(withPicture ? PrintWaybillWithPicture(nullptr, app, texts, app.Layout, {})
                                             : PrintWaybill(nullptr, app, texts, app.Layout));
            return printed ? NewJob(before, leftWord) : QString();
        };

        const QString job = print(false);
        QVERIFY2(!job.isEmpty(), "no job arrived from the queue with margins");
        QCOMPARE(FromCodePage(app.PrinterName), queue);
        for (const auto& [word, rect] : {std::pair{leftWord, left}, {rightWord, right}}) {
            const QRectF printed = WordBox(job, word);
            QVERIFY2(!printed.isEmpty(), qPrintable(word));
            // Left-aligned text starts at its box's left edge, as many millimetres from the
            // paper's edge as the form says; its line's top is the box's top.
            QVERIFY2(std::abs(printed.left() * kMmPerPoint - rect.left / 10.0) < 0.3,
                     qPrintable(QStringLiteral("%1 at %2 mm").arg(word).arg(printed.left() * kMmPerPoint)));
            QVERIFY2(
                std::abs(printed.top() * kMmPerPoint - rect.top / 10.0) < 0.3,
                qPrintable(QStringLiteral("%1 at %2 mm down").arg(word).arg(printed.top() * kMmPerPoint)));
        }

        // Offsets move the print by exactly the millimetres entered: 3.5 right, 2 up.
        app.PrintOffsetX = 35;
        app.PrintOffsetY = -20;
        const QString moved = print(false);
        QVERIFY(!moved.isEmpty());
        for (const QString& word : {leftWord, rightWord}) {
            const QPointF shift =
                (WordBox(moved, word).topLeft() - WordBox(job, word).topLeft()) * kMmPerPoint;
            QVERIFY2(
                std::abs(shift.x() - 3.5) < 0.05 && std::abs(shift.y() + 2.0) < 0.05,
                qPrintable(QStringLiteral("%1 moved %2, %3 mm").arg(word).arg(shift.x()).arg(shift.y())));
        }
        app.PrintOffsetX = app.PrintOffsetY = 0;

        // The check print: the picture covers the form, 230 x 127 mm from the paper's corner.
        const QString check = print(true);
        QVERIFY(!check.isEmpty());
        constexpr int dpi = 200;
        const QImage page = RenderPage(check, dpi);
        QVERIFY(!page.isNull());
        const QRectF form = ColourBoundsMm(page, dpi, QColor(128, 128, 128));
        QVERIFY2(std::abs(form.left()) < 0.5 && std::abs(form.top()) < 0.5 &&
                     std::abs(form.width() - 230) < 0.5 && std::abs(form.height() - 127) < 0.5,
                 qPrintable(QStringLiteral("the picture lies at %1, %2 mm, %3 x %4 mm")
                                .arg(form.left())
                                .arg(form.top())
                                .arg(form.width())
                                .arg(form.height())));
    }

    // What falls where the printer cannot print is reported before printing, like a cut text;
    // on paper the printer prints whole, nothing is.
    void aTextInThePrintersMarginIsReportedAsCut()
    {
        const QString queue = QStringLiteral("dorvane-test-margins");
        if (!HasQueue(queue) || !HasQueue(QStringLiteral("dorvane-test")))
            QSKIP("the test queues are not set up");
        WaybillPrintSetup setup;
        setup.formWidth = setup.paperWidth = 2300;
        setup.formHeight = setup.paperLength = 1270;
        setup.bodyFont.faceName = "WenQuanYi Zen Hei";
        setup.bodyFont.height = -14;
        setup.destinationFont = setup.bodyFont;
        constexpr int kSenderName = 1, kRecipientName = 3, kSenderAddress = 6, kCount = 15;
        setup.printRects[kSenderName] = {10, 300, 600, 400};       // starts 1 mm from the left edge
        setup.printRects[kRecipientName] = {1800, 300, 2290, 400}; // into the right margin, its text not
        setup.printRects[kSenderAddress] = {300, 5, 1000, 400};    // wrapped, its first line at the top edge
        setup.printRects[kCount] = {1000, 600, 1200, 700};         // well inside
        WaybillTexts texts;
        texts[kSenderName] = QStringLiteral("张三丰");
        texts[kRecipientName] = QStringLiteral("李四");
        texts[kSenderAddress] = QStringLiteral("文三路\n西湖区");
        texts[kCount] = QStringLiteral("1");

        QPrinter margins(QPrinter::HighResolution);
        PrepareWaybillPrinter(margins, queue, setup);
        const FieldFits fits = WaybillFitCheck(setup, margins).checkAll(texts);
        QCOMPARE(CutFields(fits), (std::vector<int>{kSenderName, kSenderAddress}));
        QCOMPARE(fits[kSenderName].lostText, QStringLiteral("张"));
        QCOMPARE(DescribeCut(fits[kSenderName]), QStringLiteral("打印时将截去 1 个字：张"));
        QCOMPARE(fits[kSenderAddress].lostText, QStringLiteral("文三路"));
        QCOMPARE(fits[kSenderAddress].lostLines, 1);

        // A printer whose printable area is the whole sheet loses nothing of them.
        QPrinter whole(QPrinter::HighResolution);
        PrepareWaybillPrinter(whole, QStringLiteral("dorvane-test"), setup);
        QVERIFY(CutFields(WaybillFitCheck(setup, whole).checkAll(texts)).empty());
    }

    // A printer the user chose that has gone is named, and nothing is swapped in without a word.
    void aChosenPrinterThatHasGoneIsNamedNotReplaced()
    {
        Workspace app;
        app.PrinterName = "Unplugged-FP-630K";
        // A form of its own: one box for the marker, a fresh workspace has none.
        app.Layout = TemplateLayout();
        app.Layout.setNumber(0, 2, 2300);
        app.Layout.setNumber(0, 3, 1270);
        for (const auto& [column, value] : {std::pair{6, 100}, {7, 100}, {8, 900}, {9, 300}})
            app.Layout.setNumber(1, column, value);
        std::array<QString, kFieldCount> texts;
        const QString marker = Marker("Unplugged");
        texts[0] = marker;
        const QSet<QString> before = Jobs();
        takeShownMessages();
        QCOMPARE(PrintWaybill(nullptr, app, texts), PrintedOn());
        const QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("找不到打印机“Unplugged-FP-630K”（可能已拔出、改名或删除），没有打印。"));
        QCOMPARE(app.PrinterName, std::string("Unplugged-FP-630K"));
        QCOMPARE(NewJob(before, marker, 2000), QString());

        // The printer that printed is what the print gives back.
        app.PrinterName = kDefaultPrinterName;
        QCOMPARE(PrintWaybill(nullptr, app, texts), PrintedOn(QPrinterInfo::defaultPrinterName()));
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
        Workspace app;
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
        QVERIFY(PrintWaybill(nullptr, app, texts));
        QCOMPARE(FromCodePage(app.PrinterName), named);
        QTRY_VERIFY_WITH_TIMEOUT(jobsOf(QStringLiteral("all")) > before, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(jobsOf(QStringLiteral("not-completed")) == 0, 60000);
        QCOMPARE(NewJob(rawBefore, marker, 2000), QString()); // nothing went to the default queue
    }
};

QTEST_MAIN(CupsPrintTest)
#include "CupsPrintTest.moc"
