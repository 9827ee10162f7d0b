// The print-font dialog with the system font dialog answered by the test.

#include "settings/FontSetDlg.h"
#include "workspace/Workspace.h"
#include "base/MessageBox.h"
#include "base/PrintFontConversion.h"
#include "base/QtTranslations.h"
#include "base/SettingsFiles.h"
#include "support/WorkFolderFixture.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace dorvane;
using dorvane::test::WorkFolderFixture;

class FontSetDlgTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // As the program starts: the Chinese faces' substitutes and Qt's Chinese texts.
        RegisterFontSubstitutes();
        InstallQtTranslations(QLocale::c());
    }

    void init()
    {
        setMessagesAnsweredByTest(true);
        takeShownMessages();
    }
    void cleanup() { CFontSetDlg::SetFontChooser({}); }

    void aChosenFontIsSavedAndUsedAtOnce()
    {
        WorkFolderFixture work;
        const LogFont destinationInUse = work.workspace().DestinationFont;
        CFontSetDlg dialog(work.workspace());
        dialog.show();
        auto* button = dialog.findChild<QPushButton*>(QStringLiteral("bodyFontButton"));
        int asked = 0;
        QFont initial;
        CFontSetDlg::SetFontChooser([&](QWidget*, const QFont& start) -> std::optional<QFont> {
            ++asked;
            initial = start;
            [&] { QVERIFY(!button->isEnabled()); }(); // disabled while the font dialog is open
            QFont chosen(QStringLiteral("DejaVu Sans"));
            chosen.setPixelSize(18);
            chosen.setBold(true);
            return chosen;
        });
        button->click();
        QCOMPARE(asked, 1);
        QVERIFY(button->isEnabled());
        QCOMPARE(initial.pixelSize(), 14); // started from the font in use, -14
        QCOMPARE(dialog.BodyLogFont.height, -18);
        QCOMPARE(dialog.BodyLogFont.weight, 700);
        QCOMPARE(dialog.BodyLogFont.faceName, std::string("DejaVu Sans"));
        QVERIFY(work.workspace().BodyFont != dialog.BodyLogFont); // not in use before saving

        dialog.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
        QCOMPARE(work.read("Set/FontSet.ini"), "-18,0,0,0,700,0,0,0,134,3,2,1,2,DejaVu Sans\r\n" +
                                                   LogFontToText(destinationInUse) + "\r\n");
        QCOMPARE(work.workspace().BodyFont, dialog.BodyLogFont);
        QCOMPARE(work.workspace().DestinationFont, destinationInUse);
        const auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("保存成功！"));
        QCOMPARE(shown[0].caption, QStringLiteral("提示"));
        QVERIFY(dialog.isVisible());

        // A face name with a space survives the file.
        QCOMPARE(LoadOrCreateFontSet(work.workspace().settingsPaths().fontSetIni).body, dialog.BodyLogFont);
    }

    void aCancelledChoiceLeavesTheFontInUse()
    {
        WorkFolderFixture work;
        const LogFont inUse = work.workspace().DestinationFont;
        CFontSetDlg dialog(work.workspace());
        auto* button = dialog.findChild<QPushButton*>(QStringLiteral("destinationFontButton"));
        std::optional<QFont> answer = QFont(QStringLiteral("DejaVu Serif"));
        answer->setPixelSize(30);
        CFontSetDlg::SetFontChooser([&](QWidget*, const QFont&) { return answer; });
        button->click();
        QCOMPARE(dialog.DestinationLogFont.height, -30);
        answer.reset();
        button->click();
        QCOMPARE(dialog.DestinationLogFont, inUse);
        dialog.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
        QCOMPARE(LoadOrCreateFontSet(work.workspace().settingsPaths().fontSetIni).destination, inUse);

        // A point-size answer becomes a negative screen pixel height.
        answer = QFont(QStringLiteral("DejaVu Serif"), 12);
        button->click();
        QVERIFY(dialog.DestinationLogFont.height < -12);
    }

    void restoreWritesTheTwoDefaultLinesAfterTheQuestion()
    {
        WorkFolderFixture work;
        const std::string before = work.read("Set/FontSet.ini");
        CFontSetDlg dialog(work.workspace());
        auto* restore = dialog.findChild<QPushButton*>(QStringLiteral("restoreButton"));

        queueMessageAnswer(MessageAnswer::No);
        restore->click();
        auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("此操作会将现有字体恢复到软件默认的字体，是否继续？"));
        QCOMPARE(shown[0].caption, QStringLiteral("确认"));
        QCOMPARE(work.read("Set/FontSet.ini"), before);

        restore->click();
        QCOMPARE(work.read("Set/FontSet.ini"),
                 std::string("-14,0,0,0,400,0,0,0,134,3,2,1,2,\xCB\xCE\xCC\xE5\r\n"
                             "-20,0,0,0,400,0,0,0,134,3,2,1,49,\xBA\xDA\xCC\xE5\r\n"));
        QCOMPARE(LogFontToText(work.workspace().BodyFont), std::string(kRestoredBodyFont));
        QCOMPARE(LogFontToText(work.workspace().DestinationFont), std::string(kRestoredDestinationFont));
        QCOMPARE(dialog.BodyLogFont, work.workspace().BodyFont);
        shown = takeShownMessages();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].text, QStringLiteral("恢复成功！"));
        QCOMPARE(shown[1].caption, QStringLiteral("成功"));
    }

    void theSystemFontDialogIsStartedFromTheFontInUse()
    {
#ifdef _WIN32
        QSKIP("Windows shows its own font dialog, which the test cannot drive");
#endif
        WorkFolderFixture work;
        CFontSetDlg dialog(work.workspace());
        dialog.show();
        auto* button = dialog.findChild<QPushButton*>(QStringLiteral("bodyFontButton"));
        QStringList seen;
        bool cancel = true;
        QTimer driver;
        connect(&driver, &QTimer::timeout, [&] {
            auto* fonts = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
            if (!fonts)
                return;
            seen.append(fonts->currentFont().family() + (button->isEnabled() ? " enabled" : " disabled"));
            if (cancel) {
                fonts->reject();
                return;
            }
            fonts->setCurrentFont(QFont(QStringLiteral("DejaVu Serif"), 15));
            fonts->accept();
        });
        driver.start(20);
        button->click();
        QCOMPARE(dialog.BodyLogFont, work.workspace().BodyFont);
        cancel = false;
        button->click();
        QCOMPARE(seen.size(), 2);
        QVERIFY(seen[0].endsWith(" disabled"));
        QCOMPARE(dialog.BodyLogFont.faceName, std::string("DejaVu Serif"));
        // 15 points in screen pixels, negative as a character height.
        const int pixels = qRound(15 * dialog.screen()->logicalDotsPerInchY() / 72);
        QCOMPARE(dialog.BodyLogFont.height, -pixels);
        QVERIFY(button->isEnabled());
    }

    void theSystemFontDialogShowsTheSubstitutedFaceAndAnUntouchedChoiceKeepsTheLine()
    {
#ifdef _WIN32
        QSKIP("Windows shows its own font dialog, which the test cannot drive");
#endif
        WorkFolderFixture work;
        const std::string before = work.read("Set/FontSet.ini");
        const LogFont inUse = work.workspace().BodyFont;
        QCOMPARE(inUse.faceName, std::string("\xCB\xCE\xCC\xE5")); // 宋体, installed only as a substitute
        CFontSetDlg dialog(work.workspace());
        dialog.show();
        auto* button = dialog.findChild<QPushButton*>(QStringLiteral("bodyFontButton"));

        // What the font dialog showed, and the family the user clicks (none: confirm unchanged).
        struct Shown {
            QString family;
            int points = 0;
            QString sample;
            QString okText;
        };
        QList<Shown> shown;
        QString familyToClick;
        QTimer driver;
        connect(&driver, &QTimer::timeout, [&] {
            auto* fonts = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
            if (!fonts || !QApplication::focusWidget() || QApplication::focusWidget()->window() != fonts)
                return; // not open, or not yet taking keys
            auto* sample = fonts->findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit"));
            auto* ok = fonts->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            shown.append({fonts->currentFont().family(), fonts->currentFont().pointSize(),
                          sample ? sample->text() : QString(), ok->text()});
            if (!familyToClick.isEmpty()) {
                for (auto* list : fonts->findChildren<QListView*>()) {
                    const auto found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole,
                                                            familyToClick, 1, Qt::MatchExactly);
                    if (found.isEmpty())
                        continue;
                    list->scrollTo(found[0]);
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                      list->visualRect(found[0]).center());
                }
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        driver.start(20);

        button->click();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].family, QStringLiteral("AR PL UMing CN"));
        // 14 pixels in whole points, the finest size the dialog shows.
        QCOMPARE(shown[0].points, qRound(14 * 72 / dialog.screen()->logicalDotsPerInchY()));
        QVERIFY2(shown[0].sample.contains(QRegularExpression(QStringLiteral("\\p{Han}"))),
                 qPrintable(shown[0].sample));
        QCOMPARE(shown[0].okText, QStringLiteral("确定"));
        QCOMPARE(dialog.BodyLogFont, inUse);
        dialog.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
        QCOMPARE(work.read("Set/FontSet.ini"), before);

        // Another face clicked, the size left alone: the height stays exactly the one in use.
        familyToClick = QStringLiteral("DejaVu Sans");
        button->click();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(dialog.BodyLogFont.faceName, std::string("DejaVu Sans"));
        QCOMPARE(dialog.BodyLogFont.height, -14);
    }

    void closingDropsUnsavedChoices()
    {
        WorkFolderFixture work;
        const std::string before = work.read("Set/FontSet.ini");
        const LogFont inUse = work.workspace().BodyFont;
        CFontSetDlg dialog(work.workspace());
        dialog.show();
        CFontSetDlg::SetFontChooser(
            [](QWidget*, const QFont&) { return std::optional<QFont>(QFont("DejaVu Sans", 20)); });
        dialog.ChooseBodyFont();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(work.workspace().BodyFont, inUse);
        QCOMPARE(work.read("Set/FontSet.ini"), before);
        QCOMPARE(takeShownMessages().size(), 0);
    }
};

QTEST_MAIN(FontSetDlgTest)
#include "FontSetDlgTest.moc"
