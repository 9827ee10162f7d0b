// The template editor's automatic recognition, driven through its real widgets: a scanned
// form turned into the new template's picture and boxes while the window keeps running.
#include "SurfaceMouse.h"
#include "base/FileChoice.h"
#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "base/PrintFontConversion.h"
#include "recognition/MatOfImage.h"
#include "recognition/ScannedForm.h"
#include "support/HostilePictures.h"
#include "support/WorkFolderFixture.h"
#include "editor/EditingSurface.h"
#include "editor/TemplateEditDlg.h"
#include "template/TemplateStore.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <sys/resource.h>

using namespace dorvane;
using namespace dorvane::test;
using namespace dorvane::testing;

class TemplateRecognitionTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterFontSubstitutes(); }
    void recognizedFormBecomesTheNewTemplateWhenSaved();
    void picturesLargerThanAnA4ScanAreRefusedUndecoded();
    void formNamingTooFewFieldsLeavesTheTemplateAsItWas();
};

void TemplateRecognitionTest::recognizedFormBecomesTheNewTemplateWhenSaved()
{
    WorkFolderFixture work;
    UseTemplate(work.workspace(), "圆通", "3");
    setMessagesAnsweredByTest(true);
    clearFileAnswers();

    // A photograph of the 顺丰 form with the goods cell's label scraped off.
    TemplateLayout truth;
    QVERIFY(LoadLayoutFile(LayoutPath(work.workspace().WorkFolder, "顺丰"), truth));
    QImage form = QImage(work.path(QStringLiteral("dataM/顺丰.bmp"))).convertToFormat(QImage::Format_RGB32);
    const int scraped = 14; // 物品名称
    {
        QPainter p(&form);
        p.fillRect(QRect(truth.number(scraped + 1, 2), truth.number(scraped + 1, 3) - 15, 100, 14),
                   Qt::white);
    }
    ScanFaults faults;
    faults.degrees = -0.9;
    faults.dpi = 200;
    faults.blur = 0.8;
    faults.noise = 5;
    faults.jpegQuality = 75;
    faults.onTable = true;
    const QString scan = work.path(QStringLiteral("photo.jpg"));
    QVERIFY(cv::imwrite(scan.toStdString(), Scan(MatOf(form), 2410, 1400, faults)));

    CTemplateEditDlg dialog(work.workspace());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* recognize = dialog.findChild<QPushButton*>(QStringLiteral("recognizeButton"));
    QVERIFY(recognize && recognize->isHidden()); // mode 0 edits the current template
    dialog.findChild<QComboBox*>(QStringLiteral("modeCombo"))->setCurrentIndex(1);
    QVERIFY(recognize->isVisible());
    QTRY_VERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("newNameEdit"))->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("SFscan"));

    queueFileAnswer(scan);
    QTest::mouseClick(recognize, Qt::LeftButton);
    QCOMPARE(takeFileDialogTitles(), QStringList{QStringLiteral("自动识别快递单图片")});
    // The click returns at once; the work goes on while the window shows its progress.
    auto* progress = dialog.findChild<QProgressDialog*>(QStringLiteral("recognitionProgress"));
    QVERIFY(progress && progress->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(
        dialog.findChild<QProgressDialog*>(QStringLiteral("recognitionProgress")) == nullptr, 20000);

    const QList<ShownMessage> shown = takeShownMessages();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].caption, QStringLiteral("提示"));
    QVERIFY2(shown[0].text.contains(
                 QStringLiteral("以下栏目未找到，已放在图片右侧(红框)，请拖动到位：\n物品名称\n")),
             qPrintable(shown[0].text));
    QVERIFY2(shown[0].text.contains(QStringLiteral("纸张尺寸建议为241×140毫米")), qPrintable(shown[0].text));
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("newPaperWidthEdit"))->text(),
             QStringLiteral("241"));
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("newPaperHeightEdit"))->text(),
             QStringLiteral("140"));
    QCOMPARE(dialog.surface()->picture().size(), QSize(870, 480));
    // The field not found waits right of the picture, framed red for the user to drag.
    {
        const TemplateLayout shown = dialog.surface()->tracker().layout();
        const int x = shown.number(scraped + 1, 2), y = shown.number(scraped + 1, 3);
        QVERIFY(x >= 870);
        const QImage surface = dialog.surface()->grab().toImage();
        int red = 0;
        for (int dx = 0; dx < shown.number(scraped + 1, 4); ++dx)
            red += surface.pixelColor(x + dx, y) == QColor(Qt::red) ? 1 : 0;
        QVERIFY2(red > 10, qPrintable(QString::number(red)));
    }
    QVERIFY(dialog.LayoutModified());
    // Nothing is a template until it is saved.
    QVERIFY(!TemplateExists(DataFolder(work.workspace().WorkFolder), ToFileName(QStringLiteral("SFscan"))));

    // The suggestion is the user's to change before saving.
    auto* height = dialog.findChild<QLineEdit*>(QStringLiteral("newPaperHeightEdit"));
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::mouseClick(height, Qt::LeftButton);
    QTRY_VERIFY(height->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("139.5"));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
    QCOMPARE(takeShownMessages().size(), 1); // "保存成功！"
    TemplateLayout saved;
    QVERIFY(
        LoadLayoutFile(LayoutPath(work.workspace().WorkFolder, ToFileName(QStringLiteral("SFscan"))), saved));
    QCOMPARE(saved.paperWidth(), 2410);
    QCOMPARE(saved.paperLength(), 1395);
    for (int row = 1; row <= kFieldCount; ++row) {
        // The scraped cell's box lies right of the picture, on no cell of the form; every
        // other box lies on the form's cell, each edge within 2 pixels.
        if (row == scraped + 1) {
            QVERIFY(saved.number(row, 2) >= 870);
            QVERIFY(saved.number(row, 2) + saved.number(row, 4) <= 870 + 150); // on the editor's surface
            continue;
        }
        for (int column = 2; column <= 3; ++column) {
            const int edge = saved.number(row, column), far = edge + saved.number(row, column + 2);
            const int want = truth.number(row, column), wantFar = want + truth.number(row, column + 2);
            QVERIFY2(std::abs(edge - want) <= 2 && std::abs(far - wantFar) <= 2,
                     qPrintable(QString::number(row)));
        }
    }
    dialog.reject();
    // Saved, so the recognised picture stays as the template's.
    QCOMPARE(QImage(work.path(QStringLiteral("dataM/SFscan.bmp"))).size(), QSize(870, 480));
}

