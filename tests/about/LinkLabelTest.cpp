#include "about/LinkLabel.h"

#include "base/MessageBox.h"

#include <QDesktopServices>
#include <QVBoxLayout>
#include <QtTest>

using namespace dorvane;

namespace {
const QColor kLink(0, 0, 238);
const QColor kVisited(85, 26, 139);
const QColor kHover(255, 0, 0);
} // namespace

class LinkLabelTest : public QObject {
    Q_OBJECT
public slots:
    // Stands for the browser: a handler Qt hands this scheme's addresses to.
    void openTestUrl(const QUrl& url) { opened_.append(url); }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler("dorvanetest", this, "openTestUrl"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("dorvanetest"); }
    void init()
    {
        setMessagesAnsweredByTest(true);
        opened_.clear();
    }

    void textAddressAndTooltip()
    {
        CLinkLabel fromAddress(QString(), nullptr, "http://www.example.com/");
        QCOMPARE(fromAddress.text(), QStringLiteral("http://www.example.com/"));
        QCOMPARE(fromAddress.toolTip(), QStringLiteral("http://www.example.com/"));
        QCOMPARE(fromAddress.cursor().shape(), Qt::PointingHandCursor);

        CLinkLabel fromText("http://a.example.com/");
        QCOMPARE(fromText.address(), QStringLiteral("http://a.example.com/"));
        fromText.setTooltipText("welcome");
        QCOMPARE(fromText.toolTip(), QStringLiteral("http://a.example.com/")); // not before the next address
        fromText.setAddress("http://b.example.com/");
        QCOMPARE(fromText.toolTip(), QStringLiteral("welcome"));

        // Fitted to its text: a longer text makes a wider control.
        CLinkLabel shortLink("ab");
        CLinkLabel longLink("abcdefghijklmnopqrstuvwxyz");
        QVERIFY(longLink.width() > shortLink.width());
    }

    void hoverColourAndUnderline()
    {
        QWidget window;
        window.resize(300, 200);
        auto* link = new CLinkLabel("http://www.example.com/", &window);
        link->move(20, 20);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(link->currentColour(), kLink);
        QCOMPARE(link->palette().color(QPalette::WindowText), kLink);
        QVERIFY(!link->font().underline());

        QTest::mouseMove(link, link->rect().center());
        QTRY_VERIFY(link->isHovering());
        QCOMPARE(link->palette().color(QPalette::WindowText), kHover);
        QVERIFY(link->font().underline());

        QTest::mouseMove(&window, QPoint(250, 180));
        QTRY_VERIFY_WITH_TIMEOUT(!link->isHovering(), 1000);
        QCOMPARE(link->palette().color(QPalette::WindowText), kLink);
        QVERIFY(!link->font().underline());

        // Always underlined, hovered or not; never underlined, even when hovered.
        link->setUnderlineMode(1);
        QVERIFY(link->font().underline());
        QTest::mouseMove(link, link->rect().center());
        QTRY_VERIFY(link->isHovering());
        QTest::mouseMove(&window, QPoint(250, 180));
        QTRY_VERIFY(!link->isHovering());
        QVERIFY(link->font().underline());
        link->setUnderlineMode(0);
        QTest::mouseMove(link, link->rect().center());
        QTRY_VERIFY(link->isHovering());
        QVERIFY(!link->font().underline());
        QCOMPARE(link->palette().color(QPalette::WindowText), kHover);
    }

    void successfulClickMarksVisited()
    {
        QWidget window;
        auto* link = new CLinkLabel("site", &window, "dorvanetest://www.example.com/page");
        window.show();
        // Shown on the screen first, and the pointer brought from elsewhere: a system pointer
        // that does not move, or moves over no window, enters nothing.
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseMove(&window, QPoint(window.width() - 1, window.height() - 1));
        QTest::mouseMove(link, link->rect().center());
        QTRY_VERIFY(link->isHovering());
        QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
        QCOMPARE(opened_, QList<QUrl>({QUrl("dorvanetest://www.example.com/page")}));
        QVERIFY(link->isVisited());
        QVERIFY(!link->isHovering());
        QCOMPARE(link->palette().color(QPalette::WindowText), kVisited);
        QVERIFY(takeShownMessages().isEmpty());
        // Hovering still wins over visited.
        QTest::mouseMove(link, link->rect().center() + QPoint(1, 0));
        QTRY_VERIFY(link->isHovering());
        QCOMPARE(link->palette().color(QPalette::WindowText), kHover);
    }

    void failedClickReportsAndStaysUnvisited()
    {
        QWidget window;
        auto* link = new CLinkLabel("nowhere", &window);
        link->setAddress(QString());
        window.show();
        QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
        QVERIFY(!link->isVisited());
        QCOMPARE(link->palette().color(QPalette::WindowText), kLink);
        auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("Unable to open hyperlink:\n\nThe specified file was not found."));
        QCOMPARE(shown[0].icon, MessageIcon::Warning);

        link->reportError(CLinkLabel::kNoAssociation);
        shown = takeShownMessages();
        QCOMPARE(shown.value(0).text, QStringLiteral("Unable to open hyperlink:\n\nThere is no application associated\n"
                                                     "with the given filename extension."));
        QVERIFY(opened_.isEmpty());
    }

private:
    QList<QUrl> opened_;
};

QTEST_MAIN(LinkLabelTest)
#include "LinkLabelTest.moc"
