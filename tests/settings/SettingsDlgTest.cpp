// The settings dialog, its tab control and the print-settings page, driven as a user would.

#include "settings/SettingsDlg.h"
#include "base/MessageBox.h"
#include "base/PrintFontConversion.h"
#include "editor/TemplateDeleteDlg.h"
#include "editor/TemplateEditDlg.h"
#include "print/CalibrationPrinter.h"
#include "print/PdfReadBack.h"
#include "settings/AddressPage.h"
#include "settings/DatabasePage.h"
#include "settings/FontSetDlg.h"
#include "settings/PageTabCtrl.h"
#include "settings/PrintSetPage.h"
#include "settings/PrinterSelDlg.h"
#include "settings/ProductPage.h"
#include "store/StoreListeners.h"
#include "support/TestQueue.h"
#include "support/WorkFolderFixture.h"
#include "template/TemplateList.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace dorvane;
using dorvane::test::WorkFolderFixture;
using dorvane::test::ReadWords;

class SettingsDlgTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterFontSubstitutes(); }

    void init()
    {
        setMessagesAnsweredByTest(true);
        takeShownMessages();
    }

    void holdsFourPagesAndShowsThePageOfEveryTab()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        StoreListeners listeners;
        CSettingsDlg dialog(work.workspace(), listeners);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("设置"));
        CPageTabCtrl* tabs = dialog.TabCtrl();
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(0), QStringLiteral("设置打印模板"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("设置商品名"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("设置常用地址"));
        QCOMPARE(tabs->tabText(3), QStringLiteral("数据库"));
        QVERIFY(qobject_cast<CPrintSetPage*>(tabs->Page(0)));
        QVERIFY(qobject_cast<CProductPage*>(tabs->Page(1)));
        QVERIFY(qobject_cast<CAddressPage*>(tabs->Page(2)));
        QVERIFY(qobject_cast<CDatabasePage*>(tabs->Page(3)));
        QCOMPARE(takeShownMessages().size(), 0); // the pages opened the address book

        QCOMPARE(tabs->currentIndex(), 0);
        assertOnlyVisible(tabs, 0);

        // Keyboard navigation switches the page as a click does.
        tabs->tabBar()->setFocus();
        QTest::keyClick(tabs->tabBar(), Qt::Key_Right);
        QCOMPARE(tabs->currentIndex(), 1);
        assertOnlyVisible(tabs, 1);
        QTest::keyClick(tabs->tabBar(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 2);
        assertOnlyVisible(tabs, 2);
        QTest::keyClick(tabs->tabBar(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 3);
        assertOnlyVisible(tabs, 3);
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(0).center());
        assertOnlyVisible(tabs, 0);

        // No OK or Cancel: every button belongs to a page. Escape closes the dialog.
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
            const bool onPage = tabs->Page(0)->isAncestorOf(button) || tabs->Page(1)->isAncestorOf(button) ||
                                tabs->Page(2)->isAncestorOf(button) || tabs->Page(3)->isAncestorOf(button);
            QVERIFY2(onPage, qPrintable(button->text()));
        }
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void refusesASeventeenthPage()
    {
        CPageTabCtrl tabs;
        for (int i = 0; i < 16; ++i)
            QVERIFY(tabs.AddTabPage(QString::number(i), new QWidget(&tabs), 200 + i));
        auto* extra = new QWidget(&tabs);
        QVERIFY(!tabs.AddTabPage(QStringLiteral("17"), extra, 300));
        QCOMPARE(tabs.PageCount(), 16);
        tabs.CreatePages();
        QCOMPARE(tabs.count(), 16);
        QCOMPARE(tabs.TemplateId(15), 215);
        QCOMPARE(tabs.indexOf(extra), -1);
    }

    void showsStoredTenthsAsMillimetresAndSavesTypedMillimetresAsTenths()
    {
        WorkFolderFixture work;
        work.write("Set/set.ini", "dorvane-pdf\r\n10,-6,7,-9\r\n");
        work.workspace().setPrintSettings(LoadOrCreateSetIni(work.workspace().settingsPaths().setIni));
        CPrintSetPage page(work.workspace());
        page.show();
        QCOMPARE(edit(page, "offsetXEdit")->text(), QStringLiteral("1.0"));
        QCOMPARE(edit(page, "offsetYEdit")->text(), QStringLiteral("-0.6"));
        QCOMPARE(edit(page, "spacingXEdit")->text(), QStringLiteral("0.7"));
        QCOMPARE(edit(page, "spacingYEdit")->text(), QStringLiteral("-0.9"));
        QVERIFY(edit(page, "offsetXEdit")->isVisible());
        QVERIFY(!edit(page, "spacingXEdit")->isVisible());
        QVERIFY(!edit(page, "spacingYEdit")->isVisible());
        QVERIFY(!page.findChild<QLabel*>(QStringLiteral("spacingHint"))->isVisible());
        const QLabel* hint = page.findChild<QLabel*>(QStringLiteral("offsetHint"));
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->palette().color(QPalette::WindowText), QColor(0, 0, 255));

        // Saving unchanged values keeps their meaning on paper: the file is as it was, and the
        // printer in use remembers them.
        page.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
        QCOMPARE(work.read("Set/set.ini"), std::string("dorvane-pdf\r\n10,-6,7,-9\r\n"));
        QCOMPARE(work.read("Set/offsets.ini"), std::string("dorvane-pdf,10,-6,7,-9\r\n"));
        QCOMPARE(work.workspace().PrinterName, std::string("dorvane-pdf"));
        const auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("保存成功！"));
        QCOMPARE(shown[0].caption, QStringLiteral("提示"));
        QVERIFY(page.isVisible());

        // 2.5 typed is 2.5 mm on paper: 25 tenths. An emptied edit is saved as 0.
        QLineEdit* x = edit(page, "offsetXEdit");
        x->setFocus();
        x->selectAll();
        QTest::keyClicks(x, "2.5");
        edit(page, "offsetYEdit")->clear();
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
        QCOMPARE(x->text(), QStringLiteral("2.5"));
        QCOMPARE(edit(page, "offsetYEdit")->text(), QStringLiteral("0.0"));
        QCOMPARE(work.read("Set/set.ini"), std::string("dorvane-pdf\r\n25,0,7,-9\r\n"));
        QCOMPARE(work.read("Set/offsets.ini"), std::string("dorvane-pdf,25,0,7,-9\r\n"));
        QCOMPARE(work.workspace().PrintOffsetX, 25);
        QCOMPARE(work.workspace().PrintOffsetY, 0);
    }

    void shrinkCutTextIsTickedSavedAndShownAgain()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        {
            StoreListeners listeners;
            CSettingsDlg dialog(work.workspace(), listeners);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            takeShownMessages();
            auto* check = dialog.findChild<QCheckBox*>(QStringLiteral("shrinkCutTextCheck"));
            QVERIFY(check);
            QCOMPARE(check->text(), QStringLiteral("文字放不下时自动缩小字号"));
            QVERIFY(check->isVisible());
            QVERIFY(!check->isChecked());
            // Clear of every other control on the page.
            QWidget* page = dialog.TabCtrl()->Page(0);
            const QRect at(check->mapTo(page, QPoint(0, 0)), check->size());
            for (const QWidget* other : page->findChildren<QWidget*>()) {
                if (other == check || !other->isVisible() || other->isAncestorOf(check))
                    continue;
                const QRect r(other->mapTo(page, QPoint(0, 0)), other->size());
                QVERIFY2(!at.intersects(r), qPrintable(other->objectName() + QLatin1Char(' ') +
                                                      QString::fromLatin1(other->metaObject()->className())));
            }

            // Ticking alone stores nothing; the page's save does.
            check->setFocus();
            QTest::keyClick(check, Qt::Key_Space);
            QVERIFY(check->isChecked());
            QVERIFY(!QFile::exists(work.path(QStringLiteral("Set/overflow.ini"))));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
            const auto shown = takeShownMessages();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].text, QStringLiteral("保存成功！"));
            const QString overflow = QString::fromStdString(work.read(QStringLiteral("Set/overflow.ini")));
            QCOMPARE(overflow.split(QStringLiteral("\r\n"))[0], QStringLiteral("1"));
            QVERIFY(work.workspace().ShrinkCutText);
        }
        // The settings as the program reads them at start-up, then the dialog opened again.
        work.workspace().ShrinkCutText = false;
        work.workspace().loadPrintSettings();
        QVERIFY(work.workspace().ShrinkCutText);
        {
            StoreListeners listeners;
            CSettingsDlg dialog(work.workspace(), listeners);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            takeShownMessages();
            auto* check = dialog.findChild<QCheckBox*>(QStringLiteral("shrinkCutTextCheck"));
            QVERIFY(check->isChecked());

            // A file that cannot be written: the user is told, as for set.ini.
            QVERIFY(QFile::remove(work.path(QStringLiteral("Set/overflow.ini"))));
            QVERIFY(QDir().mkpath(work.path(QStringLiteral("Set/overflow.ini"))));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
            const auto shown = takeShownMessages();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].text, QStringLiteral("保存失败！无法写入 Set/overflow.ini。"));
            QCOMPARE(shown[0].caption, QStringLiteral("注意"));
        }
    }

    void onlyDigitsMinusBackspaceAndOnePointCanBeTyped()
    {
        WorkFolderFixture work;
        CPrintSetPage page(work.workspace());
        page.show();
        QLineEdit* x = edit(page, "offsetXEdit");
        x->clear();
        x->setFocus();
        QTest::keyClicks(x, "1a.2 +-.5");
        QCOMPARE(x->text(), QStringLiteral("1.2-5"));
        QTest::keyClick(x, Qt::Key_Backspace);
        QTest::keyClick(x, Qt::Key_Backspace);
        QTest::keyClick(x, Qt::Key_Left);
        QTest::keyClick(x, Qt::Key_Backspace);
        QCOMPARE(x->text(), QStringLiteral("12"));
        // The point may come back once the old one is gone, also typed over a selection holding it.
        QTest::keyClick(x, Qt::Key_Period);
        QCOMPARE(x->text(), QStringLiteral("1.2"));
        QTest::keyClick(x, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(x, Qt::Key_Period);
        QCOMPARE(x->text(), QStringLiteral("."));
        QTest::keyClick(x, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(x, "-0.8");
        QCOMPARE(x->text(), QStringLiteral("-0.8"));
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
        QCOMPARE(work.workspace().PrintOffsetX, -8);
        x->clear();
        QTest::keyClicks(x, "2");
        QTest::keyClick(x, Qt::Key_Home);

        // Pasted text is not filtered, whether by the shortcut or the menu's paste.
        QApplication::clipboard()->setText(QStringLiteral("x5"));
        QTest::keyClick(x, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(x->text(), QStringLiteral("x52"));
        QLineEdit* y = edit(page, "offsetYEdit");
        y->clear();
        y->paste();
        QCOMPARE(y->text(), QStringLiteral("x5"));
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
        QCOMPARE(work.workspace().PrintOffsetX, 0); // not a number
        QCOMPARE(work.workspace().PrintOffsetY, 0);
    }

    void enterInAnOffsetEditSaves()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        StoreListeners listeners;
        CSettingsDlg dialog(work.workspace(), listeners);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        takeShownMessages();
        QLineEdit* x = dialog.findChild<QLineEdit*>(QStringLiteral("offsetXEdit"));
        x->setFocus();
        x->setText(QStringLiteral("-5"));
        QTest::keyClick(x, Qt::Key_Return);
        const auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("保存成功！"));
        QCOMPARE(work.workspace().PrintOffsetX, -50);
        QVERIFY(dialog.isVisible());
    }

    // From the settings (the main window's 设置 button opens this dialog on the print-settings
    // page) to the calibration: the sheet printed on the printer in use, the measured moves
    // typed and saved, the page showing them.
    void calibrationPrintsTheSheetAndItsMovesAreShownOnThePage()
    {
#ifdef _WIN32
        QSKIP(qPrintable(dorvane::test::kNoQueueOnWindows));
#endif
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        work.write("Set/set.ini", "dorvane-test\r\n40,8,0,0\r\n");
        Workspace& app = work.workspace();
        app.setPrintSettings(LoadOrCreateSetIni(app.settingsPaths().setIni));
        const auto templates = SortedTemplates(app.WorkFolder);
        QVERIFY(templates.size() > 3);
        app.CurrentTemplate = templates[3].fileName;
        QVERIFY(app.loadCurrentLayout());
        const QString spool = SpoolFolder();
        const QStringList jobsBefore = QDir(spool).entryList({QStringLiteral("job-*.pdf")}, QDir::Files);

        StoreListeners listeners;

        CSettingsDlg dialog(work.workspace(), listeners);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        takeShownMessages();
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("offsetXEdit"))->text(), QStringLiteral("4.0"));

        QString title, focusedFirst, startText, focusedSecond;
        QList<ShownMessage> shown;
        QTimer::singleShot(0, [&] {
            auto* calibration = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (calibration == nullptr)
                return;
            const auto closeAtEnd = qScopeGuard([calibration] { calibration->reject(); });
            title = calibration->windowTitle();
            if (!QTest::qWaitFor([calibration] { return QApplication::activeWindow() == calibration; }))
                return;
            calibration->findChild<QPushButton*>(QStringLiteral("printSheetButton"))->click();
            auto* first = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            if (first == nullptr)
                return;
            focusedFirst = first->objectName();
            startText = first->text();
            QTest::keyClicks(first, "2.5"); // replaces the selected offset in use
            QTest::keyClick(first, Qt::Key_Tab);
            auto* second = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            if (second == nullptr)
                return;
            focusedSecond = second->objectName();
            QTest::keyClicks(second, "-1.2");
            QTest::keyClick(second, Qt::Key_Return);
            shown = takeShownMessages();
        });
        dialog.findChild<QPushButton*>(QStringLiteral("calibrationButton"))->click();
        QCOMPARE(title, QStringLiteral("打印校准"));
        QCOMPARE(focusedFirst, QStringLiteral("moveRightEdit"));
        QCOMPARE(startText, QStringLiteral("4.0"));
        QCOMPARE(focusedSecond, QStringLiteral("moveDownEdit"));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("保存成功！"));

        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("offsetXEdit"))->text(), QStringLiteral("2.5"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("offsetYEdit"))->text(), QStringLiteral("-1.2"));
        QCOMPARE(work.read("Set/set.ini"), std::string("dorvane-test\r\n25,-12,0,0\r\n"));
        QCOMPARE(work.read("Set/offsets.ini"), std::string("dorvane-test,25,-12,0,0\r\n"));
        QCOMPARE(app.PrintOffsetX, 25);
        QCOMPARE(app.PrintOffsetY, -12);

        // The sheet reached the queue as its own job.
        if (!QDir(spool).exists() && qEnvironmentVariable("DORVANE_REQUIRE_CUPS") != QStringLiteral("1"))
            QSKIP("no test queue output folder");
        QString sheet;
        QTRY_VERIFY_WITH_TIMEOUT(!(sheet = NewSheetJob(spool, jobsBefore)).isEmpty(), 60000);
        const auto words = ReadWords(sheet);
        QVERIFY(std::any_of(words.begin(), words.end(),
                            [](const auto& w) { return w.text == QStringLiteral("收件人姓名"); }));
    }

    void eachButtonOpensItsDialog()
    {
        WorkFolderFixture work;
        CPrintSetPage page(work.workspace());
        page.show();
        QStringList opened;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened.append(QString::fromLatin1(modal->metaObject()->className()));
                modal->reject();
            }
        });
        closer.start(20);
        for (const char* name :
             {"fontButton", "printerButton", "calibrationButton", "createTemplateButton", "deleteTemplateButton"})
            page.findChild<QPushButton*>(QString::fromLatin1(name))->click();
        QCOMPARE(opened, QStringList({"dorvane::CFontSetDlg", "dorvane::CPrinterSelDlg", "dorvane::CCalibrationDlg",
                                      "dorvane::CTemplateEditDlg", "dorvane::CTemplateDeleteDlg"}));
    }

