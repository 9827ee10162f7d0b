#include "controls/GradientButton.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

using namespace dorvane;

namespace {
constexpr int kWidth = 120, kHeight = 40;
const QColor kBorder(50, 100, 160);

QColor At(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

// The bounding box of the caption's pixels of the given colour inside the face.
QRect CaptionBox(const QImage& image, const QColor& colour)
{
    QRect box;
    for (int y = 4; y < kHeight - 4; ++y)
        for (int x = 4; x < kWidth - 4; ++x)
            if (image.pixelColor(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

bool PenOrInverted(const QColor& pixel, const QColor& pen)
{
    return pixel == pen || pixel == QColor(255 - pen.red(), 255 - pen.green(), 255 - pen.blue());
}

} // namespace

class GradientButtonTest : public QObject {
    Q_OBJECT

private:
    QWidget* window_ = nullptr;
    CGradientButton* button_ = nullptr;
    CGradientButton* other_ = nullptr;

    QImage Grab() { return button_->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // Real mouse moves: the platform turns them into enter and leave events.
    void MoveOnto(QWidget* widget) { QTest::mouseMove(widget, QPoint(60, 20)); }
    void MoveAway() { QTest::mouseMove(window_, QPoint(5, 80)); }

private slots:
    void init()
    {
        window_ = new QWidget;
        window_->resize(300, 100);
        button_ = new CGradientButton("OK", window_);
        button_->setGeometry(10, 10, kWidth, kHeight);
        QFont font("DejaVu Sans", 10);
        font.setStyleStrategy(QFont::NoAntialias); // exact caption colours
        button_->setFont(font);
        other_ = new CGradientButton("Other", window_);
        other_->setGeometry(150, 10, kWidth, kHeight);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        other_->setFocus();
        QTRY_VERIFY(other_->hasFocus());
        QVERIFY(!button_->IsHot());
    }

    void cleanup()
    {
        MoveAway(); // so the next test's button does not appear under the pointer
        delete window_;
    }

    void aMnemonicIsUnderlinedNotShown()
    {
        button_->setText(QStringLiteral("P(&P)"));
        const QRect withMnemonic = CaptionBox(Grab(), Qt::black);
        button_->setText(QStringLiteral("P(P)"));
        const QRect plain = CaptionBox(Grab(), Qt::black);
        QCOMPARE(withMnemonic.left(), plain.left());
        QCOMPARE(withMnemonic.width(), plain.width());
        QVERIFY(withMnemonic.bottom() >= plain.bottom()); // the underline under the second P
        button_->setText(QStringLiteral("A&&B"));
        const QRect ampersand = CaptionBox(Grab(), Qt::black);
        button_->setText(QStringLiteral("A&B"));
        QVERIFY(CaptionBox(Grab(), Qt::black).width() < ampersand.width()); // "&&" draws one "&"
    }

    void normalButtonHasBorderAndGradient()
    {
        const QImage image = Grab();
        QCOMPARE(At(image, 0, kHeight / 2), kBorder);
        QCOMPARE(At(image, kWidth - 1, kHeight / 2), kBorder);
        QCOMPARE(At(image, kWidth / 2, 0), kBorder);
        // Face from (2, 2) to (118, 38) exclusive, 36 rows: first row white, the middle row
        // shade 18*63/36 = 31, the last inner row shade 61, and the two rows from the inner
        // bottom down over the frame the last shade, 63.
        QCOMPARE(At(image, 10, 2), QColor(255, 255, 255));
        QCOMPARE(At(image, 10, 20), QColor(240, 240, 249));
        QCOMPARE(At(image, 10, kHeight - 3), QColor(225, 225, 243));
        QCOMPARE(At(image, 10, kHeight - 2), QColor(224, 224, 243));
        QCOMPARE(At(image, 10, kHeight - 1), QColor(224, 224, 243));
        // No hot or focus edges.
        QCOMPARE(At(image, 2, 20), QColor(240, 240, 249));
        QCOMPARE(At(image, kWidth - 3, 20), QColor(240, 240, 249));
        // The caption is black and centred.
        const QRect caption = CaptionBox(image, Qt::black);
        QVERIFY(!caption.isEmpty());
        QVERIFY(qAbs(caption.center().x() - kWidth / 2) <= 2);
        QVERIFY(qAbs(caption.center().y() - kHeight / 2) <= 3);
    }

    void hoverShowsHotEdgesUntilTheMouseLeaves()
    {
        MoveOnto(button_);
        QTRY_VERIFY(button_->IsHot());
        QImage image = Grab();
        QCOMPARE(At(image, 2, 20), QColor(250, 196, 88));           // left
        QCOMPARE(At(image, kWidth - 3, 20), QColor(251, 202, 106)); // right
        QCOMPARE(At(image, 60, 2), QColor(252, 210, 121));          // top
        QCOMPARE(At(image, 60, kHeight - 2), QColor(229, 151, 0));  // bottom
        // The hot gradient fades towards yellow-grey: shade 31 is (240, 240, 224).
        QCOMPARE(At(image, 10, 20), QColor(240, 240, 224));
        QCOMPARE(At(image, 10, 3), QColor(255, 255, 254));
        QCOMPARE(At(image, 0, 20), kBorder);

        MoveAway();
        QTRY_VERIFY(!button_->IsHot());
        image = Grab();
        QCOMPARE(At(image, 2, 20), QColor(240, 240, 249));
        QCOMPARE(At(image, 10, 20), QColor(240, 240, 249));
    }

    void focusShowsBlueEdgesAndAFocusRectangleUnlessHot()
    {
        button_->setFocus();
        QTRY_VERIFY(button_->hasFocus());
        QImage image = Grab();
        // Top and right edges lie under the dotted frame: each pixel is the pen or its inverse.
        QVERIFY(PenOrInverted(At(image, 60, 2), QColor(162, 201, 255)));
        QVERIFY(PenOrInverted(At(image, kWidth - 3, 20), QColor(162, 189, 252)));
        QCOMPARE(At(image, 60, kHeight - 2), QColor(162, 201, 255));
        // The dotted focus frame inverts the left edge's pen colour at every few pixels.
        const QColor pen(153, 198, 252), inverted(255 - 153, 255 - 198, 255 - 252);
        int plain = 0, dotted = 0;
        for (int y = 6; y < kHeight - 6; ++y) {
            plain += At(image, 2, y) == pen;
            dotted += At(image, 2, y) == inverted;
        }
        QVERIFY2(plain > 0 && dotted > 0, qPrintable(QString("%1 %2").arg(plain).arg(dotted)));

        // Focused and hot: the hot edges win and there is no focus frame.
        MoveOnto(button_);
        QTRY_VERIFY(button_->IsHot());
        image = Grab();
        QCOMPARE(At(image, 60, 2), QColor(252, 210, 121));
        int hotLeft = 0;
        for (int y = 6; y < kHeight - 6; ++y)
            hotLeft += At(image, 2, y) == QColor(250, 196, 88);
        QCOMPARE(hotLeft, kHeight - 12);
    }

    void pressedCaptionMovesOnePixelRightAndDown()
    {
        const QRect normal = CaptionBox(Grab(), Qt::black);
        QVERIFY(!normal.isEmpty());
        QTest::mousePress(button_, Qt::LeftButton, {}, QPoint(60, 20));
        QVERIFY(button_->isDown());
        const QRect pressed = CaptionBox(Grab(), Qt::black);
        QCOMPARE(pressed, normal.translated(1, 1));
        QSignalSpy clicked(button_, &QPushButton::clicked);
        QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(60, 20));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(CaptionBox(Grab(), Qt::black), normal);
    }

    void disabledCaptionIsGreyAndEmbossed()
    {
        const QRect normal = CaptionBox(Grab(), Qt::black);
        button_->setEnabled(false);
        const QImage image = Grab();
        QVERIFY(CaptionBox(image, Qt::black).isEmpty());
        const QColor shadow = button_->palette().color(QPalette::Dark);
        const QColor light = button_->palette().color(QPalette::Light);
        QCOMPARE(CaptionBox(image, shadow), normal);
        // The light copy lies one pixel down and right; where the shadow text does not cover it
        // its right and bottom ends show.
        const QRect lightBox = CaptionBox(image, light);
        QCOMPARE(lightBox.bottomRight(), normal.bottomRight() + QPoint(1, 1));
    }
};

QTEST_MAIN(GradientButtonTest)
#include "GradientButtonTest.moc"
