// Splits PDFs that Qt writes, and a hand-made one with a nested page tree, into one-page
// documents, and reads each back with poppler.
#include "print/PdfPageSplitter.h"
#include "print/PdfReadBack.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace dorvane;
using namespace dorvane::test;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const std::string& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A poppler tool's output; fails the test when it exits badly or complains about the file.
QString Poppler(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(program);
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    if (!errors.isEmpty())
        return QStringLiteral("<%1: %2>").arg(program, errors);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString PageText(const QString& pdf, int page)
{
    return Poppler(QStringLiteral("pdftotext"),
                   {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
                    QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

// A PDF written by hand: three pages under a nested tree whose upper node gives the paper and
// the font, one page with paper of its own, one naming another page; the first page's content
// stream carries its length in an object of its own.
std::string HandMade()
{
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R /PageLabels << /Nums [0 << /S /D >>] >> >>",
        "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 3 /MediaBox [0 0 300 200] "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Type /Pages /Parent 2 0 R /Kids [6 0 R 7 0 R] /Count 2 /Rotate 0 >>",
        "<< /Type /Page /Parent 2 0 R /Contents 10 0 R /MediaBox [0 0 400 250] >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Type /Page /Parent 3 0 R /Contents 8 0 R % a comment (with a parenthesis\n>>",
        "<< /Type /Page /Parent 3 0 R /Contents 9 0 R /PieceInfo << /X << /Private [6 0 R] >> >> >>",
    };
    const auto content = [](const std::string& text) {
        return "BT /F1 12 Tf 20 100 Td (" + text + ") Tj ET";
    };
    std::string out = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    const auto add = [&](const std::string& body) {
        offsets.push_back(out.size());
        out += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    for (const auto& o : objects)
        add(o);
    const std::string first = content("Firstpage \\(one\\)");
    add("<< /Length 11 0 R >>\nstream\n" + first + "\nendstream");
    add("<< /Length " + std::to_string(content("Secondpage").size()) + " >>\nstream\n" +
        content("Secondpage") + "\nendstream");
    add("<< /Length " + std::to_string(content("Thirdpage").size()) + " >>\nstream\n" + content("Thirdpage") +
        "\nendstream");
    add(std::to_string(first.size()));
    // Pages in the order 6, 7 (under 3), then 4: object 4 is the third page.
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    char entry[32];
    for (const std::size_t offset : offsets) {
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        out += entry;
    }
    out += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return out;
}

} // namespace

class PdfPageSplitterTest : public QObject {
    Q_OBJECT

private slots:
    // Pages drawn by Qt with two embedded fonts and a picture shared by two pages: each page
    // comes out alone, whole, at its size, and the font programs are the document's bytes.
    void splitsAQtDocumentIntoDocumentsOfOnePage()
    {
        QTemporaryDir dir;
        const QString whole = dir.filePath(QStringLiteral("whole.pdf"));
        const QStringList words = {
            QStringLiteral("杭州市 文三路100号 张三"), QStringLiteral("北京市 朝阳区 李四 (a)"),
            QStringLiteral("宁波市 王五 13800001111"), QStringLiteral("上海市 赵六 \\ ) <x>")};
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        {
            QPdfWriter writer(whole);
            writer.setResolution(600);
            writer.setPageSize(QPageSize(QSizeF(230, 131), QPageSize::Millimeter));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            writer.setTitle(QStringLiteral("打印快递单"));
            QPainter painter(&writer);
            QFont body(QStringLiteral("WenQuanYi Zen Hei"));
            body.setPixelSize(120);
            QFont other(QStringLiteral("AR PL UMing CN"));
            other.setPixelSize(200);
            for (int i = 0; i < words.size(); ++i) {
                if (i > 0)
                    QVERIFY(writer.newPage());
                painter.setFont(body);
                painter.drawText(QPointF(300, 600), words[i]);
                painter.setFont(other);
                painter.drawText(QPointF(300, 1600), QStringLiteral("第%1页").arg(i + 1));
                if (i % 2 == 1)
                    painter.drawImage(QRect(2000, 2000, 400, 200), picture);
            }
        }
        const QByteArray original = ReadAll(whole);
        PdfPageSplitter splitter;
        QVERIFY2(splitter.read(original.toStdString()), splitter.error().c_str());
        QCOMPARE(splitter.pageCount(), std::size_t(4));
        const QSizeF size = PdfPageSize(whole);
        QVERIFY(!size.isEmpty());
        // The largest font program (a stream whose dictionary gives its unpacked /Length1).
        QByteArray font;
        for (qsizetype at = original.indexOf("/Length1"); at >= 0; at = original.indexOf("/Length1", at + 1)) {
            const qsizetype start = original.indexOf("stream\n", at) + 7;
            const QByteArray stream = original.mid(start, original.indexOf("endstream", start) - start);
            font = stream.size() > font.size() ? stream : font;
        }
        QVERIFY(font.size() > 100);

        for (int i = 0; i < words.size(); ++i) {
            const QString single = dir.filePath(QStringLiteral("page%1.pdf").arg(i + 1));
            const std::string page = splitter.page(static_cast<std::size_t>(i));
            QVERIFY2(!page.empty(), splitter.error().c_str());
            WriteAll(single, page);
            const QString info = Poppler(QStringLiteral("pdfinfo"), {single});
            QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
            QVERIFY2(info.contains(QStringLiteral("打印快递单")), qPrintable(info));
            QCOMPARE(PdfPageSize(single), size);
            const QString text = PageText(single, 1);
            QCOMPARE(text, PageText(whole, i + 1));
            QVERIFY2(text.contains(QStringLiteral("第%1页").arg(i + 1)), qPrintable(text));
            QVERIFY(QByteArray::fromStdString(page).contains(font));
            // The picture on the pages that show it, and only there.
            const QString images = Poppler(QStringLiteral("pdfimages"), {QStringLiteral("-list"), single});
            QCOMPARE(images.contains(QStringLiteral(" image ")), i % 2 == 1);
        }
        // A page that is not there.
        QVERIFY(splitter.page(4).empty());
        QVERIFY(!splitter.error().empty());
    }

    // What a page takes from the tree above it, a page with paper of its own, references to
    // other pages and a length in an object of its own; damaged documents are refused, never read
    // past their end.
    void readsANestedTreeAndRefusesDamagedDocuments()
    {
        QTemporaryDir dir;
        const std::string made = HandMade();
        PdfPageSplitter splitter;
        QVERIFY2(splitter.read(made), splitter.error().c_str());
        QCOMPARE(splitter.pageCount(), std::size_t(3));
        const QStringList texts = {QStringLiteral("Firstpage (one)"), QStringLiteral("Secondpage"),
                                   QStringLiteral("Thirdpage")};
        const QList<QSizeF> sizes = {QSizeF(300, 200), QSizeF(300, 200), QSizeF(400, 250)};
        for (int i = 0; i < 3; ++i) {
            const QString single = dir.filePath(QStringLiteral("made%1.pdf").arg(i + 1));
            const std::string page = splitter.page(static_cast<std::size_t>(i));
            QVERIFY2(!page.empty(), splitter.error().c_str());
            WriteAll(single, page);
            QCOMPARE(PageText(single, 1).trimmed(), texts[i]);
            QCOMPARE(PdfPageSize(single), sizes[i]);
            // The other pages' contents stay out of it.
            for (int other = 0; other < 3; ++other) {
                if (other != i)
                    QVERIFY(page.find(texts[other].left(5).toStdString()) == std::string::npos);
            }
        }

        QVERIFY(!splitter.read("GIF89a"));
        QVERIFY(!splitter.error().empty());
        // Cut anywhere after the objects: the cross-reference table or trailer is lost.
        for (const std::size_t cut : {made.size() - 10, made.size() / 2, std::size_t(20)})
            QVERIFY(!splitter.read(made.substr(0, cut)));
        // A table pointing past the end, a stream longer than its data: refused.
        std::string pastEnd = made;
        pastEnd.replace(pastEnd.rfind("startxref\n") + 10, 0, "9999");
        QVERIFY(!splitter.read(pastEnd));
        std::string tooLong = made;
        const std::size_t length = tooLong.rfind("/Length ", tooLong.find("Secondpage")) + 8;
        tooLong.replace(length, tooLong.find_first_not_of("0123456789", length) - length, "999");
        QVERIFY2(splitter.read(tooLong), splitter.error().c_str());
        QVERIFY(!splitter.page(0).empty());
        QVERIFY(splitter.page(1).empty());
        QVERIFY2(splitter.error().find("length") != std::string::npos, splitter.error().c_str());
    }
};

int main(int argc, char** argv)
{
#ifndef _WIN32
    // On Windows only the windows platform reaches the system's fonts.
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    PdfPageSplitterTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PdfPageSplitterTest.moc"
