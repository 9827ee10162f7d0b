#include "CourierForm.h"
#include "IndexedBmp.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using namespace dorvane;

class FormgenTest : public QObject {
    Q_OBJECT
private slots:
    void layoutFilesHaveTheStoredShape();
    void writingAreasAreBlankRoomyAndApart();
    void couriersAreDistinguishable();
    void pictureSurvivesBmpRoundTrip();
    void shippedDataMatchesGenerator();
};

namespace {

QList<QByteArray> lines(const QByteArray& bytes)
{
    QList<QByteArray> out = bytes.split('\n');
    out.removeLast(); // text after the last line end
    return out;
}

} // namespace

void FormgenTest::layoutFilesHaveTheStoredShape()
{
    for (const FormStyle& s : CourierStyles()) {
        const CourierForm form(s);
        const QByteArray bytes = form.layoutFile();
        QVERIFY2(bytes.endsWith("\r\n"), qPrintable(s.name));
        const QList<QByteArray> rows = lines(bytes);
        QCOMPARE(rows.size(), 21);
        for (const QByteArray& row : rows) {
            QVERIFY(row.endsWith('\r'));
            QCOMPARE(row.count('\r'), 1);
            QCOMPARE(row.count(','), 5);
        }
        const QList<QByteArray> header = rows[0].chopped(1).split(',');
        QCOMPARE(header[0], QByteArray("0"));
        QStringDecoder gbk("GB18030");
        QCOMPARE(QString(gbk(header[1])), s.name);
        if (s.name != "EMS") // Chinese names must not be stored as UTF-8
            QVERIFY(header[1] != s.name.toUtf8());
        QCOMPARE(header[2].toInt(), s.paperWidth);
        QCOMPARE(header[3].toInt(), s.paperHeight);
        QCOMPARE(header[4], QByteArray("870"));
        QCOMPARE(header[5], QByteArray("480"));
        for (int i = 0; i < kFieldCount; ++i) {
            const QList<QByteArray> v = rows[i + 1].chopped(1).split(',');
            const QRect stored(v[2].toInt(), v[3].toInt(), v[4].toInt(), v[5].toInt());
            QCOMPARE(v[0] + v[1], QByteArray("00"));
            QCOMPARE(stored, form.boxes()[static_cast<std::size_t>(i)]);
        }
    }
}

void FormgenTest::writingAreasAreBlankRoomyAndApart()
{
    const QRect picture(0, 0, CourierForm::kWidth, CourierForm::kHeight);
    for (const FormStyle& s : CourierStyles()) {
        const CourierForm form(s);
        const QImage image = form.indexedPicture().convertToFormat(QImage::Format_RGB32);
        const auto& boxes = form.boxes();
        for (int i = 0; i < kFieldCount; ++i) {
            const QRect b = boxes[static_cast<std::size_t>(i)];
            const QByteArray what = (s.name + " field " + QString::number(i)).toUtf8();
            QVERIFY2(picture.contains(b), what);
            QVERIFY2(b.height() >= 22 && b.width() >= 30, what);
            if (i == 6 || i == 7 || i == 14) // addresses and goods are written over several lines
                QVERIFY2(b.height() >= 50 && b.width() >= 250, what);
            for (int y = b.top(); y <= b.bottom(); ++y)
                for (int x = b.left(); x <= b.right(); ++x)
                    if (image.pixel(x, y) != s.paper.rgb())
                        QFAIL(qPrintable(QString("%1: ink at %2,%3").arg(QString(what)).arg(x).arg(y)));
            for (int j = i + 1; j < kFieldCount; ++j)
                QVERIFY2(!b.intersects(boxes[static_cast<std::size_t>(j)]), what);
        }
    }
}

void FormgenTest::couriersAreDistinguishable()
{
    const auto styles = CourierStyles();
    QCOMPARE(styles.size(), std::size_t(5));
    for (std::size_t i = 0; i < styles.size(); ++i)
        for (std::size_t j = i + 1; j < styles.size(); ++j) {
            QVERIFY(styles[i].name != styles[j].name);
            QVERIFY(CourierForm(styles[i]).boxes() != CourierForm(styles[j]).boxes());
        }
}

void FormgenTest::pictureSurvivesBmpRoundTrip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const CourierForm form(CourierStyles().at(1));
    const QImage indexed = form.indexedPicture();
    const QString path = dir.filePath(form.style().name + ".bmp");
    const QByteArray bytes = IndexedBmp(indexed);
    QCOMPARE(bytes.size(), 14 + 40 + 4 * indexed.colorCount() + 872 * 480); // 8 bits a pixel, rows padded to 4
    QCOMPARE(IndexedBmp(form.indexedPicture()), bytes); // reproducible, padding included
    QVERIFY(IndexedBmp(indexed.convertToFormat(QImage::Format_RGB32)).isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    const QImage loaded(path);
    QCOMPARE(loaded.size(), QSize(870, 480));
    QCOMPARE(loaded.convertToFormat(QImage::Format_RGB32), indexed.convertToFormat(QImage::Format_RGB32));
    // The palette keeps the flat colours exact.
    QCOMPARE(loaded.pixel(440, 2), form.style().paper.rgb());
}

// The committed templates must be what the generator makes now: a layout changed in the
// code without regenerating would leave the shipped boxes off the drawn cells.
void FormgenTest::shippedDataMatchesGenerator()
{
    const QDir shipped(QStringLiteral(DORVANE_SHIPPED_DATA));
    for (const FormStyle& s : CourierStyles()) {
        const CourierForm form(s);
        QFile dat(shipped.filePath(s.name + ".dat"));
        QVERIFY2(dat.open(QIODevice::ReadOnly), qPrintable(dat.fileName()));
        QCOMPARE(dat.readAll(), form.layoutFile());
        const QImage image = QImage(shipped.filePath(s.name + ".bmp")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(870, 480));
        for (const QRect& b : form.boxes())
            QCOMPARE(image.pixel(b.center()), s.paper.rgb());
    }
}

QTEST_MAIN(FormgenTest)
#include "FormgenTest.moc"
