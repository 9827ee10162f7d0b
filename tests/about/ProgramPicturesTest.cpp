#include "base/ProgramPictures.h"
#include "about/AboutDlg.h"
#include "base/MessageBox.h"
#include "support/TempFolder.h"
#include "support/WorkFolderFixture.h"
#include "updater/UpdorvDlg.h"
#include "waybill/WaybillDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace dorvane;
using dorvane::test::TempFolder;
using dorvane::test::WorkFolderFixture;

namespace {

// True when some pixel of the picture can be seen and not all are alike.
bool ShowsSomething(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    bool visible = false;
    bool varied = false;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            visible = visible || qAlpha(argb.pixel(x, y)) > 0;
            varied = varied || argb.pixel(x, y) != argb.pixel(0, 0);
        }
    }
    return visible && varied;
}

} // namespace

class ProgramPicturesTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setMessagesAnsweredByTest(true); }
    void cleanup() { takeShownMessages(); }

    void mainWindowAndUpdaterCarryTheProgramIcon()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg dialog(work.workspace());
        const QIcon icon = dialog.windowIcon();
        QVERIFY(!icon.isNull());
        for (const int size : {16, 32}) {
            const QPixmap pixmap = icon.pixmap(size, size);
            QCOMPARE(pixmap.size(), QSize(size, size));
            QVERIFY(ShowsSomething(pixmap.toImage()));
        }

        TempFolder folder;
        CUpdorvDlg updater(folder.path());
        QCOMPARE(updater.windowIcon().pixmap(32, 32).toImage(), icon.pixmap(32, 32).toImage());
        QTRY_VERIFY(updater.findChild<QWidget*>("okButton")->isEnabled()); // nothing to download
    }

    void aboutBoxShowsTheIconAndThePicture()
    {
        CAboutDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* icon = dialog.findChild<QLabel*>("programIconLabel");
        QVERIFY(icon);
        QCOMPARE(icon->pixmap().size(), QSize(32, 32));
        QVERIFY(ShowsSomething(icon->pixmap().toImage()));

        auto* picture = dialog.findChild<QLabel*>("aboutPictureLabel");
        QVERIFY(picture);
        QVERIFY(!picture->pixmap().isNull());
        QCOMPARE(picture->pixmap().size(), QSize(kAboutPictureWidth, kAboutPictureHeight));
        QVERIFY(ShowsSomething(picture->pixmap().toImage()));
        // Shown whole, under the contact lines.
        QVERIFY(picture->isVisible());
        QVERIFY(picture->width() >= kAboutPictureWidth && picture->height() >= kAboutPictureHeight);
        QVERIFY(picture->y() > dialog.findChild<QLineEdit*>("qqEdit")->y());
    }
};

QTEST_MAIN(ProgramPicturesTest)
#include "ProgramPicturesTest.moc"
