// What a box cuts from its text, measured on a PDF printer at the job's resolution, and checked
// against what the same drawer really prints.
#include "base/PrintFontConversion.h"
#include "print/FontShrink.h"
#include "print/PdfReadBack.h"
#include "print/TextBoxDrawer.h"
#include "print/WaybillFitCheck.h"
#include "print/WaybillPrinter.h"
#include "template/WaybillField.h"

#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>

#include <cmath>

using namespace dorvane;
using namespace dorvane::test;

namespace {

constexpr int kRecipientAddress = 7;

QFont TestFont()
{
    LogFont font;
    font.faceName = "WenQuanYi Zen Hei";
    return ToQFont(font, 200); // 12 points at 1200 dpi
}

// The width the drawer's layout gives a text on the device, in device pixels.
qreal NaturalWidth(const QString& text, const QPaintDevice* device)
{
    QTextLayout layout(text, TestFont(), device);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    return line.naturalTextWidth();
}

qreal LineHeight(const QPaintDevice* device)
{
    QTextLayout layout(QStringLiteral("中"), TestFont(), device);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    return line.height();
}

struct PdfDevice {
    QTemporaryDir dir;
    QPrinter printer{QPrinter::HighResolution};
    PdfDevice()
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("fit.pdf")));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }
};

TextBoxFit Fit(const PdfDevice& pdf, const QString& text, int width, int height, std::uint32_t format)
{
    return TextBoxDrawer::fit(TestFont(), &pdf.printer, QRect(100, 100, width, height), text, format);
}

// A 230 x 127 mm form whose only box is a recipient address 60 x 12 mm.
WaybillPrintSetup AddressSetup()
{
    WaybillPrintSetup setup;
    setup.formWidth = setup.paperWidth = 2300;
    setup.formHeight = setup.paperLength = 1270;
    setup.printRects[kRecipientAddress] = {200, 300, 800, 420};
    setup.bodyFont.faceName = "WenQuanYi Zen Hei";
    setup.bodyFont.height = -16;
    setup.destinationFont = setup.bodyFont;
    return setup;
}

} // namespace

class TextBoxFitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterFontSubstitutes(); }

    void singleLineLosesTheCharactersBeyondTheEdge()
    {
        PdfDevice pdf;
        const QString fits = QStringLiteral("浙江省杭州市");
        const int exact = static_cast<int>(std::ceil(NaturalWidth(fits, &pdf.printer)));

        QVERIFY(Fit(pdf, fits, exact, 400, kLeftSingleLine).whole());
        QVERIFY(Fit(pdf, fits, exact, 400, kCentredSingleLine).whole());
        const TextBoxFit one = Fit(pdf, fits + QStringLiteral("西"), exact, 400, kLeftSingleLine);
        QCOMPARE(one.lostChars, 1);
        QCOMPARE(one.lostText, QStringLiteral("西"));
        QCOMPARE(one.lostLines, 0);
        // A box a pixel short cuts through the last character: it is lost, not half printed.
        const TextBoxFit shaved = Fit(pdf, fits, exact - 2, 400, kLeftSingleLine);
        QCOMPARE(shaved.lostText, QStringLiteral("市"));
        // Centred text too wide for its box loses characters at both ends.
        const TextBoxFit centred = Fit(pdf, fits + QStringLiteral("西湖"), exact, 400, kCentredSingleLine);
        QCOMPARE(centred.lostChars, 2);
        QVERIFY(centred.lostText.startsWith(QStringLiteral("浙")));
        QVERIFY(centred.lostText.endsWith(QStringLiteral("湖")));

        // A character of four bytes in the code page (two UTF-16 units) is lost whole.
        const QString rare = QString::fromUcs4(U"𠮷");
        const TextBoxFit four = Fit(pdf, fits + rare, exact, 400, kLeftSingleLine);
        QCOMPARE(four.lostChars, 1);
        QCOMPARE(four.lostText, rare);

        // "&" is measured as it is printed: every one of them, as wide as it is.
        const QString soho = QStringLiteral("SOHO现代城A&B座");
        const int sohoWidth = static_cast<int>(std::ceil(NaturalWidth(soho, &pdf.printer)));
        QVERIFY(NaturalWidth(soho, &pdf.printer) >
                NaturalWidth(QStringLiteral("SOHO现代城AB座"), &pdf.printer));
        QVERIFY(Fit(pdf, soho, sohoWidth, 400, kLeftSingleLine).whole());
        const TextBoxFit amp = Fit(pdf, QStringLiteral("SOHO现代城A&&B座"), sohoWidth, 400, kLeftSingleLine);
        QCOMPARE(amp.lostChars, 1);
        QCOMPARE(amp.lostText, QStringLiteral("座"));

        // Blanks and line ends past the edge lose nothing; nothing is lost of an empty text.
        QVERIFY(Fit(pdf, fits + QStringLiteral("  \r\n"), exact, 400, kLeftSingleLine).whole());
        QVERIFY(Fit(pdf, QString(), 0, 0, kLeftWrapped).whole());
        // A box without area loses everything.
        const TextBoxFit none = Fit(pdf, QStringLiteral("杭州 西湖"), 0, 400, kLeftSingleLine);
        QCOMPARE(none.lostChars, 5);
        QCOMPARE(none.lostText, QStringLiteral("杭州 西湖"));
        QCOMPARE(Fit(pdf, QStringLiteral("杭州\n西湖"), 500, 0, kLeftWrapped).lostLines, 2);
    }

    // The fit check and the printed page agree: the lines it calls lost are not on paper, the
    // others are.
    void wrappedTextLosesTheLinesThatDoNotFitWhole()
    {
        PdfDevice pdf;
        const QString text = QStringLiteral("第一行\n第二行\n第三行");
        const qreal line = LineHeight(&pdf.printer);
        const int width = static_cast<int>(std::ceil(NaturalWidth(QStringLiteral("第一行"), &pdf.printer))) + 10;
        const QRect threeLines(100, 100, width, static_cast<int>(std::ceil(3 * line)));
        QVERIFY(TextBoxDrawer::fit(TestFont(), &pdf.printer, threeLines, text, kLeftWrapped).whole());

        const QRect twoAndAHalf(100, 100, width, static_cast<int>(2.5 * line));
        const TextBoxFit fit = TextBoxDrawer::fit(TestFont(), &pdf.printer, twoAndAHalf, text, kLeftWrapped);
        QCOMPARE(fit.lostLines, 1);
        QCOMPARE(fit.lostChars, 3);
        QCOMPARE(fit.lostText, QStringLiteral("第三行"));

        QPainter painter(&pdf.printer);
        painter.setFont(TestFont());
        const TextBoxFit drawn = TextBoxDrawer::draw(painter, twoAndAHalf, text, kLeftWrapped);
        painter.end();
        QCOMPARE(drawn.lostText, fit.lostText);
        QStringList printed;
        for (const PdfWord& word : ReadWords(pdf.printer.outputFileName()))
            printed.append(word.text);
        QCOMPARE(printed, QStringList({QStringLiteral("第一行"), QStringLiteral("第二行")}));
    }

    void shrinkingFindsTheLargestFontThatFits()
    {
        PdfDevice pdf;
        PrepareWaybillPdf(pdf.printer, pdf.printer.outputFileName(), AddressSetup());
        const WaybillFitCheck check(AddressSetup(), pdf.printer);
        WaybillTexts texts;
        texts[kRecipientAddress] = QStringLiteral("浙江省杭州市西湖区文三路100号某某大厦").repeated(3);
        texts[3] = QStringLiteral("张三"); // no box: everything lost, and no smaller font helps

        QCOMPARE(CutFields(check.checkAll(texts)), (std::vector<int>{3, kRecipientAddress}));
        const ShrinkResult shrunk = check.shrink(texts);
        QCOMPARE(shrunk.unfit, std::vector<int>{3});
        const int height = shrunk.heights[kRecipientAddress];
        QVERIFY(height >= check.smallestHeight());
        QVERIFY(height < check.fontHeight(kRecipientAddress));
        QVERIFY(check.check(kRecipientAddress, texts[kRecipientAddress], height).whole());
        QVERIFY(!check.check(kRecipientAddress, texts[kRecipientAddress], height + 1).whole());
        QCOMPARE(shrunk.heights[0], 0);

        // Six points at the printer's resolution is the floor: a text that needs less is unfit.
        QCOMPARE(check.smallestHeight(), SmallestFontPixels(pdf.printer.logicalDpiY()));
        texts[3].clear();
        texts[kRecipientAddress] = texts[kRecipientAddress].repeated(8);
        QCOMPARE(check.shrink(texts).unfit, std::vector<int>{kRecipientAddress});
    }

    // A character the print font lacks is drawn with another installed font that has it; one
    // that no font has would print as an empty box, and the check says so instead.
    void aCharacterNoFontHasIsReportedAndOneAnotherFontHasIsPrinted()
    {
        PdfDevice pdf;
        // Here the parcel and the thumbs-up are in no font, the smiling face in DejaVu Sans only.
        const QString parcel = QString::fromUtf8("📦"), thumb = QString::fromUtf8("👍🏻");
        const TextBoxFit missing = Fit(pdf, QStringLiteral("李明") + parcel, 4000, 400, kLeftSingleLine);
        QVERIFY(missing.placed());
        QVERIFY(!missing.whole());
        QCOMPARE(missing.unprintable, parcel);
        QCOMPARE(DescribeCut(missing), QStringLiteral("无法打印的字符：") + parcel);
        // Each character once, in its order; an emoji and its skin tone are one character.
        QCOMPARE(
            Fit(pdf, parcel + QStringLiteral("王\n") + thumb + parcel, 4000, 4000, kLeftWrapped).unprintable,
            parcel + thumb);

        const QString smiling = QStringLiteral("李明") + QString::fromUtf8("😀");
        QVERIFY(Fit(pdf, smiling, 4000, 400, kLeftSingleLine).whole());
        {
            QPainter painter(&pdf.printer);
            painter.setFont(TestFont());
            QVERIFY(
                TextBoxDrawer::draw(painter, QRect(100, 100, 4000, 400), smiling, kLeftSingleLine).whole());
        }
        // On the page: the name, and after it the face in the font that has it (poppler finds
        // no text in that glyph, so its ink is looked for).
        const QString file = pdf.printer.outputFileName();
        const QList<PdfWord> words = ReadWords(file);
        QCOMPARE(words.size(), 1);
        QCOMPARE(words[0].text, QStringLiteral("李明"));
#ifndef _WIN32
        // Windows's own fallback may take another font that has the face.
        QVERIFY(RunTool(QStringLiteral("pdffonts"), {file}).contains(QStringLiteral("DejaVuSans")));
#endif
        constexpr int dpi = 150;
        const QImage page = RenderPage(file, dpi);
        const double px = dpi / 72.0;
        int ink = 0;
        for (int y = int(words[0].box.top() * px); y < int(words[0].box.bottom() * px); ++y)
            for (int x = int(words[0].box.right() * px) + 2; x < int((words[0].box.right() + 15) * px); ++x)
                ink += qGray(page.pixel(x, y)) < 128;
        QVERIFY2(ink > 30, qPrintable(QString::number(ink)));

        // No smaller font helps with a missing character: the field is asked about, not refused.
        PrepareWaybillPdf(pdf.printer, pdf.printer.outputFileName(), AddressSetup());
        const WaybillFitCheck check(AddressSetup(), pdf.printer);
        WaybillTexts texts;
        texts[kRecipientAddress] = QStringLiteral("文三路1号") + parcel;
        QCOMPARE(CutFields(check.checkAll(texts)), std::vector<int>{kRecipientAddress});
        const ShrinkResult shrunk = check.shrink(texts);
        QVERIFY(shrunk.ok());
        QCOMPARE(shrunk.heights[kRecipientAddress], 0);
    }
};

QTEST_MAIN(TextBoxFitTest)
#include "TextBoxFitTest.moc"
