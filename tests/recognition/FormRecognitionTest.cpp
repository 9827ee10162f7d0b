#include "CourierForm.h"
#include "FormStyle.h"
#include "MatOfImage.h"
#include "ScannedForm.h"
#include "recognition/FieldKeywords.h"
#include "recognition/FormRecognizer.h"
#include "recognition/ScanResolution.h"
#include "template/TemplateLayout.h"

#include <QBuffer>
#include <QFont>
#include <QPainter>
#include <QTest>

#include <cstdlib>

using namespace dorvane;
using namespace dorvane::testing;

class FormRecognitionTest : public QObject {
    Q_OBJECT
private slots:
    void labelsNameTheirFields();
    void shippedFormsScanned();
    void formOfAnotherLayout();
    void paperFromTheScan();

private:
    FormRecognizer recognizer_;
};

namespace {

QString Describe(const PictureBox& b)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(b.x).arg(b.y).arg(b.w).arg(b.h);
}

PictureBox BoxOf(const QRect& r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

bool Near(const PictureBox& a, const PictureBox& b, int tolerance)
{
    return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance &&
           std::abs(a.right() - b.right()) <= tolerance && std::abs(a.bottom() - b.bottom()) <= tolerance;
}

// Every field with a box in truth is found within 2 pixels; the others are not found.
QString Mismatches(const FormRecognition& r, const std::array<std::optional<PictureBox>, kFieldCount>& truth)
{
    QString out;
    for (int i = 0; i < kFieldCount; ++i) {
        const auto& t = truth[static_cast<std::size_t>(i)];
        const RecognizedField& f = r.fields[static_cast<std::size_t>(i)];
        if (t && !f.found)
            out += QStringLiteral(" field %1 not found;").arg(i);
        else if (t && !Near(f.box, *t, 2))
            out += QStringLiteral(" field %1 at %2, drawn at %3 (label \"%4\");")
                       .arg(i)
                       .arg(Describe(f.box), Describe(*t), QString::fromStdString(f.label));
        else if (!t && f.found)
            out += QStringLiteral(" field %1 found at %2 from \"%3\", but the form has no such cell;")
                       .arg(i)
                       .arg(Describe(f.box), QString::fromStdString(f.label));
    }
    return out;
}

} // namespace

void FormRecognitionTest::labelsNameTheirFields()
{
    struct Case {
        const char* label;
        int field;
    };
    const Case cases[] = {
        {"寄件人姓名", 1},
        {"收件人地址：", 7},
        {"收件人 手机号码", 12},
        {"收件邮编", 13},
        {"目的地", 0},
        {"始发地", 2},
        {"原寄地", 2},
        {"内件品名", 14},
        {"物品名称", 14},
        {"件数", 15},
        {"数量", 15},
        {"寄方电话", 8},
        {"发件人单位", 4},
        {"寄件人签名", 16},
        {"寄件日期", kDateCell},
        {"收方", 3},
        // One character misread in a longer wording still names it.
        {"收伴人地址", 7},
        {"寄件人签各", 16},
        {"物品名秤", 14},
        // The recipient's signature and other printed cells are never a field, though they
        // differ from one by a single character.
        {"收件人签名", kPrintedOnly},
        {"收件人签收时间", kPrintedOnly},
        {"保价金额（元）", kPrintedOnly},
        {"寄件人证件号码", kPrintedOnly},
        // Two-character wordings must be read exactly.
        {"数星", kUnknownLabel},
        {"No. 0000 0000", kUnknownLabel},
        {"", kUnknownLabel},
    };
    for (const Case& c : cases) {
        const LabelMatch m = MatchLabel(c.label);
        QVERIFY2(!m.partyless(), c.label);
        QCOMPARE(m.field, c.field);
    }
    const LabelMatch phone = MatchLabel("电话:");
    QVERIFY(phone.partyless());
    QCOMPARE(phone.partyItem, (PartyItem{8, 9}));
    QCOMPARE(MatchLabel("手机").partyItem, (PartyItem{10, 12}));
}

