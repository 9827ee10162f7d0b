// The settings dialog, its tab control and the print-settings page, driven as a user would.

#include "settings/SettingsDlg.h"
#include "app/AppValues.h"
#include "app/MessageBox.h"
#include "settings/AddressPage.h"
#include "settings/FontSetDlg.h"
#include "settings/PageTabCtrl.h"
#include "settings/PrintSetPage.h"
#include "settings/PrinterSelDlg.h"
#include "settings/ProductPage.h"
#include "support/WorkFolderFixture.h"
#include "template/TemplateDeleteDlg.h"
#include "template/TemplateEditDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

using namespace dorvane;
using dorvane::test::WorkFolderFixture;

class SettingsDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        setMessagesAnsweredByTest(true);
        takeShownMessages();
    }

    void holdsThreePagesAndShowsThePageOfEveryTab()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CSettingsDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("设置"));
        CPageTabCtrl* tabs = dialog.TabCtrl();
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("设置打印模板"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("设置商品名"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("设置常用地址"));
        QVERIFY(qobject_cast<CPrintSetPage*>(tabs->Page(0)));
        QVERIFY(qobject_cast<CProductPage*>(tabs->Page(1)));
        QVERIFY(qobject_cast<CAddressPage*>(tabs->Page(2)));
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
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(0).center());
        assertOnlyVisible(tabs, 0);

        // No OK or Cancel: every button belongs to a page. Escape closes the dialog.
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
            const bool onPage = tabs->Page(0)->isAncestorOf(button) || tabs->Page(1)->isAncestorOf(button) ||
                                tabs->Page(2)->isAncestorOf(button);
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

    void showsStoredValuesDividedByFourAndSavesThemTimesFour()
    {
        WorkFolderFixture work;
        work.write("Set/set.ini", "dorvane-pdf\r\n10,-6,7,-9\r\n");
        App().setPrintSettings(LoadOrCreateSetIni(App().settingsPaths().setIni));
        CPrintSetPage page;
        page.show();
        QCOMPARE(edit(page, "offsetXEdit")->text(), QStringLiteral("2"));
        QCOMPARE(edit(page, "offsetYEdit")->text(), QStringLiteral("-1"));
        QCOMPARE(edit(page, "spacingXEdit")->text(), QStringLiteral("1"));
        QCOMPARE(edit(page, "spacingYEdit")->text(), QStringLiteral("-2"));
        QVERIFY(edit(page, "offsetXEdit")->isVisible());
        QVERIFY(!edit(page, "spacingXEdit")->isVisible());
        QVERIFY(!edit(page, "spacingYEdit")->isVisible());
        QVERIFY(!page.findChild<QLabel*>(QStringLiteral("spacingHint"))->isVisible());
        const QLabel* hint = page.findChild<QLabel*>(QStringLiteral("offsetHint"));
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->palette().color(QPalette::WindowText), QColor(0, 0, 255));

        // Saving unchanged values rounds each toward zero to a multiple of 4; the printer
        // line stays, the hidden spacing survives.
        page.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
        QCOMPARE(work.read("Set/set.ini"), std::string("dorvane-pdf\r\n8,-4,4,-8\r\n"));
        QCOMPARE(App().PrintOffsetX, 8);
        QCOMPARE(App().PrintOffsetY, -4);
        QCOMPARE(App().TextSpacingY, -8);
        QCOMPARE(App().PrinterName, std::string("dorvane-pdf"));
        const auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("保存成功！"));
        QCOMPARE(shown[0].caption, QStringLiteral("提示"));
        QVERIFY(page.isVisible());

        // An emptied edit is saved as 0 and shows 0.
        edit(page, "offsetYEdit")->clear();
        edit(page, "offsetXEdit")->setText(QStringLiteral("3"));
        page.OnOK();
        QCOMPARE(edit(page, "offsetYEdit")->text(), QStringLiteral("0"));
        QCOMPARE(work.read("Set/set.ini"), std::string("dorvane-pdf\r\n12,0,4,-8\r\n"));
        QCOMPARE(App().PrintOffsetX, 12);
    }

    void shrinkCutTextIsTickedSavedAndShownAgain()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        {
            CSettingsDlg dialog;
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
            QVERIFY(App().ShrinkCutText);
        }
        // The settings as the program reads them at start-up, then the dialog opened again.
        App().ShrinkCutText = false;
        App().loadPrintSettings();
        QVERIFY(App().ShrinkCutText);
        {
            CSettingsDlg dialog;
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

    void onlyDigitsMinusAndBackspaceCanBeTyped()
    {
        WorkFolderFixture work;
        CPrintSetPage page;
        page.show();
        QLineEdit* x = edit(page, "offsetXEdit");
        x->clear();
        x->setFocus();
        QTest::keyClicks(x, "1a.2 +-");
        QCOMPARE(x->text(), QStringLiteral("12-"));
        QTest::keyClick(x, Qt::Key_Backspace);
        QTest::keyClick(x, Qt::Key_Left);
        QTest::keyClick(x, Qt::Key_Backspace);
        QCOMPARE(x->text(), QStringLiteral("2"));

        // Pasted text is not filtered, whether by the shortcut or the menu's paste.
        QApplication::clipboard()->setText(QStringLiteral("x5"));
        QTest::keyClick(x, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(x->text(), QStringLiteral("x52"));
        QLineEdit* y = edit(page, "offsetYEdit");
        y->clear();
        y->paste();
        QCOMPARE(y->text(), QStringLiteral("x5"));
        page.OnOK();
        QCOMPARE(App().PrintOffsetX, 0); // not a number
        QCOMPARE(App().PrintOffsetY, 0);
    }

    void enterInAnOffsetEditSaves()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CSettingsDlg dialog;
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
        QCOMPARE(App().PrintOffsetX, -20);
        QVERIFY(dialog.isVisible());
    }

    void eachButtonOpensItsDialog()
    {
        WorkFolderFixture work;
        CPrintSetPage page;
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
             {"fontButton", "printerButton", "createTemplateButton", "deleteTemplateButton"})
            page.findChild<QPushButton*>(QString::fromLatin1(name))->click();
        QCOMPARE(opened, QStringList({"dorvane::CFontSetDlg", "dorvane::CPrinterSelDlg",
                                      "dorvane::CTemplateEditDlg", "dorvane::CTemplateDeleteDlg"}));
    }

private:
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