private:
    static QString SpoolFolder()
    {
        const QString folder = qEnvironmentVariable("DORVANE_TEST_OUT");
        return folder.isEmpty() ? QStringLiteral("/var/spool/dorvane-test-out") : folder;
    }

    // A job that arrived after `before` under the calibration sheet's title.
    static QString NewSheetJob(const QString& spool, const QStringList& before)
    {
        const QDir dir(spool);
        for (const QString& name : dir.entryList({QStringLiteral("job-*.pdf")}, QDir::Files)) {
            if (before.contains(name))
                continue;
            QFile title(dir.filePath(name).chopped(4) + QStringLiteral(".title"));
            if (title.open(QIODevice::ReadOnly) &&
                QString::fromUtf8(title.readAll()).trimmed() == QString::fromUtf8(kCalibrationDocumentName))
                return dir.filePath(name);
        }
        return {};
    }

    static QLineEdit* edit(QWidget& page, const char* name)
    {
        return page.findChild<QLineEdit*>(QString::fromLatin1(name));
    }

    // Only page `shown` is visible, filling the display area below the tabs, and Enter
    // presses its default button.
    static void assertOnlyVisible(CPageTabCtrl* tabs, int shown)
    {
        for (int i = 0; i < tabs->PageCount(); ++i)
            QCOMPARE(tabs->Page(i)->isVisible(), i == shown);
        QWidget* page = tabs->Page(shown);
        const QRect area(page->mapTo(tabs, QPoint(0, 0)), page->size());
        QVERIFY(tabs->rect().contains(area));
        QVERIFY(area.top() >= tabs->tabBar()->geometry().bottom());
        QVERIFY(area.width() > tabs->width() * 3 / 4);
        int defaults = 0;
        for (const QPushButton* button : tabs->window()->findChildren<QPushButton*>())
            if (button->isDefault()) {
                ++defaults;
                QVERIFY(page->isAncestorOf(button));
            }
        QCOMPARE(defaults, 1);
    }
};

QTEST_MAIN(SettingsDlgTest)
#include "SettingsDlgTest.moc"
