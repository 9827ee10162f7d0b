// dorvane-cli template-from-picture run on a scanned form: the new template's files, the
// fields found where the form's labels put them, the others outside the form's frame; a scan
// that names too few fields makes no template.
#include "cli/CliRunner.h"
#include "recognition/MatOfImage.h"
#include "recognition/ScannedForm.h"
#include "support/HostilePictures.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <sys/resource.h>

using namespace dorvane;
using namespace dorvane::test;
using namespace dorvane::testing;

class TemplateFromPictureTest : public QObject {
    Q_OBJECT
private slots:
    void scannedFormBecomesATemplate();
    void takenOrCommaNamesAndPicturesWithoutFormAreRefused();
    void formWithMostLabelsScrapedOffSavesNothing();
    void paperMeasuredOnTheScan();
    void picturesLargerThanAnA4ScanAreRefusedUndecoded();
};

namespace {

QString FieldName(int i)
{
    const auto name = kWaybillFields[static_cast<std::size_t>(i)].name;
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

TemplateLayout Layout(const CliFolder& folder, const QString& name)
{
    TemplateLayout layout;
    LoadLayoutFile(LayoutPath(folder.fsPath(), ToFileName(name)), layout);
    return layout;
}

} // namespace

void TemplateFromPictureTest::scannedFormBecomesATemplate()
{
    CliFolder folder;
    const CliResult before = folder.run({QStringLiteral("templates")});
    QCOMPARE(before.exitCode, 0);

    // The shipped 中通 form with the labels of two cells scraped off, scanned.
    const TemplateLayout truth = Layout(folder, QStringLiteral("中通"));
    QImage form(folder.path(QStringLiteral("dataM/中通.bmp")));
    QVERIFY(!form.isNull());
    form = form.convertToFormat(QImage::Format_RGB32);
    const int scraped[] = {15, 16}; // 数量, 寄件人签名
    {
        QPainter p(&form);
        for (const int field : scraped) {
            const int x = truth.number(field + 1, 2), y = truth.number(field + 1, 3);
            p.fillRect(QRect(x, y - 15, 100, 14), Qt::white); // the label's strip above the box
        }
    }
    ScanFaults faults;
    faults.degrees = 1.1;
    faults.blur = 1.0;
    faults.noise = 5;
    faults.jpegQuality = 70;
    faults.onTable = true;
    const cv::Mat scan = Scan(MatOf(form), 2330, 1280, faults);
    QVERIFY(cv::imwrite(folder.path(QStringLiteral("scan.jpg")).toStdString(), scan));

    const CliResult made = folder.run({QStringLiteral("template-from-picture"), QStringLiteral("scan.jpg"),
                                       QStringLiteral("--name"), QStringLiteral("扫描中通"),
                                       QStringLiteral("--paper"), QStringLiteral("233x128")});
    QVERIFY2(made.finished && made.exitCode == 0, qPrintable(made.err));

    // One line per field: its name, its box as saved, found or not.
    const TemplateLayout saved = Layout(folder, QStringLiteral("扫描中通"));
    const QStringList lines = made.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), kFieldCount);
    for (int i = 0; i < kFieldCount; ++i) {
        const QStringList parts = lines[i].split(QLatin1Char('\t'));
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts[0], FieldName(i));
        const int row = i + 1;
        QCOMPARE(parts[1], QStringLiteral("%1,%2,%3,%4")
                               .arg(saved.number(row, 2))
                               .arg(saved.number(row, 3))
                               .arg(saved.number(row, 4))
                               .arg(saved.number(row, 5)));
        const bool scrapedOff = std::find(std::begin(scraped), std::end(scraped), i) != std::end(scraped);
        if (scrapedOff) {
            // Right of the picture, clear of the form and of each other, for the user to drag.
            QVERIFY2(parts[2].startsWith(QStringLiteral("not found")), qPrintable(lines[i]));
            QVERIFY2(saved.number(row, 2) >= 870 && saved.number(row, 4) > 0 && saved.number(row, 5) > 0,
                     qPrintable(lines[i]));
            continue;
        }
        QCOMPARE(parts[2], QStringLiteral("found"));
        // Each edge within 2 pixels of the drawn box.
        for (int column = 2; column <= 3; ++column) {
            const int edge = saved.number(row, column), far = edge + saved.number(row, column + 2);
            const int want = truth.number(row, column), wantFar = want + truth.number(row, column + 2);
            QVERIFY2(std::abs(edge - want) <= 2 && std::abs(far - wantFar) <= 2, qPrintable(lines[i]));
        }
    }
    const QRect first(saved.number(scraped[0] + 1, 2), saved.number(scraped[0] + 1, 3),
                      saved.number(scraped[0] + 1, 4), saved.number(scraped[0] + 1, 5));
    const QRect second(saved.number(scraped[1] + 1, 2), saved.number(scraped[1] + 1, 3),
                       saved.number(scraped[1] + 1, 4), saved.number(scraped[1] + 1, 5));
    QVERIFY(!first.intersects(second));
    QCOMPARE(FromCodePage(saved.cell(0, 1)), QStringLiteral("扫描中通"));
    QCOMPARE(saved.paperWidth(), 2330);
    QCOMPARE(saved.paperLength(), 1280);
    QCOMPARE(saved.number(0, 4), 870);
    QCOMPARE(saved.number(0, 5), 480);
    const QImage picture(folder.path(QStringLiteral("dataM/扫描中通.bmp")), "BMP");
    QCOMPARE(picture.size(), QSize(870, 480));

    // Listed among the templates; the current template stays current.
    const CliResult after = folder.run({QStringLiteral("templates")});
    QStringList expectedList = before.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Code-page order: 扫 (C9A8) after EMS, before 申通 (C9EA) and the current 圆通, whose
    // position in mould.ini moves on by one.
    expectedList.insert(1, QStringLiteral("  扫描中通"));
    QCOMPARE(after.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expectedList);
}