// Small files claiming huge pictures, chosen for 自动识别 and as a new template's picture: each
// refused with its size, nothing stored, and the window's process never holds what they claim.
void TemplateRecognitionTest::picturesLargerThanAnA4ScanAreRefusedUndecoded()
{
    WorkFolderFixture work;
    UseTemplate(work.workspace(), "圆通", "3");
    setMessagesAnsweredByTest(true);
    work.write(QStringLiteral("claims.jpg"), JpegClaiming(20000, 20000).toStdString());
    work.write(QStringLiteral("claims.png"), PngClaiming(46000, 23000).toStdString());
    CTemplateEditDlg dialog(work.workspace());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.findChild<QComboBox*>(QStringLiteral("modeCombo"))->setCurrentIndex(1);
    QTRY_VERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("newNameEdit"))->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("BigScan"));

    queueFileAnswer(work.path(QStringLiteral("claims.jpg")));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("recognizeButton")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.findChild<QProgressDialog*>(QStringLiteral("recognitionProgress")), 20000);
    queueFileAnswer(work.path(QStringLiteral("claims.png")));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("importButton")), Qt::LeftButton);

    const QString tooLarge =
        QStringLiteral("图片太大（%1 像素），请使用不超过 A4 纸 600 dpi 扫描大小（4961×7016 像素）的图片!");
    const QList<ShownMessage> shown = takeShownMessages();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].text, tooLarge.arg(QStringLiteral("20000×20000")));
    QCOMPARE(shown[1].text, tooLarge.arg(QStringLiteral("46000×23000")));
    QVERIFY(!QFile::exists(work.path(QStringLiteral("dataM/BigScan.bmp"))));
    QCOMPARE(dialog.surface()->picture().size(), QSize(870, 480)); // still the current template's
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    QVERIFY2(usage.ru_maxrss < 500 * 1024, qPrintable(QString::number(usage.ru_maxrss / 1024) + " MB"));
    dialog.reject();
}