void FormRecognitionTest::shippedFormsScanned()
{
    const std::vector<FormStyle> styles = CourierStyles();
    int variant = 0;
    QStringList failures;
    for (const FormStyle& style : styles) {
        const CourierForm form(style);
        std::array<std::optional<PictureBox>, kFieldCount> truth;
        for (int i = 0; i < kFieldCount; ++i)
            truth[static_cast<std::size_t>(i)] = BoxOf(form.boxes()[static_cast<std::size_t>(i)]);
        for (const int dpi : {150, 200, 300}) {
            // Each scan differs: turned either way by up to 2 degrees, blurred, noisy and
            // compressed, on a table or on a scanner.
            ++variant;
            ScanFaults faults;
            faults.dpi = dpi;
            faults.degrees = (variant % 2 ? 1 : -1) * (0.4 + 0.4 * (variant % 5));
            faults.blur = dpi == 300 ? 1.2 : 0.7;
            faults.noise = 4 + variant % 4 * 2;
            faults.jpegQuality = 50 + variant % 4 * 10;
            faults.onTable = variant % 3 != 0;
            const cv::Mat scan = Scan(MatOf(form.picture()), style.paperWidth, style.paperHeight, faults);
            const FormRecognition r = recognizer_.recognize(scan);
            const QString what =
                QStringLiteral("%1 at %2 dpi turned %3°").arg(style.name).arg(dpi).arg(faults.degrees);
            if (!r.ok()) {
                failures += what + ": " + QString::fromStdString(r.error);
                continue;
            }
            QCOMPARE(r.picture.cols, 870);
            QCOMPARE(r.picture.rows, 480);
            if (const QString wrong = Mismatches(r, truth); !wrong.isEmpty())
                failures += what + ":" + wrong;
            if (r.suggestedPaper != PaperSize{style.paperWidth, style.paperHeight})
                failures += what + QStringLiteral(": paper %1 x %2 suggested")
                                       .arg(r.suggestedPaper.width)
                                       .arg(r.suggestedPaper.height);
        }
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
}

namespace {

// A courier form unlike the shipped ones: sender and recipient in rows one above the other,
// other wordings ("寄方", "目的城市", "件数", "寄件人签字"), labels that name no party in the
// recipient's row, no company cells, and a date cell with its own rules.
struct OtherForm {
    QImage picture{870, 480, QImage::Format_RGB32};
    std::array<std::optional<PictureBox>, kFieldCount> truth;
};

OtherForm DrawOtherForm()
{
    OtherForm form;
    form.picture.fill(Qt::white);
    QPainter p(&form.picture);
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    const QColor ink(120, 20, 30);
    auto cell = [&](int x, int y, int w, int h, const QString& label, int field) {
        p.setPen(QPen(ink, 1));
        p.drawRect(x, y, w, h);
        font.setPixelSize(13);
        p.setFont(font);
        p.drawText(QRect(x + 4, y + 2, w - 8, 14), Qt::AlignLeft | Qt::AlignVCenter, label);
        // The writing area below the label, as the shipped forms keep it.
        if (field >= 0)
            form.truth[static_cast<std::size_t>(field)] = PictureBox{x + 4, y + 17, w - 8, h - 20};
    };
    font.setPixelSize(26);
    font.setBold(true);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRect(20, 12, 400, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("快捷物流 速递运单"));
    font.setBold(false);
    cell(560, 8, 130, 56, QStringLiteral("原寄地"), 2);
    cell(690, 8, 172, 56, QStringLiteral("目的城市"), 0);
    const int senderRow[] = {1, 8, 10, 11};
    const QString senderLabels[] = {"寄方姓名", "寄方电话", "寄方手机", "寄方邮编"};
    const int recipientRow[] = {3, 9, 12, 13};
    const QString recipientLabels[] = {"收件人", "电话", "手机", "邮编"};
    const int xs[] = {8, 238, 438, 648, 862};
    for (int i = 0; i < 4; ++i) {
        cell(xs[i], 64, xs[i + 1] - xs[i], 44, senderLabels[i], senderRow[i]);
        cell(xs[i], 168, xs[i + 1] - xs[i], 44, recipientLabels[i], recipientRow[i]);
    }
    cell(8, 108, 854, 60, QStringLiteral("寄方地址"), 6);
    cell(8, 212, 854, 60, QStringLiteral("收方地址"), 7);
    cell(8, 272, 400, 100, QStringLiteral("内件品名"), 14);
    cell(408, 272, 110, 100, QStringLiteral("件数"), 15);
    cell(518, 272, 344, 100, QStringLiteral("运费"), -1);
    cell(8, 372, 400, 100, QStringLiteral("寄件人签字"), 16);
    cell(408, 372, 454, 100, QStringLiteral("日期"), -1);
    // Year, month and day written on rules, each followed by its character.
    const int ruleX[] = {430, 520, 590}, ruleW[] = {60, 40, 40};
    const QString marks[] = {"年", "月", "日"};
    font.setPixelSize(14);
    p.setFont(font);
    for (int i = 0; i < 3; ++i) {
        p.drawLine(ruleX[i], 444, ruleX[i] + ruleW[i] - 1, 444);
        p.drawText(QRect(ruleX[i] + ruleW[i] + 2, 414, 16, 30), Qt::AlignCenter, marks[i]);
        form.truth[static_cast<std::size_t>(17 + i)] = PictureBox{ruleX[i], 414, ruleW[i], 30};
    }
    p.setPen(QPen(ink, 2));
    p.drawRect(8, 8, 854, 464);
    return form;
}

} // namespace

void FormRecognitionTest::formOfAnotherLayout()
{
    const OtherForm form = DrawOtherForm();
    ScanFaults faults;
    faults.dpi = 300;
    faults.degrees = -1.3;
    faults.blur = 1.0;
    faults.noise = 5;
    faults.jpegQuality = 70;
    faults.onTable = true;
    const FormRecognition r = recognizer_.recognize(Scan(MatOf(form.picture), 2410, 1400, faults));
    QVERIFY2(r.ok(), r.error.c_str());
    const QString wrong = Mismatches(r, form.truth);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    QCOMPARE(r.suggestedPaper, (PaperSize{2410, 1400}));

    // The new template: the boxes found, the company cells the form lacks right of the
    // picture, clear of the form and of each other, and the straightened picture's size in
    // the header.
    TemplateLayout layout;
    for (int row = 1; row <= kFieldCount; ++row)
        for (int column = 2; column <= 5; ++column)
            layout.setNumber(row, column, row * 10 + column);
    PlaceRecognizedFields(layout, r);
    std::vector<QRect> outside;
    for (int i = 0; i < kFieldCount; ++i) {
        const auto& t = form.truth[static_cast<std::size_t>(i)];
        const PictureBox placed{layout.number(i + 1, 2), layout.number(i + 1, 3), layout.number(i + 1, 4),
                                layout.number(i + 1, 5)};
        if (t) {
            QVERIFY2(Near(placed, *t, 2), qPrintable(QString::number(i)));
            continue;
        }
        const QRect box(placed.x, placed.y, placed.w, placed.h);
        QVERIFY2(box.left() >= 870 && box.width() > 0 && box.height() > 0, qPrintable(QString::number(i)));
        for (const QRect& other : outside)
            QVERIFY(!box.intersects(other));
        outside.push_back(box);
    }
    QCOMPARE(outside.size(), std::size_t{2}); // the two company cells
    QCOMPARE(layout.number(0, 4), 870);
    QCOMPARE(layout.number(0, 5), 480);
}

namespace {

std::string FileBytes(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

} // namespace

// The resolution a scanner writes into PNG, JPEG and BMP files is read (72 and 96, which
// programs write without meaning it, are not); the paper follows from it and the frame's size
// in pixels, snapped to a common form within 2 % and else in whole millimetres.
void FormRecognitionTest::paperFromTheScan()
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (const char* format : {"PNG", "JPEG", "BMP"}) {
        image.setDotsPerMeterX(qRound(200 / 0.0254));
        image.setDotsPerMeterY(qRound(200 / 0.0254));
        const std::optional<double> dpi = ReadScanResolution(FileBytes(image, format));
        QVERIFY2(dpi && std::abs(*dpi - 200) < 0.5, format);
        image.setDotsPerMeterX(qRound(72 / 0.0254));
        image.setDotsPerMeterY(qRound(72 / 0.0254));
        QVERIFY2(!ReadScanResolution(FileBytes(image, format)), format);
    }
    QVERIFY(!ReadScanResolution("\xFF\xD8\xFF"));

    // A frame of 856 x 466 picture pixels spans a paper of 870 x 480: at 200 dpi, a paper of
    // 220 x 120 mm has a frame of 1700.2 x 917.6 scan pixels.
    const double frameWidth = 2200 / 254.0 * 200 * 856 / 870, frameHeight = 1200 / 254.0 * 200 * 466 / 480;
    QCOMPARE(SuggestPaper(frameWidth, frameHeight, 200.0), (PaperSize{2200, 1200}));
    // 1 % off a common paper is that paper.
    QCOMPARE(SuggestPaper(frameWidth * 1.0455 * 0.99, frameHeight * 1.0583, 200.0), (PaperSize{2300, 1270}));
    // Without a resolution: a common paper at a usual scanner resolution, else by the shape.
    const double emsWidth = 2300 / 254.0 * 300 * 856 / 870, emsHeight = 1270 / 254.0 * 300 * 466 / 480;
    QCOMPARE(SuggestPaper(emsWidth, emsHeight, std::nullopt), (PaperSize{2300, 1270}));
    QCOMPARE(SuggestPaper(frameWidth, frameHeight, std::nullopt), SuggestPaper(frameWidth / frameHeight));
}

QTEST_MAIN(FormRecognitionTest)
#include "FormRecognitionTest.moc"
