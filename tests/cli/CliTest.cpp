// The real dorvane-cli run as a shop runs it: templates, shop addresses, and batches from an
// order export printed into PDF files that are read back.
#include "support/TestQueue.h"
#include "store/PrintLog.h"
#include "cli/CliRunner.h"
#include "print/PdfReadBack.h"
#include "print/QueueJobs.h"
#include "template/TemplateList.h"

#include <QDate>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using namespace dorvane;
using namespace dorvane::test;

namespace {

const QString kHeader =
    QStringLiteral("收件人姓名,目的地,收件人地址,收件人单位名称,收件人手机号码,收件邮编,物品名称,数量");
constexpr std::array<int, 8> kColumnFields = {3, 0, 7, 5, 12, 13, 14, 15};

// Record r's texts in column order: commas, quotes and a line break inside quoted fields.
QStringList RecordTexts(int r)
{
    return {QStringLiteral("张三%1").arg(r),
            QStringLiteral("宁波%1").arg(r),
            QStringLiteral("浙江省宁波市,\n某路%1号").arg(r),
            QStringLiteral("公司%1").arg(r),
            QStringLiteral("139000000%1").arg(r, 2, 10, QLatin1Char('0')),
            QStringLiteral("3150%1").arg(r, 2, 10, QLatin1Char('0')),
            QStringLiteral("书\"精装\"%1").arg(r),
            QString::number(r)};
}

QString CsvField(QString text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// An address of that many Chinese characters, none repeated next to its neighbour.
QString LongAddress(int length)
{
    const QString pool = QStringLiteral("浙江省宁波市鄞州区文三路东信大厦小区栋单元室号楼");
    QString text;
    for (int i = 0; i < length; ++i)
        text += pool[(i * 7) % pool.size()];
    return text;
}

// longAddress, when given, is the recipient address of record longRecord.
QString Csv(int records, int longRecord = 0, const QString& longAddress = {})
{
    QString csv = kHeader + QStringLiteral("\r\n");
    for (int r = 1; r <= records; ++r) {
        QStringList texts = RecordTexts(r);
        if (r == longRecord)
            texts[2] = longAddress;
        QStringList fields;
        for (const QString& text : texts)
            fields.append(CsvField(text));
        csv += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return csv;
}

QByteArray Gbk(const QString& text)
{
    const std::string bytes = ToCodePage(text);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// What the spooler keeps of a job (ipptool's Get-Job-Attributes): value by attribute name.
QHash<QString, QString> JobAttributes(int job)
{
    QTemporaryFile test;
    if (!test.open())
        return {};
    test.write("{ NAME \"job\" OPERATION Get-Job-Attributes\n"
               "GROUP operation-attributes-tag\n"
               "ATTR charset attributes-charset utf-8\n"
               "ATTR naturalLanguage attributes-natural-language en\n"
               "ATTR uri job-uri $uri\n"
               "ATTR name requesting-user-name $user\n"
               "ATTR keyword requested-attributes all\n"
               "STATUS successful-ok }\n");
    test.close();
    const QString answer = RunTool(QStringLiteral("ipptool"),
                                   {QStringLiteral("-tv"), QStringLiteral("ipp://localhost/jobs/%1").arg(job),
                                    test.fileName()});
    static const QRegularExpression line(QStringLiteral("^\\s+([a-z-]+) \\([^)]*\\) = (.*)$"),
                                         QRegularExpression::MultilineOption);
    QHash<QString, QString> attributes;
    for (auto it = line.globalMatch(answer); it.hasNext();) {
        const auto m = it.next();
        attributes.insert(m.captured(1), m.captured(2));
    }
    return attributes;
}

// The words of every page of a PDF.
QList<QList<PdfWord>> ReadPages(const QString& pdf)
{
    bool ok = false;
    const QString html =
        RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}, &ok);
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">(.*?)</word>"));
    QList<QList<PdfWord>> pages;
    const QStringList parts = html.split(QStringLiteral("<page "));
    for (qsizetype p = 1; p < parts.size(); ++p) {
        QList<PdfWord> words;
        for (auto it = word.globalMatch(parts[p]); it.hasNext();) {
            const auto m = it.next();
            words.append({Unescape(m.captured(5)),
                          QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                 QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
        }
        pages.append(words);
    }
    return pages;
}

// What each field shows on a page: its words joined, every word checked to lie in its box.
std::array<QString, kFieldCount>
FieldTextsOf(const QList<PdfWord>& words, const std::array<QRectF, kFieldCount>& boxes, QStringList& problems)
{
    std::array<QString, kFieldCount> texts;
    for (const PdfWord& word : words) {
        int field = -1;
        for (int i = 0; i < kFieldCount && field < 0; ++i)
            if (boxes[static_cast<std::size_t>(i)].contains(word.box.center()))
                field = i;
        if (field < 0) {
            problems.append(QStringLiteral("stray word ") + word.text);
            continue;
        }
        if (!boxes[static_cast<std::size_t>(field)].adjusted(-1, -1, 1, 1).contains(word.box))
            problems.append(QStringLiteral("%1 leaves the box of field %2").arg(word.text).arg(field));
        texts[static_cast<std::size_t>(field)] += word.text;
    }
    return texts;
}

constexpr double kPointsPerMm = 72 / 25.4;

// Every word of `after` is the word of `before` at the same place in the list, moved by dx, dy
// millimetres (within 0.1 mm).
void ExpectMoved(const QList<PdfWord>& before, const QList<PdfWord>& after, double dx, double dy,
                 QStringList& problems)
{
    if (before.size() != after.size() || before.isEmpty()) {
        problems.append(QStringLiteral("%1 words before, %2 after").arg(before.size()).arg(after.size()));
        return;
    }
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (before[i].text != after[i].text)
            problems.append(before[i].text + QStringLiteral(" became ") + after[i].text);
        const double movedX = (after[i].box.left() - before[i].box.left()) / kPointsPerMm;
        const double movedY = (after[i].box.top() - before[i].box.top()) / kPointsPerMm;
        if (std::abs(movedX - dx) > 0.1 || std::abs(movedY - dy) > 0.1)
            problems.append(QStringLiteral("%1 moved %2, %3 mm").arg(before[i].text).arg(movedX).arg(movedY));
    }
}

// The words of one page of a PDF, from 1.
QList<PdfWord> PageWords(const QString& pdf, int page)
{
    bool ok = false;
    const QString number = QString::number(page);
    const QString html = RunTool(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-bbox"), QStringLiteral("-f"), number, QStringLiteral("-l"), number,
                                  pdf, QStringLiteral("-")},
                                 &ok);
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">(.*?)</word>"));
    QList<PdfWord> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.append({Unescape(m.captured(5)), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                                       QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return words;
}

// The lines of dorvane-cli log, each cut at its tabs.
QList<QStringList> LogLines(const QString& out)
{
    QList<QStringList> lines;
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        lines.append(line.split(QLatin1Char('\t')));
    return lines;
}

QString WithoutBlanks(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

} // namespace

const QString kQueue = QStringLiteral("dorvane-test");

class CliTest : public QObject {
    Q_OBJECT

private:
    // A folder whose set.ini shifts the print, with a sender in address.ini and 圆通 current.
    void prepare(const CliFolder& folder)
    {
        folder.write(QStringLiteral("Set/set.ini"), "dorvane-no-such-printer\r\n40,-30,8,6\r\n");
        folder.write(QStringLiteral("Set/mould.ini"), "3\r\n0\r\n1\r\n");
        folder.write(QStringLiteral("Set/address.ini"),
                     Gbk(QStringLiteral(
                         "王五,杭州,小店,13800000000,0571-1234567,浙江省杭州市西湖区,310000,衣服,王五签")));
    }

    // Sender and date as every waybill of the folder shows them.
    std::array<QString, kFieldCount> defaults()
    {
        std::array<QString, kFieldCount> texts;
        const QStringList sender =
            QStringLiteral("王五,杭州,小店,13800000000,0571-1234567,浙江省杭州市西湖区,310000,衣服,王五签")
                .split(QLatin1Char(','));
        const int senderFields[] = {1, 2, 4, 10, 8, 6, 11, 14, 16};
        for (int i = 0; i < 9; ++i)
            texts[static_cast<std::size_t>(senderFields[i])] = sender[i];
        texts[15] = QStringLiteral("1");
        const QDate today = QDate::currentDate();
        texts[17] = QString::number(today.year());
        texts[18] = QStringLiteral("%1").arg(today.month(), 2, 10, QLatin1Char('0'));
        texts[19] = QStringLiteral("%1").arg(today.day(), 2, 10, QLatin1Char('0'));
        return texts;
    }

    // Checks that page shows exactly the texts, each inside its field's box.
    void verifyPage(const QList<PdfWord>& words, const std::array<QRectF, kFieldCount>& boxes,
                    const std::array<QString, kFieldCount>& expected, int page)
    {
        QStringList problems;
        const auto shown = FieldTextsOf(words, boxes, problems);
        QVERIFY2(problems.isEmpty(),
                 qPrintable(QStringLiteral("page %1: ").arg(page) + problems.join(QLatin1String("; "))));
        for (int i = 0; i < kFieldCount; ++i)
            QVERIFY2(shown[static_cast<std::size_t>(i)] ==
                         WithoutBlanks(expected[static_cast<std::size_t>(i)]),
                     qPrintable(QStringLiteral("page %1 field %2: %3 instead of %4")
                                    .arg(page)
                                    .arg(i)
                                    .arg(shown[static_cast<std::size_t>(i)],
                                         expected[static_cast<std::size_t>(i)])));
    }

    std::array<QString, kFieldCount> recordPage(int r)
    {
        auto texts = defaults();
        const QStringList record = RecordTexts(r);
        for (std::size_t c = 0; c < kColumnFields.size(); ++c)
            texts[static_cast<std::size_t>(kColumnFields[c])] = record[static_cast<qsizetype>(c)];
        return texts;
    }

private slots:
    void templatesListsInTheProgramsOrderAndMarksTheCurrentOne()
    {
        CliFolder folder;
        const QStringList names = SortedTemplateNames(folder.fsPath());
        QVERIFY(names.size() >= 3);
        for (const auto& [mould, current] :
             {std::pair{QByteArray("2\r\n0\r\n1\r\n"), 2}, std::pair{QByteArray("99\r\n"), 0}}) {
            folder.write(QStringLiteral("Set/mould.ini"), mould);
            const CliResult result = folder.run({QStringLiteral("templates")});
            QVERIFY(result.finished);
            QCOMPARE(result.exitCode, 0);
            QString expected;
            for (int i = 0; i < names.size(); ++i)
                expected += (i == current ? QStringLiteral("* ") : QStringLiteral("  ")) + names[i] +
                            QLatin1Char('\n');
            QCOMPARE(result.out, expected);
        }
    }

    void parseAddressGivesTheMainWindowsFields()
    {
        CliFolder folder;
        const QString keys[] = {QStringLiteral("收件人姓名"),     QStringLiteral("收件人手机号码"),
                                QStringLiteral("收件人座机电话"), QStringLiteral("收件人地址"),
                                QStringLiteral("收件邮编"),       QStringLiteral("目的地")};
        const auto lines = [&](const QStringList& values) {
            QString text;
            for (int i = 0; i < 6; ++i)
                text += keys[i] + QLatin1Char('=') + values[i] + QLatin1Char('\n');
            return text;
        };
        const QString address = QStringLiteral("浙江省宁波市鄞州区某路8号");

        // Comma shape on standard input, UTF-8, with the line end a pipe adds.
        CliResult result = folder.run(
            {QStringLiteral("parse-address")},
            QStringLiteral("张三，13900000000，0574-88888888，浙江省 宁波市 鄞州区 某路 8 号，315000\n")
                .toUtf8());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, lines({QStringLiteral("张三"), QStringLiteral("13900000000"),
                                    QStringLiteral("0574-88888888"), address, QStringLiteral("315000"),
                                    QStringLiteral("宁波市")}));

        // Full-width blanks removed; a postcode the text lacks stays empty, the telephone is emptied.
        result = folder.run({QStringLiteral("parse-address")},
                            QStringLiteral("　张三　，1390000 0000，%1，").arg(address).toUtf8());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, lines({QStringLiteral("张三"), QStringLiteral("13900000000"), QString(), address,
                                    QString(), QStringLiteral("宁波市")}));

        // Blank shape from a GBK file.
        folder.write(QStringLiteral("address.txt"),
                     Gbk(QStringLiteral("浙江省  宁波市  鄞州区  某路8号  315000  张三  13900000000\r\n")));
        result = folder.run({QStringLiteral("parse-address"), QStringLiteral("address.txt")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, lines({QStringLiteral("张三"), QStringLiteral("13900000000"), QString(), address,
                                    QStringLiteral("315000"), QStringLiteral("宁波市")}));

        // Not a shop address: exit 1 and nothing on standard output.
        for (const QString& text :
             {QStringLiteral("13900000000"), QStringLiteral("张三，13900000000，浙江省某路，315000"),
              QStringLiteral("宁波市"), QString()}) {
            result = folder.run({QStringLiteral("parse-address")}, text.toUtf8());
            QCOMPARE(result.exitCode, 1);
            QCOMPARE(result.out, QString());
        }
        result = folder.run({QStringLiteral("parse-address"), QStringLiteral("missing.txt")});
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
    }

    void csvBatchPrintsOnePagePerRecordInItsBoxes()
    {
        CliFolder folder;
        prepare(folder);
        folder.write(QStringLiteral("orders.csv"), QByteArray("\xEF\xBB\xBF") + Csv(3).toUtf8());
        CliResult result =
            folder.run({QStringLiteral("print"), QStringLiteral("--csv"), QStringLiteral("orders.csv"),
                        QStringLiteral("--pdf"), QStringLiteral("out.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.err, QString()); // no progress for a small batch

        const auto names = SortedTemplateNames(folder.fsPath());
        const auto boxes = folder.fieldBoxes(names[3]); // mould.ini's current template
        const auto pages = ReadPages(folder.path(QStringLiteral("out.pdf")));
        QCOMPARE(pages.size(), 3);
        for (int r = 1; r <= 3; ++r)
            verifyPage(pages[r - 1], boxes, recordPage(r), r);

        // The same file in GBK prints the same pages.
        folder.write(QStringLiteral("orders-gbk.csv"), Gbk(Csv(3)));
        result =
            folder.run({QStringLiteral("print"), QStringLiteral("--csv"), QStringLiteral("orders-gbk.csv"),
                        QStringLiteral("--pdf"), QStringLiteral("gbk.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const auto gbkPages = ReadPages(folder.path(QStringLiteral("gbk.pdf")));
        QCOMPARE(gbkPages.size(), 3);
        for (int p = 0; p < 3; ++p) {
            QCOMPARE(gbkPages[p].size(), pages[p].size());
            for (qsizetype w = 0; w < pages[p].size(); ++w) {
                QCOMPARE(gbkPages[p][w].text, pages[p][w].text);
                QCOMPARE(gbkPages[p][w].box, pages[p][w].box);
            }
        }
    }

    // A platform's export: an order number, the address in four columns, one order without a
    // name. It prints with the mapping the window saved for its header, or the same given with
    // --map, joined and with 目的地 read off the address; the nameless order is listed, not
    // printed. Unmapped, nothing is printed.
    void aShopExportPrintsAsTheWindowMapsIt()
    {
        CliFolder folder;
        prepare(folder);
        const QString header = QStringLiteral("订单编号,收货人,手机,省,市,区,详细地址");
        folder.write(QStringLiteral("shop.csv"),
                     (header + QStringLiteral("\r\nA1,张三,13900000001,浙江省,杭州市,西湖区,文三路1号\r\n"
                                              "A2,,13900000002,浙江省,宁波市,鄞州区,某路2号\r\n"
                                              "A3,李四,13900000003,广东省,深圳市,南山区,科技园3号\r\n"))
                         .toUtf8());
        const auto boxes = folder.fieldBoxes(SortedTemplateNames(folder.fsPath())[3]);
        const auto verify = [&](const CliResult& result, const QString& pdf) {
            QVERIFY2(result.exitCode == 0, qPrintable(result.err));
            QCOMPARE(result.err, QStringLiteral("record 2: no recipient name or address, not printed\n"));
            const auto pages = ReadPages(folder.path(pdf));
            QCOMPARE(pages.size(), 2);
            QStringList problems;
            const auto first = FieldTextsOf(pages[0], boxes, problems);
            QCOMPARE(first[3], QStringLiteral("张三"));
            QCOMPARE(first[7], QStringLiteral("浙江省杭州市西湖区文三路1号"));
            QCOMPARE(first[0], QStringLiteral("杭州市"));
            const auto second = FieldTextsOf(pages[1], boxes, problems);
            QCOMPARE(second[3], QStringLiteral("李四"));
            QCOMPARE(second[0], QStringLiteral("深圳市"));
        };
        const QStringList print = {QStringLiteral("print"), QStringLiteral("--csv"),
                                   QStringLiteral("shop.csv"), QStringLiteral("--pdf")};
        folder.write(QStringLiteral("Set/columns.ini"),
                     Gbk(QStringLiteral("-1,3,12,7,7,7,7\t") +
                         QString(header).replace(QLatin1Char(','), QLatin1Char('\t')) +
                         QStringLiteral("\r\n")));
        verify(folder.run(print + QStringList{QStringLiteral("saved.pdf")}), QStringLiteral("saved.pdf"));

        QVERIFY(QFile::remove(folder.path(QStringLiteral("Set/columns.ini"))));
        QStringList mapped = print + QStringList{QStringLiteral("mapped.pdf")};
        for (const QString& choice :
             {QStringLiteral("收货人=收件人姓名"), QStringLiteral("手机=收件人手机号码"),
              QStringLiteral("省=收件人地址"), QStringLiteral("市=收件人地址"),
              QStringLiteral("区=收件人地址"), QStringLiteral("详细地址=收件人地址")})
            mapped += {QStringLiteral("--map"), choice};
        verify(folder.run(mapped), QStringLiteral("mapped.pdf"));

        const CliResult unmapped = folder.run(print + QStringList{QStringLiteral("unmapped.pdf")});
        QCOMPARE(unmapped.exitCode, 2);
        QVERIFY2(unmapped.err.contains(QStringLiteral("record 3: no recipient")) &&
                     unmapped.err.contains(QStringLiteral("nothing was printed")),
                 qPrintable(unmapped.err));
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("unmapped.pdf"))));
        const CliResult unknown =
            folder.run(print + QStringList{QStringLiteral("x.pdf"), QStringLiteral("--map"),
                                           QStringLiteral("收件人=收件人姓名")});
        QCOMPARE(unknown.exitCode, 2);
        QVERIFY2(unknown.err.contains(QStringLiteral("has no column 收件人")), qPrintable(unknown.err));

        // A whole address in one column, split as the window splits it.
        folder.write(
            QStringLiteral("whole.csv"),
            QStringLiteral(
                "订单编号,收货信息\r\nB1,\"王五，13900000009，浙江省宁波市鄞州区某路8号，315000\"\r\n")
                .toUtf8());
        const CliResult whole =
            folder.run({QStringLiteral("print"), QStringLiteral("--csv"), QStringLiteral("whole.csv"),
                        QStringLiteral("--map"), QStringLiteral("收货信息=整段收件地址"),
                        QStringLiteral("--pdf"), QStringLiteral("whole.pdf")});
        QVERIFY2(whole.exitCode == 0, qPrintable(whole.err));
        QStringList problems;
        const auto split =
            FieldTextsOf(ReadPages(folder.path(QStringLiteral("whole.pdf"))).value(0), boxes, problems);
        QCOMPARE(split[3], QStringLiteral("王五"));
        QCOMPARE(split[0], QStringLiteral("宁波市"));

        // A spreadsheet is named as the window names it; its bytes are never shown.
        folder.write(QStringLiteral("orders.xlsx"),
                     QByteArray("PK\x03\x04\x14\x00\x06\x00", 8) + "[Content_Types].xml");
        const CliResult xlsx =
            folder.run({QStringLiteral("print"), QStringLiteral("--csv"), QStringLiteral("orders.xlsx"),
                        QStringLiteral("--pdf"), QStringLiteral("x.pdf")});
        QCOMPARE(xlsx.exitCode, 2);
        QVERIFY2(xlsx.err.contains(
                     QStringLiteral("无法直接读取 Excel 表格。请在表格程序中将订单另存为 CSV 文件")) &&
                     !xlsx.err.contains(QStringLiteral("Content_Types")),
                 qPrintable(xlsx.err));
    }

    // --job-per-waybill sends each waybill as a job of its own, titled as a single job is, on
    // the same paper, its page as the one job draws it; without it, one job holds all. The
    // batch is long enough to be drawn in more than one block.
    void jobPerWaybillSendsEachWaybillAlone()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        CliFolder folder;
        prepare(folder);
        const auto marker = [](int job, int row) {
            return QStringLiteral("J%1X%2R%3")
                .arg(QCoreApplication::applicationPid())
                .arg(job)
                .arg(row, 2, 10, QLatin1Char('0'));
        };
        constexpr int kRows = 23;
        QueueJobs jobs;
        QList<QList<PdfWord>> oneJobPages;
        QStringList oneJob;
        for (const int perWaybill : {0, 1}) {
            QString csv = QStringLiteral("收件人姓名,收件人地址\r\n");
            for (int row = 1; row <= kRows; ++row)
                csv += marker(perWaybill, row) + QStringLiteral(",浙江省杭州市某路%1号\r\n").arg(row);
            folder.write(QStringLiteral("orders.csv"), csv.toUtf8());
            QStringList args = {QStringLiteral("print"), QStringLiteral("--csv"),
                                QStringLiteral("orders.csv"), QStringLiteral("--printer"),
                                QStringLiteral("dorvane-test")};
            if (perWaybill)
                args.append(QStringLiteral("--job-per-waybill"));
            const CliResult result = folder.run(args);
            QVERIFY2(result.exitCode == 0, qPrintable(result.err));
            QStringList sent;
            for (int row = 1; row <= kRows; ++row) {
                const QStringList found = jobs.with(marker(perWaybill, row));
                QCOMPARE(found.size(), 1);
                if (!sent.contains(found[0]))
                    sent.append(found[0]);
            }
            QCOMPARE(sent.size(), perWaybill ? kRows : 1);
            for (const QString& job : sent) {
                QCOMPARE(jobs.pages(job).size(), perWaybill ? 1 : kRows);
                QFile title(job.chopped(4) + QStringLiteral(".title"));
                QVERIFY(title.open(QIODevice::ReadOnly));
                QCOMPARE(QString::fromUtf8(title.readAll()).trimmed(), QStringLiteral("打印快递单"));
            }
            if (!perWaybill) {
                oneJob = sent;
                oneJobPages = ReadPages(sent[0]);
                QCOMPARE(oneJobPages.size(), kRows);
                continue;
            }
            // In the rows' order, each page word for word where the one job put it.
            for (int row = 1; row <= kRows; ++row) {
                const QString& job = sent[row - 1];
                if (row > 1)
                    QVERIFY(QueueJobs::Id(job) > QueueJobs::Id(sent[row - 2]));
                const QList<PdfWord> page = ReadPages(job).value(0);
                const QList<PdfWord>& expected = oneJobPages[row - 1];
                QCOMPARE(page.size(), expected.size());
                for (qsizetype w = 0; w < page.size(); ++w) {
                    QCOMPARE(page[w].text, QString(expected[w].text).replace(marker(0, row), marker(1, row)));
                    QVERIFY2(std::abs(page[w].box.left() - expected[w].box.left()) < 0.01 &&
                                 std::abs(page[w].box.top() - expected[w].box.top()) < 0.01 &&
                                 std::abs(page[w].box.bottom() - expected[w].box.bottom()) < 0.01,
                             qPrintable(page[w].text));
                }
            }
            // Sent with what the one job was sent with, printed as the PDF it is, one copy.
            const auto expected = JobAttributes(QueueJobs::Id(oneJob[0]));
            QVERIFY2(expected.value(QStringLiteral("media")).startsWith(QStringLiteral("Custom.")),
                     qPrintable(expected.value(QStringLiteral("media"))));
            for (const QString& job : {sent.first(), sent.last()}) {
                const auto attributes = JobAttributes(QueueJobs::Id(job));
                for (const char* name :
                     {"job-name", "media", "sides", "document-format", "job-sheets", "job-hold-until"})
                    QCOMPARE(attributes.value(QLatin1String(name)), expected.value(QLatin1String(name)));
                QCOMPARE(attributes.value(QStringLiteral("copies"), QStringLiteral("1")), QStringLiteral("1"));
            }
        }
        const CliResult pdf = folder.run({QStringLiteral("print"), QStringLiteral("--job-per-waybill"),
                                          QStringLiteral("--pdf"), QStringLiteral("x.pdf")});
        QCOMPARE(pdf.exitCode, 2);

        // A queue that refuses jobs: neither way is the batch taken for printed.
        const QString refusing =
            QStringLiteral("dorvane-refusing-%1").arg(QCoreApplication::applicationPid());
        bool made = false;
        RunTool(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), refusing, QStringLiteral("-v"), QStringLiteral("file:/dev/null"),
                 QStringLiteral("-E")},
                &made);
        const auto removeQueue = qScopeGuard([&] {
            RunTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), refusing});
        });
        RunTool(QStringLiteral("cupsreject"), {refusing});
        QVERIFY(made);
        for (const int perWaybill : {0, 1}) {
            QStringList args = {QStringLiteral("print"), QStringLiteral("--csv"),
                                QStringLiteral("orders.csv"), QStringLiteral("--printer"), refusing};
            if (perWaybill)
                args.append(QStringLiteral("--job-per-waybill"));
            const CliResult result = folder.run(args);
            QCOMPARE(result.exitCode, 3);
            QVERIFY2(result.err.contains(QStringLiteral("did not take")), qPrintable(result.err));
        }
    }

    void rowsAndOtherTemplatesAndFieldsOnTheCommandLine()
    {
        CliFolder folder;
        prepare(folder);
        folder.write(QStringLiteral("orders.csv"), Csv(6).toUtf8());
        const QString other = SortedTemplateNames(folder.fsPath())[0];
        CliResult result = folder.run(
            {QStringLiteral("print"), QStringLiteral("--template"), other, QStringLiteral("--csv"),
             QStringLiteral("orders.csv"), QStringLiteral("--rows"), QStringLiteral("5,2-2,4"),
             QStringLiteral("--pdf"), QStringLiteral("rows.pdf"), QStringLiteral("寄件人姓名=赵六")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const auto boxes = folder.fieldBoxes(other);
        const auto pages = ReadPages(folder.path(QStringLiteral("rows.pdf")));
        QCOMPARE(pages.size(), 3);
        const int records[] = {2, 4, 5}; // the file's order
        for (int p = 0; p < 3; ++p) {
            auto expected = recordPage(records[p]);
            expected[1] = QStringLiteral("赵六");
            verifyPage(pages[p], boxes, expected, p + 1);
        }

        // One waybill without a file: the sender, today's date, one piece and the given fields.
        result = folder.run({QStringLiteral("print"), QStringLiteral("--pdf"), QStringLiteral("one.pdf"),
                             QStringLiteral("收件人姓名=李四"), QStringLiteral("目的地=北京")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const auto one = ReadPages(folder.path(QStringLiteral("one.pdf")));
        QCOMPARE(one.size(), 1);
        auto expected = defaults();
        expected[3] = QStringLiteral("李四");
        expected[0] = QStringLiteral("北京");
        verifyPage(one[0], folder.fieldBoxes(SortedTemplateNames(folder.fsPath())[3]), expected, 1);
    }

    void withPictureDrawsTheTemplatePictureUnderTheTextsAtTheBoxes()
    {
        CliFolder folder;
        prepare(folder); // offsets and spacing in set.ini: the picture must follow them as the boxes do
        const QString current = SortedTemplateNames(folder.fsPath())[3];
        TemplateLayout layout;
        QVERIFY(LoadLayoutFile(LayoutPath(folder.fsPath(), ToFileName(current)), layout));
        // The form picture: white, the recipient name's box (field 3, layout row 4) filled red.
        const QRect nameBox(layout.number(4, 2), layout.number(4, 3), layout.number(4, 4), layout.number(4, 5));
        QImage picture(layout.number(0, 4), layout.number(0, 5), QImage::Format_RGB32);
        picture.fill(Qt::white);
        {
            QPainter painter(&picture);
            painter.fillRect(nameBox, Qt::red);
        }
        QVERIFY(picture.save(folder.path(QStringLiteral("dataM/%1.bmp").arg(current)), "BMP"));

        const CliResult result =
            folder.run({QStringLiteral("print"), QStringLiteral("--with-picture"), QStringLiteral("--pdf"),
                        QStringLiteral("check.pdf"), QStringLiteral("收件人姓名=李四")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QString pdf = folder.path(QStringLiteral("check.pdf"));

        // The red box lies where the name prints, and the name on it.
        const auto boxes = folder.fieldBoxes(current);
        constexpr int dpi = 200;
        const QImage page = RenderPage(pdf, dpi);
        QVERIFY(!page.isNull());
        const QRectF box(boxes[3].topLeft() * (25.4 / 72), boxes[3].size() * (25.4 / 72));
        const QString apart = EdgesApart(ColourBoundsMm(page, dpi, Qt::red), box, 0.3);
        QVERIFY2(apart.isEmpty(), qPrintable(apart));
        auto expected = defaults();
        expected[3] = QStringLiteral("李四");
        const auto pages = ReadPages(pdf);
        QCOMPARE(pages.size(), 1);
        verifyPage(pages[0], boxes, expected, 1);

        // Without its picture the template cannot be check-printed, and nothing is written.
        QVERIFY(QFile::remove(folder.path(QStringLiteral("dataM/%1.bmp").arg(current))));
        const CliResult missing = folder.run({QStringLiteral("print"), QStringLiteral("--with-picture"),
                                              QStringLiteral("--pdf"), QStringLiteral("no.pdf")});
        QCOMPARE(missing.exitCode, 2);
        QVERIFY2(missing.err.contains(QStringLiteral("no picture")), qPrintable(missing.err));
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("no.pdf"))));
    }

    void largeBatchesReportProgress()
    {
        CliFolder folder;
        prepare(folder);
        folder.write(QStringLiteral("orders.csv"), Csv(101).toUtf8());
        const CliResult result =
            folder.run({QStringLiteral("print"), QStringLiteral("--csv"), QStringLiteral("orders.csv"),
                        QStringLiteral("--pdf"), QStringLiteral("big.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.err, QStringLiteral("100/101 waybills\n101/101 waybills\n"));
        QCOMPARE(PdfInfo(folder.path(QStringLiteral("big.pdf")), QStringLiteral("Pages")),
                 QStringLiteral("101"));
    }

    // A thousand waybills printed from an order export are logged, newest first; the log finds
    // them by number and day, exports them as a file print reads back, and a reprint gives the
    // very page printed first. Check prints (into a PDF file, or with the form's picture under
    // the texts) are not logged: no waybill went out.
    void printedWaybillsAreLoggedAndReprintedAsTheyWere()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        CliFolder folder;
        prepare(folder);
        folder.write(QStringLiteral("orders.csv"), Csv(1000).toUtf8());
        CliResult result =
            folder.run({QStringLiteral("print"), QStringLiteral("--csv"), QStringLiteral("orders.csv"),
                        QStringLiteral("--pdf"), QStringLiteral("batch.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        result = folder.run({QStringLiteral("print"), QStringLiteral("--with-picture"), QStringLiteral("--printer"),
                             kQueue, QStringLiteral("收件人姓名=看底图")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        result = folder.run({QStringLiteral("log")});
        QVERIFY2(result.exitCode == 0 && result.out.isEmpty(), qPrintable(result.out + result.err));

        result = folder.run({QStringLiteral("print"), QStringLiteral("--csv"), QStringLiteral("orders.csv"),
                             QStringLiteral("--printer"), kQueue});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QVERIFY2(!result.err.contains(QStringLiteral("log")), qPrintable(result.err));
        result = folder.run({QStringLiteral("log")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QList<QStringList> lines = LogLines(result.out);
        QCOMPARE(lines.size(), 1000);
        const QString currentTemplate = SortedTemplateNames(folder.fsPath())[3];
        for (int i = 0; i < lines.size(); ++i) {
            const int record = 1000 - i;
            const QStringList& line = lines[i];
            QCOMPARE(line.size(), 10);
            QCOMPARE(line[1].left(10), QDate::currentDate().toString(Qt::ISODate));
            QCOMPARE(line.mid(2, 4), (QStringList{currentTemplate, QStringLiteral("cli"), kQueue, QString()}));
            const QStringList texts = RecordTexts(record);
            QCOMPARE(line.mid(6), (QStringList{texts[0], texts[4], texts[1],
                                               QString(texts[2]).replace(QLatin1Char('\n'), QLatin1Char(' '))}));
            if (i > 0)
                QVERIFY(line[0].toLongLong() < lines[i - 1][0].toLongLong());
        }

        // 13900000077 is part of the mobile numbers of records 77 and 770 to 779.
        result = folder.run({QStringLiteral("log"), QStringLiteral("--find"), QStringLiteral("13900000077")});
        QCOMPARE(LogLines(result.out).size(), 11);
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        const QString yesterday = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
        result = folder.run({QStringLiteral("log"), QStringLiteral("--since"), today, QStringLiteral("--until"), today});
        QCOMPARE(LogLines(result.out).size(), 1000);
        result = folder.run({QStringLiteral("log"), QStringLiteral("--until"), yesterday});
        QVERIFY2(result.exitCode == 0 && result.out.isEmpty(), qPrintable(result.out + result.err));
        result = folder.run({QStringLiteral("log"), QStringLiteral("--since"), QStringLiteral("2026-02-30")});
        QCOMPARE(result.exitCode, 2);

        // Record 500 reprinted: the same words at the same places as its first page.
        const QString id = lines[500][0];
        QCOMPARE(lines[500][6], RecordTexts(500)[0]);
        result = folder.run({QStringLiteral("reprint"), id, QStringLiteral("--pdf"), QStringLiteral("again.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.err, QStringLiteral("waybill %1: on its own template \"%2\"\n").arg(id, currentTemplate));
        const QList<PdfWord> first = PageWords(folder.path(QStringLiteral("batch.pdf")), 500);
        QVERIFY(first.size() > 10);
        QStringList problems;
        ExpectMoved(first, PageWords(folder.path(QStringLiteral("again.pdf")), 1), 0, 0, problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
        // Into a PDF file the reprint is a check print; on the printer it is logged in its turn.
        result = folder.run({QStringLiteral("log"), QStringLiteral("--find"), RecordTexts(500)[4]});
        QCOMPARE(LogLines(result.out).size(), 1);
        result = folder.run({QStringLiteral("reprint"), id, QStringLiteral("--printer"), kQueue});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        result = folder.run({QStringLiteral("log"), QStringLiteral("--find"), RecordTexts(500)[4]});
        QCOMPARE(LogLines(result.out).size(), 2);

        // The log's export, printed again, gives the same pages; newest first, the reprint of
        // record 500 is its first row and record 1000 its second.
        result = folder.run({QStringLiteral("log"), QStringLiteral("--since"), today, QStringLiteral("--csv"),
                             QStringLiteral("export.csv")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        result = folder.run({QStringLiteral("print"), QStringLiteral("--csv"), QStringLiteral("export.csv"),
                             QStringLiteral("--rows"), QStringLiteral("2"), QStringLiteral("--pdf"),
                             QStringLiteral("export.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        ExpectMoved(PageWords(folder.path(QStringLiteral("batch.pdf")), 1000),
                    PageWords(folder.path(QStringLiteral("export.pdf")), 1), 0, 0, problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));

        // A waybill whose template is gone comes out on the current one, and says so. The
        // template removed is listed after the current one, which stays current.
        const QString other = SortedTemplateNames(folder.fsPath())[4];
        result = folder.run({QStringLiteral("print"), QStringLiteral("--template"), other, QStringLiteral("--printer"),
                             kQueue, QStringLiteral("收件人姓名=赵六")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QString otherId = LogLines(folder.run({QStringLiteral("log")}).out).first().first();
        QVERIFY(QFile::remove(folder.path(QStringLiteral("dataM/") + other + QStringLiteral(".dat"))));
        result = folder.run({QStringLiteral("reprint"), otherId, QStringLiteral("--pdf"), QStringLiteral("gone.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.err, QStringLiteral("waybill %1: its template \"%2\" is gone, on the current template \"%3\"\n")
                                 .arg(otherId, other, currentTemplate));
        result = folder.run({QStringLiteral("reprint"), QStringLiteral("999999"), QStringLiteral("--pdf"),
                             QStringLiteral("none.pdf")});
        QCOMPARE(result.exitCode, 2);
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("none.pdf"))));
    }

    // Several logged waybills reprinted, each on its own template: a template with fewer boxes
    // keeps none of the previous template's, so a field it has no box for is not printed.
    void aReprintPrintsEachWaybillOnItsOwnTemplatesWholeLayout()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        CliFolder folder;
        prepare(folder);
        QFile full(folder.path(QStringLiteral("dataM/EMS.dat")));
        QVERIFY(full.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = full.readAll().split('\n').mid(0, 9); // the paper and fields 0 to 7
        lines[0] = "0,Short,2300,1270,870,480\r";
        folder.write(QStringLiteral("dataM/Short.dat"), lines.join('\n') + '\n');
        QVERIFY(QFile::copy(folder.path(QStringLiteral("dataM/EMS.bmp")), folder.path(QStringLiteral("dataM/Short.bmp"))));

        const QString pid = QString::number(QCoreApplication::applicationPid());
        std::vector<PrintLogEntry> logged(2);
        for (std::size_t i = 0; i < logged.size(); ++i) {
            logged[i].time = "2026-03-01 08:00:00";
            logged[i].templateName = i == 0 ? "EMS" : "Short";
            logged[i].texts[3] = ToCodePage(QStringLiteral("R%1W%2").arg(i).arg(pid));
            logged[i].texts[15] = ToCodePage(QStringLiteral("Q%1W%2").arg(i).arg(pid));
        }
        QVERIFY(PrintLog(folder.fsPath() / "dataM" / "Dorvane.dorv").Append(logged));
        const QStringList ids = {LogLines(folder.run({QStringLiteral("log")}).out).value(1).value(0),
                                 LogLines(folder.run({QStringLiteral("log")}).out).value(0).value(0)};
        QueueJobs jobs;
        const CliResult result = folder.run({QStringLiteral("reprint"), ids[0], ids[1], QStringLiteral("--printer"), kQueue});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));

        // Each job's text, found by its recipient.
        QStringList texts;
        for (int i = 0; i < 2; ++i)
            texts.append(jobs.text(jobs.newestWith(QStringLiteral("R%1W%2").arg(i).arg(pid), 60000)));
        QVERIFY2(texts[0].contains(QStringLiteral("Q0W") + pid), qPrintable(texts[0]));
        QVERIFY2(!texts[1].isEmpty() && !texts[1].contains(QStringLiteral("Q1W") + pid), qPrintable(texts[1]));
    }

    // An address book the user may only read: the waybills print all the same, and one line
    // says that they were not logged.
    void aReadOnlyLogStillPrintsAndSaysSo()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        CliFolder folder;
        prepare(folder);
        folder.runAsNobody();
        QVERIFY(QFile::setPermissions(folder.path(QStringLiteral("dataM/Dorvane.dorv")),
                                      QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        folder.write(QStringLiteral("orders.csv"), Csv(3).toUtf8());
        const CliResult result = folder.run({QStringLiteral("print"), QStringLiteral("--csv"),
                                             QStringLiteral("orders.csv"), QStringLiteral("--printer"), kQueue});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.startsWith(QStringLiteral("dorvane-cli: printed, but the print log cannot be written: ")) &&
                     result.err.contains(QStringLiteral("readonly")),
                 qPrintable(result.err));
        QCOMPARE(folder.run({QStringLiteral("log")}).out, QString());
    }

    void overflowWarnsFailsOrShrinks()
    {
        CliFolder folder;
        prepare(folder);
        const QString address = LongAddress(200);
        folder.write(QStringLiteral("orders.csv"), Csv(4, 3, address).toUtf8());
        const auto boxes = folder.fieldBoxes(SortedTemplateNames(folder.fsPath())[3]);
        const QStringList print = {QStringLiteral("print"), QStringLiteral("--csv"), QStringLiteral("orders.csv")};
        const QString cutPrefix = QStringLiteral("record 3: 收件人地址 cut: ");

        // warn (the default): every page printed; record 3 counted as --rows counts it, not as
        // the page it lands on, and the list says exactly what the page leaves out.
        CliResult result = folder.run(print + QStringList{QStringLiteral("--rows"), QStringLiteral("2-4"),
                                                          QStringLiteral("--pdf"), QStringLiteral("warn.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QVERIFY2(result.err.startsWith(cutPrefix) && result.err.count(QLatin1Char('\n')) == 1 &&
                     result.err.endsWith(QLatin1Char('\n')),
                 qPrintable(result.err));
        const QString cutLine = result.err;
        const QString lost = cutLine.mid(cutPrefix.size()).chopped(1);
        QVERIFY(!lost.isEmpty());
        const auto warnPages = ReadPages(folder.path(QStringLiteral("warn.pdf")));
        QCOMPARE(warnPages.size(), 3);
        verifyPage(warnPages[0], boxes, recordPage(2), 1);
        verifyPage(warnPages[2], boxes, recordPage(4), 3);
        QStringList problems;
        const auto shown = FieldTextsOf(warnPages[1], boxes, problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1String("; "))));
        QCOMPARE(shown[7] + WithoutBlanks(lost), address);

        // fail: the same list, and neither a page nor a file.
        result = folder.run(print + QStringList{QStringLiteral("--overflow"), QStringLiteral("fail"),
                                                QStringLiteral("--pdf"), QStringLiteral("fail.pdf")});
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.startsWith(cutLine) && result.err.count(QLatin1Char('\n')) == 2,
                 qPrintable(result.err));
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("fail.pdf"))));
        // A waybill without a file is record 1.
        result = folder.run({QStringLiteral("print"), QStringLiteral("--overflow"), QStringLiteral("fail"),
                             QStringLiteral("--pdf"), QStringLiteral("one.pdf"),
                             QStringLiteral("收件人地址=") + address});
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.startsWith(QStringLiteral("record 1: 收件人地址 cut: ") + lost + QLatin1Char('\n')),
                 qPrintable(result.err));
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("one.pdf"))));

        // shrink: the whole address inside its box, every other page as it is.
        result = folder.run(print + QStringList{QStringLiteral("--overflow"), QStringLiteral("shrink"),
                                                QStringLiteral("--pdf"), QStringLiteral("shrink.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.err, QString());
        const auto pages = ReadPages(folder.path(QStringLiteral("shrink.pdf")));
        QCOMPARE(pages.size(), 4);
        for (int r = 1; r <= 4; ++r) {
            auto expected = recordPage(r);
            if (r == 3)
                expected[7] = address;
            verifyPage(pages[r - 1], boxes, expected, r);
        }

        // An address too long even at the smallest font stops shrink before the first page.
        folder.write(QStringLiteral("orders.csv"), Csv(4, 2, LongAddress(4000)).toUtf8());
        result = folder.run(print + QStringList{QStringLiteral("--overflow"), QStringLiteral("shrink"),
                                                QStringLiteral("--pdf"), QStringLiteral("unfit.pdf")});
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.startsWith(QStringLiteral("record 2: 收件人地址 does not fit even at 6 pt\n")) &&
                     result.err.count(QLatin1Char('\n')) == 2,
                 qPrintable(result.err));
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("unfit.pdf"))));
    }

    void errorsStopTheBatchBeforeAnythingIsPrinted_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QByteArray good = Csv(4).toUtf8();
        const QStringList withCsv = {QStringLiteral("--csv"), QStringLiteral("orders.csv")};
        QTest::newRow("unknown template")
            << good << (withCsv + QStringList{QStringLiteral("--template"), QStringLiteral("无此模板")})
            << QStringLiteral("unknown template");
        QTest::newRow("unknown field")
            << good << (withCsv + QStringList{QStringLiteral("电话=1")}) << QStringLiteral("unknown field");
        QTest::newRow("field twice") << good << (withCsv + QStringList{QStringLiteral("数量=2")})
                                     << QStringLiteral("数量");
        QTest::newRow("no recipient in any record")
            << QStringLiteral("收件人姓名,电话\r\na,b\r\n").toUtf8() << withCsv
            << QStringLiteral("record 1: no recipient name or address, not printed");
        QTest::newRow("short last record") << good + "x,y\r\n" << withCsv << QStringLiteral("line 10:");
        QTest::newRow("open quote") << good + "\"x,y\r\n" << withCsv << QStringLiteral("line 10");
        QTest::newRow("bad bytes") << good + Gbk(QStringLiteral("张")).left(1) << withCsv
                                   << QStringLiteral("line 10 is not UTF-8");
        QTest::newRow("empty file") << QByteArray() << withCsv << QStringLiteral("empty");
        QTest::newRow("header only") << kHeader.toUtf8() + "\r\n" << withCsv << QStringLiteral("no waybills");
        QTest::newRow("missing file")
            << good << QStringList{QStringLiteral("--csv"), QStringLiteral("nothing.csv")}
            << QStringLiteral("cannot be read");
        QTest::newRow("rows past the end")
            << good << (withCsv + QStringList{QStringLiteral("--rows"), QStringLiteral("2-5")})
            << QStringLiteral("record 5");
        QTest::newRow("bad rows") << good
                                  << (withCsv + QStringList{QStringLiteral("--rows"), QStringLiteral("0")})
                                  << QStringLiteral("--rows");
    }

    void errorsStopTheBatchBeforeAnythingIsPrinted()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        CliFolder folder;
        prepare(folder);
        folder.write(QStringLiteral("orders.csv"), csv);
        const CliResult result = folder.run(
            QStringList{QStringLiteral("print"), QStringLiteral("--pdf"), QStringLiteral("out.pdf")} +
            arguments);
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("out.pdf"))));
    }

    // A layout file cut short (empty, its header cut, no field rows, or inside a field row) is
    // refused by name before anything is printed, never taken as a template of empty boxes.
    void aTruncatedLayoutFileIsRefusedByName()
    {
        CliFolder folder;
        prepare(folder);
        const QList<QByteArray> truncated = {"", "0,EMS,2300,12", "0,EMS,2300,1270,870,480\r\n",
                                             "0,EMS,2300,1270,870,480\r\n\r\n",
                                             "0,EMS,2300,1270,870,480\r\n0,0,666,25,192,50\r\n0,0,36,"};
        for (const QByteArray& content : truncated) {
            folder.write(QStringLiteral("dataM/EMS.dat"), content);
            const CliResult result = folder.run({QStringLiteral("print"), QStringLiteral("--template"),
                                                 QStringLiteral("EMS"), QStringLiteral("收件人姓名=李四"),
                                                 QStringLiteral("--pdf"), QStringLiteral("out.pdf")});
            QVERIFY2(result.finished, content.constData());
            QCOMPARE(result.exitCode, 2);
            QCOMPARE(result.out, QString());
            QVERIFY2(result.err.contains(QStringLiteral("dataM/EMS.dat")), qPrintable(result.err));
            QVERIFY2(result.err.contains(QStringLiteral("is cut short")), qPrintable(result.err));
            QVERIFY(!QFile::exists(folder.path(QStringLiteral("out.pdf"))));
        }
        // The whole file prints again.
        QFile shipped(qEnvironmentVariable("DORVANE_SOURCE_DIR") + QStringLiteral("/data/EMS.dat"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        folder.write(QStringLiteral("dataM/EMS.dat"), shipped.readAll());
        const CliResult result = folder.run({QStringLiteral("print"), QStringLiteral("--template"),
                                             QStringLiteral("EMS"), QStringLiteral("收件人姓名=李四"),
                                             QStringLiteral("--pdf"), QStringLiteral("out.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QVERIFY(QFile::exists(folder.path(QStringLiteral("out.pdf"))));
    }

    // An order file's cell over 64 KB is refused with its line before anything is printed or
    // logged, and never echoed; what a box cuts from a long text is shown by its start.
    void oversizedCellsAreRefusedAndLongCutsShownByTheirStart()
    {
        CliFolder folder;
        prepare(folder);
        const QStringList print = {QStringLiteral("print"), QStringLiteral("--csv"), QStringLiteral("orders.csv"),
                                   QStringLiteral("--overflow"), QStringLiteral("fail"), QStringLiteral("--pdf"),
                                   QStringLiteral("out.pdf")};
        folder.write(QStringLiteral("orders.csv"), Csv(3, 3, QString(2 * 1024 * 1024, QLatin1Char('x'))).toUtf8());
        CliResult result = folder.run(print);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.err, QStringLiteral("dorvane-cli: orders.csv: line 6: a field is over 64 KB\n"));

        const QString address = LongAddress(20000); // 60,000 bytes: within the bound
        folder.write(QStringLiteral("orders.csv"), Csv(3, 2, address).toUtf8());
        result = folder.run(print);
        QCOMPARE(result.exitCode, 2);
        const QString cut = result.err.section(QLatin1Char('\n'), 0, 0);
        const QString shown = cut.section(QStringLiteral(" cut: "), 1).section(QChar(0x2026), 0, 0);
        QVERIFY2(cut.startsWith(QStringLiteral("record 2: 收件人地址 cut: ")) && shown.size() == 200 &&
                     address.contains(shown) && cut.endsWith(QStringLiteral(" more characters)")),
                 qPrintable(cut.left(300)));
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("out.pdf"))));
    }

    void aMissingPrinterOrUnwritableFileIsAnError()
    {
        CliFolder folder;
        prepare(folder);
        CliResult result = folder.run({QStringLiteral("print"), QStringLiteral("--printer"),
                                       QStringLiteral("dorvane-no-such-printer")});
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(QStringLiteral("dorvane-no-such-printer")), qPrintable(result.err));

        // The printer chosen in set.ini has gone: named, never swapped for the default one.
        result = folder.run({QStringLiteral("print"), QStringLiteral("收件人姓名=李四")});
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(QStringLiteral("找不到打印机“dorvane-no-such-printer”")), qPrintable(result.err));

        result = folder.run(
            {QStringLiteral("print"), QStringLiteral("--pdf"), QStringLiteral("no-folder/out.pdf")});
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(QStringLiteral("cannot be written")), qPrintable(result.err));
    }

    // The sheet is printed at offset zero whatever set.ini holds: each field's name lies beside
    // the corner where a waybill at offset zero prints that field's box, and the rulers count
    // real millimetres from the paper's edges.
    void calibrationSheetMarksTheBoxesAtOffsetZero()
    {
        CliFolder folder;
        prepare(folder);
        folder.write(QStringLiteral("Set/set.ini"), "dorvane-no-such-printer\r\n0,0,8,6\r\n");
        const auto boxes = folder.fieldBoxes(SortedTemplateNames(folder.fsPath())[3]);
        folder.write(QStringLiteral("Set/set.ini"), "dorvane-no-such-printer\r\n40,-30,8,6\r\n");
        const CliResult result =
            folder.run({QStringLiteral("calibration-sheet"), QStringLiteral("--pdf"), QStringLiteral("sheet.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const auto words = ReadWords(folder.path(QStringLiteral("sheet.pdf")));

        const double tolerance = 0.3 * kPointsPerMm;
        int crosses = 0;
        for (const WaybillField& field : kWaybillFields) {
            const QRectF& box = boxes[static_cast<std::size_t>(field.index)];
            const QString name = QString::fromUtf8(field.name.data(), static_cast<qsizetype>(field.name.size()));
            const auto label =
                std::find_if(words.begin(), words.end(), [&](const PdfWord& w) { return w.text == name; });
            if (box.width() <= 0 || box.height() <= 0) {
                QVERIFY2(label == words.end(), qPrintable(name));
                continue;
            }
            QVERIFY2(label != words.end(), qPrintable(name));
            // The name starts 1 mm right of the cross and 0.5 mm below it.
            const QPointF expected = box.topLeft() + QPointF(1.0, 0.5) * kPointsPerMm;
            QVERIFY2(std::abs(label->box.left() - expected.x()) < tolerance &&
                         std::abs(label->box.top() - expected.y()) < tolerance,
                     qPrintable(QStringLiteral("%1 at %2,%3 instead of %4,%5")
                                    .arg(name)
                                    .arg(label->box.left())
                                    .arg(label->box.top())
                                    .arg(expected.x())
                                    .arg(expected.y())));
            ++crosses;
        }
        QVERIFY(crosses >= 10);

        // The number 50 of each ruler: 0.4 mm past its tick, 50 mm from the edge.
        const auto fifty = [&](bool top) {
            return std::find_if(words.begin(), words.end(), [&](const PdfWord& w) {
                return w.text == QStringLiteral("50") && (top ? w.box.top() : w.box.left()) < 5 * kPointsPerMm;
            });
        };
        QVERIFY(fifty(true) != words.end() && fifty(false) != words.end());
        QVERIFY(std::abs(fifty(true)->box.left() - 50.4 * kPointsPerMm) < tolerance);
        QVERIFY(std::abs(fifty(false)->box.top() - 50.4 * kPointsPerMm) < tolerance);
    }

    // Offsets measured on the sheet move every text of a waybill by that much on the page.
    void setOffsetMovesEveryPrintedTextByTheMeasuredMillimetres()
    {
        CliFolder folder;
        prepare(folder);
        folder.write(QStringLiteral("Set/set.ini"), "dorvane-test\r\n0,0,8,6\r\n");
        const QStringList print = {QStringLiteral("print"), QStringLiteral("收件人姓名=李四"),
                                   QStringLiteral("目的地=北京"), QStringLiteral("收件人地址=北京市某路8号"),
                                   QStringLiteral("--pdf")};
        CliResult result = folder.run(print + QStringList{QStringLiteral("before.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));

        result = folder.run({QStringLiteral("set-offset"), QStringLiteral("--right"), QStringLiteral("2.5"),
                             QStringLiteral("--down"), QStringLiteral("-1.2")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.out, QStringLiteral("dorvane-test: 2.5 mm right, -1.2 mm down\n"));
        QFile setIni(folder.path(QStringLiteral("Set/set.ini")));
        QVERIFY(setIni.open(QIODevice::ReadOnly));
        QCOMPARE(setIni.readAll(), QByteArray("dorvane-test\r\n25,-12,8,6\r\n"));
        QFile offsetsIni(folder.path(QStringLiteral("Set/offsets.ini")));
        QVERIFY(offsetsIni.open(QIODevice::ReadOnly));
        QCOMPARE(offsetsIni.readAll(), QByteArray("dorvane-test,25,-12,8,6\r\n"));

        result = folder.run(print + QStringList{QStringLiteral("after.pdf")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QStringList problems;
        ExpectMoved(ReadWords(folder.path(QStringLiteral("before.pdf"))),
                    ReadWords(folder.path(QStringLiteral("after.pdf"))), 2.5, -1.2, problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1String("; "))));

        result = folder.run({QStringLiteral("set-offset"), QStringLiteral("--right"), QStringLiteral("1"),
                             QStringLiteral("--down"), QStringLiteral("1"), QStringLiteral("--printer"),
                             QStringLiteral("dorvane-no-such-printer")});
        QCOMPARE(result.exitCode, 2);
        QVERIFY(setIni.seek(0));
        QCOMPARE(setIni.readAll(), QByteArray("dorvane-test\r\n25,-12,8,6\r\n"));
    }

    // A shop calibrating its printers from a script, one set-offset per printer, all at once:
    // every run that says it saved finds its line in offsets.ini afterwards.
    void parallelSetOffsetRunsLoseNoPrinter()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        CliFolder folder;
        prepare(folder);
        folder.write(QStringLiteral("Set/set.ini"), "dorvane-test\r\n0,0,8,6\r\n");
        // Forty printers: instances of the test queue, named in this run's own CUPS options.
        constexpr int kPrinters = 40;
        QByteArray lpoptions;
        for (int i = 0; i < kPrinters; ++i)
            lpoptions += "Dest dorvane-test/p" + QByteArray::number(i) + "\n";
        QVERIFY(QDir().mkpath(folder.path(QStringLiteral(".cups"))));
        folder.write(QStringLiteral(".cups/lpoptions"), lpoptions);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("HOME"), folder.path(QStringLiteral(".")));
        const QString tool = qEnvironmentVariable("DORVANE_RUN_DIR") + QStringLiteral("/dorvane-cli");
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int i = 0; i < kPrinters; ++i) {
            auto& run = runs.emplace_back(std::make_unique<QProcess>());
            run->setWorkingDirectory(folder.path(QStringLiteral(".")));
            run->setProcessEnvironment(environment);
            run->start(tool, {QStringLiteral("set-offset"), QStringLiteral("--right"), QString::number(i),
                              QStringLiteral("--down"), QStringLiteral("-1"), QStringLiteral("--printer"),
                              QStringLiteral("dorvane-test/p%1").arg(i)});
        }
        for (int i = 0; i < kPrinters; ++i) {
            QProcess& run = *runs[static_cast<std::size_t>(i)];
            QVERIFY(run.waitForFinished(60000));
            QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0,
                     run.readAllStandardError().constData());
            QCOMPARE(QString::fromUtf8(run.readAllStandardOutput()),
                     QStringLiteral("dorvane-test/p%1: %1.0 mm right, -1.0 mm down\n").arg(i));
        }

        QFile offsetsIni(folder.path(QStringLiteral("Set/offsets.ini")));
        QVERIFY(offsetsIni.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = offsetsIni.readAll().split('\n');
        QCOMPARE(lines.size(), kPrinters + 1); // the last line end leaves an empty piece
        for (int i = 0; i < kPrinters; ++i) {
            const QByteArray line = "dorvane-test/p" + QByteArray::number(i) + "," + QByteArray::number(i * 10) +
                                    ",-10,8,6\r";
            QVERIFY2(lines.contains(line), line.constData());
        }
        // The in-use printer's settings are untouched, and no temporary file is left behind.
        QFile setIni(folder.path(QStringLiteral("Set/set.ini")));
        QVERIFY(setIni.open(QIODevice::ReadOnly));
        QCOMPARE(setIni.readAll(), QByteArray("dorvane-test\r\n0,0,8,6\r\n"));
        QCOMPARE(QDir(folder.path(QStringLiteral("Set"))).entryList({QStringLiteral("*.tmp")}, QDir::Files),
                 QStringList());
    }
};

QTEST_MAIN(CliTest)
#include "CliTest.moc"
