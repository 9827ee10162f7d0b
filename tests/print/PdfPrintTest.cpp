// Prints waybills into PDF files and reads the texts' positions back.
#include "base/PrintFontConversion.h"
#include "print/PdfReadBack.h"
#include "print/TextBoxDrawer.h"
#include "print/WaybillPrinter.h"
#include "print/WaybillRenderer.h"

#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace dorvane;
using namespace dorvane::test;

namespace {

constexpr int kSenderCompany = 4;
constexpr int kSenderAddress = 6;
constexpr int kRecipientAddress = 7;
constexpr int kGoods = 14;
constexpr int kCount = 15;

// A 230 x 127 mm form with the fields in a grid of 4 columns and 5 rows.
WaybillPrintSetup TestSetup()
{
    WaybillPrintSetup setup;
    setup.formWidth = setup.paperWidth = 2300;
    setup.formHeight = setup.paperLength = 1270;
    for (int i = 0; i < kFieldCount; ++i) {
        const int left = (i % 4) * 575 + 20;
        const int top = (i / 4) * 254 + 40;
        setup.printRects[static_cast<std::size_t>(i)] = {left, top, left + 535, top + 170};
    }
    setup.printRects[kSenderCompany] = {20, 294, 20 + 300, 294 + 170}; // narrow
    setup.printRects[kSenderAddress] = {20 + 2 * 575, 294, 20 + 2 * 575 + 400,
                                        294 + 115}; // 2 and a bit lines
    setup.bodyFont.faceName = "WenQuanYi Zen Hei";
    setup.bodyFont.height = -14;
    setup.destinationFont = setup.bodyFont;
    setup.destinationFont.height = -28;
    setup.screenDpiY = 96;
    return setup;
}

const QString kLongDigits = QStringLiteral("0123456789").repeated(12);
const QString kLongAddress =
    QStringLiteral("alpha bravo charlie delta echo foxtrot golf hotel india juliet kilo lima "
                   "mike november oscar papa quebec romeo sierra tango");

std::array<QString, kFieldCount> FilledTexts()
{
    std::array<QString, kFieldCount> texts;
    texts[0] = QStringLiteral("Shenzhen");
    texts[1] = QStringLiteral("Zhang");
    texts[2] = QStringLiteral("Beijing");
    texts[3] = QStringLiteral("Li");
    texts[kSenderCompany] = kLongDigits;
    texts[5] = QStringLiteral("SOHO现代城A&B座");
    texts[kSenderAddress] = kLongAddress;
    texts[kRecipientAddress] = QStringLiteral("广东省深圳市南山区科技园南区");
    // 8 to 13 stay empty.
    texts[kGoods] = QStringLiteral("衣服");
    texts[kCount] = QStringLiteral("1");
    texts[16] = QStringLiteral("Wang&&Co");
    texts[17] = QStringLiteral("2026");
    texts[18] = QStringLiteral("12");
    texts[19] = QStringLiteral("7");
    return texts;
}

struct PrintedPage {
    QList<PdfWord> words;
    std::array<QRectF, kFieldCount> boxes; // points
    double dpi = 0;
};

PrintedPage PrintToPdf(const QString& path, const WaybillPrintSetup& setup,
                       const std::array<QString, kFieldCount>& texts, const QImage* picture = nullptr)
{
    PrintedPage page;
    QPrinter printer(QPrinter::HighResolution);
    PrepareWaybillPdf(printer, path, setup);
    if (!PrintWaybillOn(printer, setup, texts, nullptr, picture))
        return page;
    page.dpi = printer.resolution();
    const auto boxes = WaybillRenderer(setup).fieldBoxes(printer);
    const double k = 72.0 / page.dpi;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        page.boxes[i] =
            QRectF(boxes[i].left() * k, boxes[i].top() * k, boxes[i].width() * k, boxes[i].height() * k);
    page.words = ReadWords(path);
    return page;
}

int FieldOf(const PrintedPage& page, const PdfWord& word)
{
    for (int i = 0; i < kFieldCount; ++i)
        if (page.boxes[static_cast<std::size_t>(i)].contains(word.box.center()))
            return i;
    return -1;
}

QList<PdfWord> WordsOf(const PrintedPage& page, int field)
{
    QList<PdfWord> words;
    for (const PdfWord& word : page.words)
        if (FieldOf(page, word) == field)
            words.append(word);
    return words;
}

QString Joined(const QList<PdfWord>& words)
{
    QStringList texts;
    for (const PdfWord& word : words)
        texts.append(word.text);
    return texts.join(QLatin1Char(' '));
}

} // namespace

class PdfPrintTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterFontSubstitutes(); }

    void pageHasTheFormsSizeAndOneTitledPage()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("waybill.pdf"));
        const PrintedPage page = PrintToPdf(pdf, TestSetup(), FilledTexts());
        QVERIFY(page.dpi > 0);
        const QSizeF size = PdfPageSize(pdf);
        QVERIFY2(std::abs(size.width() - 2300 / 254.0 * 72) < 0.6, qPrintable(QString::number(size.width())));
        QVERIFY2(std::abs(size.height() - 1310 / 254.0 * 72) < 0.6,
                 qPrintable(QString::number(size.height())));
        QCOMPARE(PdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
        QCOMPARE(PdfInfo(pdf, QStringLiteral("Title")), QString::fromUtf8(kPrintDocumentName));
    }

    void everyTextLiesInsideItsBox()
    {
        QTemporaryDir dir;
        const auto texts = FilledTexts();
        const PrintedPage page = PrintToPdf(dir.filePath(QStringLiteral("waybill.pdf")), TestSetup(), texts);
        QVERIFY(!page.words.isEmpty());
        const double tolerance = 0.5;
        for (const PdfWord& word : page.words) {
            const int field = FieldOf(page, word);
            QVERIFY2(field >= 0, qPrintable(QStringLiteral("stray word ") + word.text));
            QVERIFY2(!texts[static_cast<std::size_t>(field)].isEmpty(), qPrintable(word.text));
            if (field == kSenderCompany)
                continue; // cut at the box's edge, checked below
            const QRectF box = page.boxes[static_cast<std::size_t>(field)].adjusted(-tolerance, -tolerance,
                                                                                    tolerance, tolerance);
            QVERIFY2(box.contains(word.box),
                     qPrintable(QStringLiteral("%1 outside field %2").arg(word.text).arg(field)));
        }
        // Every character as typed, "&" included. (Under wine, Qt's Windows font engine sets
        // this font's Latin letters apart from its Chinese ones, which splits the words.)
        for (int field : {0, 1, 2, 3, 5, 15, 16, 17, 18, 19}) {
#ifdef _WIN32
            QCOMPARE(Joined(WordsOf(page, field)).remove(QLatin1Char(' ')),
                     QString(texts[static_cast<std::size_t>(field)]).remove(QLatin1Char(' ')));
#else
            QCOMPARE(Joined(WordsOf(page, field)), texts[static_cast<std::size_t>(field)]);
#endif
        }

        // Single lines are centred vertically; "1" is centred horizontally too.
        const QRectF count = WordsOf(page, kCount).value(0).box;
        const QRectF countBox = page.boxes[kCount];
        QVERIFY(std::abs(count.center().x() - countBox.center().x()) < 2);
        QVERIFY(std::abs(count.center().y() - countBox.center().y()) < 3);
        const QRectF name = WordsOf(page, 1).value(0).box;
        QVERIFY(std::abs(name.left() - page.boxes[1].left()) < 2); // left format

        // Chinese wraps between characters and stays in its box.
        QString address;
        for (const PdfWord& word : WordsOf(page, kRecipientAddress))
            address += word.text;
        QCOMPARE(address, texts[kRecipientAddress]);
        QCOMPARE(Joined(WordsOf(page, kGoods)), QStringLiteral("衣服"));
    }

    void aPictureUnderTheTextsCoversTheFormAtItsSize()
    {
        // An 870 x 480 form picture, grey with a red mark in its top-left corner and a blue one
        // in its bottom-right corner (the two marks' outer edges are the picture's), and a green
        // one inside at known pixels.
        QImage picture(870, 480, QImage::Format_RGB32);
        picture.fill(QColor(220, 220, 220));
        const QRect redMark(0, 0, 100, 50), blueMark(770, 430, 100, 50), greenMark(100, 100, 100, 50);
        {
            QPainter painter(&picture);
            painter.fillRect(redMark, Qt::red);
            painter.fillRect(blueMark, Qt::blue);
            painter.fillRect(greenMark, Qt::green);
        }
        WaybillPrintSetup setup = TestSetup();
        setup.pictureWidth = 870;
        setup.pictureHeight = 480;
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("check.pdf"));
        const PrintedPage plain = PrintToPdf(dir.filePath(QStringLiteral("plain.pdf")), setup, FilledTexts());
        const PrintedPage check = PrintToPdf(pdf, setup, FilledTexts(), &picture);

        // The form, 230 x 127 mm, lies at its size from the 131 mm page's top-left corner: a
        // picture pixel (x, y) is at x * 230 / 870 mm and y * 127 / 480 mm.
        const auto expected = [](const QRect& r) {
            return QRectF(QPointF(r.left() * 230.0 / 870, r.top() * 127.0 / 480),
                          QPointF((r.right() + 1) * 230.0 / 870, (r.bottom() + 1) * 127.0 / 480));
        };
        constexpr int dpi = 200;
        const QImage page = RenderPage(pdf, dpi);
        QVERIFY(!page.isNull());
        for (const auto& [mark, colour] :
             {std::pair{redMark, QColor(Qt::red)}, std::pair{blueMark, QColor(Qt::blue)},
              std::pair{greenMark, QColor(Qt::green)}}) {
            const QString apart = EdgesApart(ColourBoundsMm(page, dpi, colour), expected(mark), 0.3);
            QVERIFY2(apart.isEmpty(), qPrintable(apart));
        }
        const QRectF red = ColourBoundsMm(page, dpi, Qt::red), blue = ColourBoundsMm(page, dpi, Qt::blue);
        QVERIFY2(
            std::abs(blue.right() - red.left() - 230) < 0.5 &&
                std::abs(blue.bottom() - red.top() - 127) < 0.5,
            qPrintable(
                QStringLiteral("%1 x %2 mm").arg(blue.right() - red.left()).arg(blue.bottom() - red.top())));

        // The texts are where they are without the picture, drawn over it: the sender
        // company's digits show black on the green mark where the two overlap.
        QCOMPARE(check.words.size(), plain.words.size());
        for (qsizetype i = 0; i < plain.words.size(); ++i)
            QVERIFY((check.words[i].box.topLeft() - plain.words[i].box.topLeft()).manhattanLength() < 0.1);
        const double pxPerPoint = dpi / 72.0, pxPerMm = dpi / 25.4;
        const QRect company = QRectF(check.boxes[kSenderCompany].topLeft() * pxPerPoint,
                                     check.boxes[kSenderCompany].size() * pxPerPoint)
                                  .toRect()
                                  .intersected(QRectF(expected(greenMark).topLeft() * pxPerMm,
                                                      expected(greenMark).size() * pxPerMm)
                                                   .toRect());
        int black = 0;
        for (int y = company.top(); y <= company.bottom(); ++y)
            for (int x = company.left(); x <= company.right(); ++x)
                black += qRed(page.pixel(x, y)) < 80 && qGreen(page.pixel(x, y)) < 80;
        QVERIFY2(black > 20, qPrintable(QString::number(black)));
    }

    void destinationAloneUsesTheDestinationFont()
    {
        QTemporaryDir dir;
        const PrintedPage page =
            PrintToPdf(dir.filePath(QStringLiteral("waybill.pdf")), TestSetup(), FilledTexts());
        const double destination = WordsOf(page, 0).value(0).box.height();
        QVERIFY(destination > 0);
        for (int field : {1, 2, 3, 15, 16, 17}) {
            const double body = WordsOf(page, field).value(0).box.height();
            QVERIFY2(std::abs(destination / body - 2.0) < 0.1,
                     qPrintable(QStringLiteral("field %1").arg(field)));
        }
    }

    void overlongSingleLineIsCutAtItsBox()
    {
        QTemporaryDir dir;
        const PrintedPage page =
            PrintToPdf(dir.filePath(QStringLiteral("waybill.pdf")), TestSetup(), FilledTexts());
        const auto words = WordsOf(page, kSenderCompany);
        QCOMPARE(words.size(), 1);
        const PdfWord cut = words.first();
        QVERIFY(cut.text.size() > 10);
        QVERIFY(cut.text.size() < kLongDigits.size());
        QVERIFY(kLongDigits.startsWith(cut.text));
        const QRectF box = page.boxes[kSenderCompany];
        const double digitWidth = cut.box.width() / cut.text.size();
        QVERIFY(cut.box.left() >= box.left() - 0.5);
        // The last digit drawn reaches into the box; the next one would lie wholly outside it.
        QVERIFY(cut.box.right() > box.right() - 0.01);
        QVERIFY(cut.box.right() < box.right() + digitWidth + 0.01);
    }

    void wrappedTextBreaksAtWordsAndDropsAPartialLastLine()
    {
        QTemporaryDir dir;
        const WaybillPrintSetup setup = TestSetup();
        const PrintedPage page =
            PrintToPdf(dir.filePath(QStringLiteral("waybill.pdf")), setup, FilledTexts());
        const auto words = WordsOf(page, kSenderAddress);
        QVERIFY(!words.isEmpty());

        // The box holds two whole lines and part of a third (the test's own premise).
        QPrinter printer(QPrinter::HighResolution);
        QFont font =
            ToQFont(setup.bodyFont,
                    WaybillRenderer(setup).deviceFontHeight(setup.bodyFont, static_cast<int>(page.dpi)));
        const double lineHeight = QFontMetricsF(font, &printer).height() * 72 / page.dpi;
        const double lines = page.boxes[kSenderAddress].height() / lineHeight;
        QVERIFY2(lines > 2.2 && lines < 2.8, qPrintable(QString::number(lines)));

        QList<double> lineTops;
        for (const PdfWord& word : words) {
            QVERIFY(page.boxes[kSenderAddress].adjusted(-0.5, -0.5, 0.5, 0.5).contains(word.box));
            bool known = false;
            for (double top : lineTops)
                known = known || std::abs(top - word.box.top()) < 1;
            if (!known)
                lineTops.append(word.box.top());
        }
        QCOMPARE(lineTops.size(), 2);
        // Whole words only, in order, and the text goes on past what is shown.
        const QStringList all = kLongAddress.split(QLatin1Char(' '));
        QCOMPARE(Joined(words), QStringList(all.mid(0, words.size())).join(QLatin1Char(' ')));
        QVERIFY(words.size() < all.size());
    }

    void printingTwiceGivesTheSamePage()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.pdf"));
        const QString second = dir.filePath(QStringLiteral("second.pdf"));
        PrintToPdf(first, TestSetup(), FilledTexts());
        PrintToPdf(second, TestSetup(), FilledTexts());
        bool ok1 = false, ok2 = false;
        const QString text1 =
            RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), first, QStringLiteral("-")}, &ok1);
        const QString text2 = RunTool(QStringLiteral("pdftotext"),
                                      {QStringLiteral("-bbox"), second, QStringLiteral("-")}, &ok2);
        QVERIFY(ok1 && ok2);
        QVERIFY(text1.contains(QStringLiteral("Shenzhen")));
        // The pages, words and boxes; not the document information before them, whose creation
        // time (to the second) differs whenever the two prints fall in different seconds.
        const auto pages = [](const QString& text) {
            return text.mid(text.indexOf(QStringLiteral("<doc>")));
        };
        QVERIFY(text1.contains(QStringLiteral("<doc>")));
        QCOMPARE(pages(text1), pages(text2));
        // The rendered pages, pixel for pixel.
        for (const QString& pdf : {first, second}) {
            bool ok = false;
            RunTool(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-gray"),
                     QStringLiteral("-singlefile"), pdf, pdf},
                    &ok);
            QVERIFY(ok);
        }
        QFile a(first + QStringLiteral(".pgm")), b(second + QStringLiteral(".pgm"));
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        const QByteArray pixels = a.readAll();
        QVERIFY(pixels.size() > 1000);
        QVERIFY(pixels == b.readAll());
    }

    void ampersandsAreDrawnAsTypedAndUnderlineNothing()
    {
        // The ink of a text drawn into a wide box: its width, and the lowest row it reaches.
        const auto ink = [](const QString& text) {
            QImage image(300, 60, QImage::Format_Grayscale8);
            image.fill(Qt::white);
            QPainter painter(&image);
            QFont font(QStringLiteral("WenQuanYi Zen Hei"));
            font.setPixelSize(30);
            painter.setFont(font);
            TextBoxDrawer::draw(painter, QRect(0, 0, 300, 60), text, kLeftSingleLine);
            painter.end();
            int left = image.width(), right = -1, bottom = -1;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qGray(image.pixel(x, y)) < 128) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                        bottom = std::max(bottom, y);
                    }
            return std::pair{right - left + 1, bottom};
        };
        const auto [w, wBottom] = ink(QStringLiteral("W"));
        const auto [one, oneBottom] = ink(QStringLiteral("&W"));
        const auto [two, twoBottom] = ink(QStringLiteral("&&W"));
        // Each "&" is drawn: one more makes the ink wider.
        QVERIFY2(w < one && one < two, qPrintable(QStringLiteral("%1 %2 %3").arg(w).arg(one).arg(two)));
        // Nothing is underlined: no ink below the letters' own.
        QVERIFY2(oneBottom <= wBottom + 1 && twoBottom <= wBottom + 1,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(wBottom).arg(oneBottom).arg(twoBottom)));
    }

    void emptyTextsAndEmptyBoxesDrawNothing()
    {
        QImage image(100, 40, QImage::Format_Grayscale8);
        image.fill(Qt::white);
        const QImage blank = image;
        QPainter painter(&image);
        TextBoxDrawer::draw(painter, QRect(0, 0, 100, 40), QString(), kLeftSingleLine);
        TextBoxDrawer::draw(painter, QRect(0, 0, 100, 40), QStringLiteral(" \r\n "), kCentredWrapped);
        TextBoxDrawer::draw(painter, QRect(10, 10, 0, 20), QStringLiteral("text"), kLeftSingleLine);
        TextBoxDrawer::draw(painter, QRect(0, 0, 100, 3), QStringLiteral("text"),
                            kLeftWrapped); // no whole line fits
        painter.end();
        QCOMPARE(image, blank);
    }
};

QTEST_MAIN(PdfPrintTest)
#include "PdfPrintTest.moc"