// A scanned form with most labels scraped off: the editor says how little it found, and the
// picture and boxes shown, the paper and the data folder stay as they were.
void TemplateRecognitionTest::formNamingTooFewFieldsLeavesTheTemplateAsItWas()
{
    WorkFolderFixture work;
    UseTemplate(work.workspace(), "圆通", "3");
    setMessagesAnsweredByTest(true);
    clearFileAnswers();
    TemplateLayout truth;
    QVERIFY(LoadLayoutFile(LayoutPath(work.workspace().WorkFolder, "中通"), truth));
    QImage form = QImage(work.path(QStringLiteral("dataM/中通.bmp"))).convertToFormat(QImage::Format_RGB32);
    {
        QPainter p(&form);
        for (int field = 1; field < kFieldCount; ++field)
            p.fillRect(QRect(truth.number(field + 1, 2) - 3, truth.number(field + 1, 3) - 16, 140, 15),
                       Qt::white);
    }
    ScanFaults faults;
    faults.degrees = 1.2;
    faults.dpi = 150;
    faults.noise = 5;
    faults.jpegQuality = 60;
    const QString scan = work.path(QStringLiteral("scraped.jpg"));
    QVERIFY(cv::imwrite(scan.toStdString(), Scan(MatOf(form), 2330, 1280, faults)));

    CTemplateEditDlg dialog(work.workspace());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.findChild<QComboBox*>(QStringLiteral("modeCombo"))->setCurrentIndex(1);
    QTRY_VERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("newNameEdit"))->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Scraped"));
    const TemplateLayout before = dialog.surface()->tracker().layout();
    const QImage pictureBefore = dialog.surface()->picture().toImage();
    const QString widthBefore = dialog.findChild<QLineEdit*>(QStringLiteral("newPaperWidthEdit"))->text();
    const QStringList filesBefore = QDir(work.path(QStringLiteral("dataM"))).entryList(QDir::Files);

    queueFileAnswer(scan);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("recognizeButton")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.findChild<QProgressDialog*>(QStringLiteral("recognitionProgress")),
                             20000);
    const QList<ShownMessage> shown = takeShownMessages();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].caption, QStringLiteral("注意"));
    QVERIFY2(shown[0].text.contains(QStringLiteral("不足一半，无法据此生成模板，当前模板未改动")),
             qPrintable(shown[0].text));
    QVERIFY2(shown[0].text.contains(QStringLiteral("识别出的栏目：")), qPrintable(shown[0].text));
    for (int row = 1; row <= kFieldCount; ++row)
        for (int column = 2; column <= 5; ++column)
            QCOMPARE(dialog.surface()->tracker().layout().number(row, column), before.number(row, column));
    QCOMPARE(dialog.surface()->picture().toImage(), pictureBefore);
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("newPaperWidthEdit"))->text(), widthBefore);
    QVERIFY(!dialog.LayoutModified());
    QCOMPARE(QDir(work.path(QStringLiteral("dataM"))).entryList(QDir::Files), filesBefore);
    dialog.reject();
}

QTEST_MAIN(TemplateRecognitionTest)
#include "TemplateRecognitionTest.moc"
