// Recognition of forms laid out as other couriers lay theirs out (VariedForms.h), each
// scanned at 150 to 300 dpi, turned by up to 2 degrees, noisy and stored as JPEG.
#include "VariedForms.h"
#include "MatOfImage.h"
#include "ScannedForm.h"
#include "recognition/FormRecognizer.h"

#include <QTest>

using namespace dorvane;
using namespace dorvane::testing;

class VariedFormsTest : public QObject {
    Q_OBJECT
private slots:
    void thirtyFormsOfOtherLayouts();

private:
    FormRecognizer recognizer_;
};

namespace {

double IntersectionOverUnion(const QRectF& a, const QRectF& b)
{
    const QRectF both = a & b;
    const double common = both.isValid() ? both.width() * both.height() : 0;
    const double all = a.width() * a.height() + b.width() * b.height() - common;
    return all > 0 ? common / all : 0;
}

QRectF RectOf(const PictureBox& b)
{
    return QRectF(b.x, b.y, b.w, b.h);
}

} // namespace

// Over the thirty forms, most labelled fields lie on their writing area (intersection over
// union of at least a half), and no field ever lies on another field's cell: a field the
// recognition cannot place stays off the form for the user to drag.
void VariedFormsTest::thirtyFormsOfOtherLayouts()
{
    constexpr int kForms = 30;
    int labelled = 0, placed = 0, formsMisplacing = 0;
    QStringList report;
    for (int index = 0; index < kForms; ++index) {
        const VariedForm form = DrawVariedForm(index);
        ScanFaults faults;
        faults.dpi = form.dpi;
        faults.degrees = (index % 2 ? 1 : -1) * (0.2 + 1.8 * ((index * 7) % 10) / 9.0);
        faults.blur = 0.5 + 0.1 * (index % 6);
        faults.noise = 3 + index % 5;
        faults.jpegQuality = 50 + (index * 3) % 31;
        faults.onTable = index % 3 != 0;
        const FormRecognition r =
            recognizer_.recognize(Scan(MatOf(form.picture), form.paperWidth, form.paperHeight, faults));
        QString problems;
        bool misplacing = false;
        for (int i = 0; i < kFieldCount; ++i) {
            const auto& writing = form.writing[static_cast<std::size_t>(i)];
            const RecognizedField& f = r.fields[static_cast<std::size_t>(i)];
            if (writing)
                ++labelled;
            if (!f.found) {
                if (writing)
                    problems += QStringLiteral(" %1 not found;").arg(i);
                continue;
            }
            const QRectF box = RectOf(f.box);
            if (writing && IntersectionOverUnion(box, *writing) >= 0.5)
                ++placed;
            else if (writing)
                problems += QStringLiteral(" %1 off its area (IoU %2, \"%3\");")
                                .arg(i)
                                .arg(IntersectionOverUnion(box, *writing), 0, 'f', 2)
                                .arg(QString::fromStdString(f.label));
            for (int j = 0; j < kFieldCount; ++j) {
                const auto& other = form.cell[static_cast<std::size_t>(j)];
                if (j != i && other && other->contains(box.center())) {
                    misplacing = true;
                    problems += QStringLiteral(" %1 on the cell of %2 (\"%3\");")
                                    .arg(i)
                                    .arg(j)
                                    .arg(QString::fromStdString(f.label));
                }
            }
        }
        formsMisplacing += misplacing ? 1 : 0;
        if (!problems.isEmpty())
            report += form.description + QStringLiteral(":") + problems +
                      (r.ok() ? QString() : QStringLiteral(" [") + QString::fromStdString(r.error) + "]");
    }
    const double share = 100.0 * placed / labelled;
    qInfo("%d of %d labelled fields placed (%.1f%%), %d forms with a field on another's cell", placed,
          labelled, share, formsMisplacing);
    // What was missed, form by form: the forms' faults beside the fields.
    qInfo("%s", qPrintable(report.join('\n')));
    QVERIFY2(labelled >= kForms * 15, qPrintable(QString::number(labelled)));
    QVERIFY2(share >= 85.0 && formsMisplacing == 0, qPrintable(report.join('\n')));
}

QTEST_MAIN(VariedFormsTest)
#include "VariedFormsTest.moc"