void TemplateFromPictureTest::takenOrCommaNamesAndPicturesWithoutFormAreRefused()
{
    CliFolder folder;
    const QByteArray shipped = [&] {
        QFile f(folder.path(QStringLiteral("dataM/EMS.dat")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const CliResult taken = folder.run(
        {QStringLiteral("template-from-picture"), QStringLiteral("dataM/申通.bmp"), QStringLiteral("--name"),
         QStringLiteral("EMS"), QStringLiteral("--paper"), QStringLiteral("230x127")});
    QCOMPARE(taken.exitCode, 2);
    QVERIFY2(taken.err.contains(QStringLiteral("\"EMS\" exists")), qPrintable(taken.err));
    // A name with a comma would break the layout file's header: refused, nothing written.
    const CliResult comma = folder.run(
        {QStringLiteral("template-from-picture"), QStringLiteral("dataM/申通.bmp"), QStringLiteral("--name"),
         QStringLiteral("顺丰,新版"), QStringLiteral("--paper"), QStringLiteral("230x127")});
    QCOMPARE(comma.exitCode, 2);
    QVERIFY2(comma.err.contains(QStringLiteral("模板名称不能包含英文逗号“,”、换行或控制字符")), qPrintable(comma.err));
    QVERIFY(!QFile::exists(folder.path(QStringLiteral("dataM/顺丰,新版.dat"))));
    QVERIFY(!QFile::exists(folder.path(QStringLiteral("dataM/顺丰,新版.bmp"))));
    QFile dat(folder.path(QStringLiteral("dataM/EMS.dat")));
    QVERIFY(dat.open(QIODevice::ReadOnly));
    QCOMPARE(dat.readAll(), shipped);

    QImage blank(900, 500, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QVERIFY(blank.save(folder.path(QStringLiteral("blank.png"))));
    const CliResult none = folder.run({QStringLiteral("template-from-picture"), QStringLiteral("blank.png"),
                                       QStringLiteral("--name"), QStringLiteral("空白"),
                                       QStringLiteral("--paper"), QStringLiteral("230x127")});
    QCOMPARE(none.exitCode, 2);
    QVERIFY2(none.err.contains(QStringLiteral("no form frame")), qPrintable(none.err));
    QVERIFY(!QFile::exists(folder.path(QStringLiteral("dataM/空白.dat"))));
    QVERIFY(!QFile::exists(folder.path(QStringLiteral("dataM/空白.bmp"))));
}

// A scan of a form whose labels are mostly gone names too few fields to build on: exit 2,
// nothing written, and what was found listed so the user sees why.
void TemplateFromPictureTest::formWithMostLabelsScrapedOffSavesNothing()
{
    CliFolder folder;
    const TemplateLayout truth = Layout(folder, QStringLiteral("顺丰"));
    QImage form(folder.path(QStringLiteral("dataM/顺丰.bmp")));
    QVERIFY(!form.isNull());
    form = form.convertToFormat(QImage::Format_RGB32);
    // Every label above a box of the fields 0 to 13 scraped off: the goods, count, signature
    // and date cells keep theirs (6 of 20 fields).
    {
        QPainter p(&form);
        for (int field = 0; field <= 13; ++field)
            p.fillRect(QRect(truth.number(field + 1, 2) - 3, truth.number(field + 1, 3) - 16, 140, 15),
                       Qt::white);
    }
    ScanFaults faults;
    faults.degrees = -0.7;
    faults.dpi = 200;
    faults.noise = 4;
    faults.jpegQuality = 75;
    QVERIFY(cv::imwrite(folder.path(QStringLiteral("scraped.jpg")).toStdString(),
                        Scan(MatOf(form), 2410, 1400, faults)));
    const QStringList before = QDir(folder.path(QStringLiteral("dataM"))).entryList(QDir::Files);

    const CliResult r = folder.run({QStringLiteral("template-from-picture"), QStringLiteral("scraped.jpg"),
                                    QStringLiteral("--name"), QStringLiteral("刮掉"),
                                    QStringLiteral("--paper"), QStringLiteral("241x140")});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(QStringLiteral("of 20 fields found")) &&
                 r.err.contains(QStringLiteral("nothing saved")),
             qPrintable(r.err));
    // The cells whose labels stayed are listed; a scraped one is not.
    for (const int kept : {14, 15, 16})
        QVERIFY2(r.err.contains(FieldName(kept) + QLatin1Char('\t')), qPrintable(r.err));
    QVERIFY2(!r.err.contains(FieldName(7) + QLatin1Char('\t')), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(QDir(folder.path(QStringLiteral("dataM"))).entryList(QDir::Files), before);
}

// Without --paper, the paper is measured on the scan at the resolution its file names: a
// form on paper of no common size gets its own size.
void TemplateFromPictureTest::paperMeasuredOnTheScan()
{
    CliFolder folder;
    QImage form(folder.path(QStringLiteral("dataM/中通.bmp")));
    QVERIFY(!form.isNull());
    ScanFaults faults;
    faults.dpi = 200;
    faults.degrees = 0.8;
    faults.noise = 4;
    const cv::Mat scan = Scan(MatOf(form.convertToFormat(QImage::Format_RGB32)), 2200, 1200, faults);
    QImage file =
        QImage(scan.data, scan.cols, scan.rows, static_cast<qsizetype>(scan.step), QImage::Format_BGR888)
            .copy();
    file.setDotsPerMeterX(qRound(200 / 0.0254));
    file.setDotsPerMeterY(qRound(200 / 0.0254));
    QVERIFY(file.save(folder.path(QStringLiteral("scan.png"))));

    const CliResult r = folder.run({QStringLiteral("template-from-picture"), QStringLiteral("scan.png"),
                                    QStringLiteral("--name"), QStringLiteral("小单")});
    QVERIFY2(r.finished && r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("paper 220 x 120 mm, as measured on the scan")),
             qPrintable(r.err));
    const TemplateLayout saved = Layout(folder, QStringLiteral("小单"));
    QCOMPARE(saved.paperWidth(), 2200);
    QCOMPARE(saved.paperLength(), 1200);
}

// A few hundred bytes claiming a huge picture are refused from the header, with the size, and
// the tool stays small; an A4 sheet at 600 dpi, either way round, is still read.
void TemplateFromPictureTest::picturesLargerThanAnA4ScanAreRefusedUndecoded()
{
    CliFolder folder;
    folder.write(QStringLiteral("claims.jpg"), JpegClaiming(20000, 20000));
    folder.write(QStringLiteral("claims.png"), PngClaiming(46000, 23000));
    folder.write(QStringLiteral("wide.png"), PngClaiming(7017, 4961));
    QImage blank(7016, 4961, QImage::Format_Grayscale8);
    blank.fill(Qt::white);
    QVERIFY(blank.save(folder.path(QStringLiteral("a4.png"))));
    const QStringList refusals = {QStringLiteral("图片太大（20000×20000 像素）"), QStringLiteral("图片太大（46000×23000 像素）"),
                                  QStringLiteral("图片太大（7017×4961 像素）"), QStringLiteral("no form frame")};
    const QStringList files = {QStringLiteral("claims.jpg"), QStringLiteral("claims.png"), QStringLiteral("wide.png"),
                               QStringLiteral("a4.png")};
    for (qsizetype i = 0; i < files.size(); ++i) {
        const CliResult result =
            folder.run({QStringLiteral("template-from-picture"), files[i], QStringLiteral("--name"),
                        QStringLiteral("巨图"), QStringLiteral("--paper"), QStringLiteral("230x127")});
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(refusals[i]), qPrintable(result.err));
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("dataM/巨图.dat"))));
    }
    // The largest run of the tool in this test, the scans of the others included.
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    QVERIFY2(children.ru_maxrss < 500 * 1024, qPrintable(QString::number(children.ru_maxrss / 1024) + " MB"));
}

QTEST_MAIN(TemplateFromPictureTest)
#include "TemplateFromPictureTest.moc"
