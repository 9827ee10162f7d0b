// The printer choice against the printers of the test machine's CUPS (the queues
// dorvane-test and dorvane-pdf of scripts/cups-test-setup.sh).

#include "settings/PrinterSelDlg.h"
#include "workspace/Workspace.h"
#include "base/MessageBox.h"
#include "print/WaybillPrinter.h"
#include "support/WorkFolderFixture.h"

#include <QComboBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>

using namespace dorvane;
using dorvane::test::WorkFolderFixture;

class PrinterSelDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        setMessagesAnsweredByTest(true);
        takeShownMessages();
    }

    void listsTheSystemsPrintersInOrderWithTheOneInUseSelected()
    {
        WorkFolderFixture work;
        work.workspace().PrinterName = "dorvane-pdf";
        CPrinterSelDlg dialog(work.workspace());
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("printerCombo"));
        QStringList listed;
        for (int i = 0; i < combo->count(); ++i)
            listed.append(combo->itemText(i));
        QVERIFY(listed.contains(QStringLiteral("dorvane-test")));
        QVERIFY(listed.contains(QStringLiteral("dorvane-pdf")));
        QStringList system = QPrinterInfo::availablePrinterNames();
        QCOMPARE(listed.size(), system.size());
        for (const QString& name : system)
            QVERIFY(listed.contains(name));
        for (int i = 1; i < listed.size(); ++i)
            QVERIFY(listed[i - 1].compare(listed[i], Qt::CaseInsensitive) <= 0);
        QCOMPARE(combo->currentText(), QStringLiteral("dorvane-pdf"));
    }

    void aPrinterNoLongerInstalledGivesTheDefault()
    {
        WorkFolderFixture work;
        const QString fallback = QPrinterInfo::defaultPrinterName();
        QVERIFY2(!fallback.isEmpty(), "the test machine needs a default printer");
        work.workspace().PrinterName = "Jolimark FP-630K+";
        CPrinterSelDlg dialog(work.workspace());
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("printerCombo"))->currentText(), fallback);
    }

    void savingStoresLineOneKeepsLineTwoAndPrintsThereAtOnce()
    {
        WorkFolderFixture work;
        work.write("Set/set.ini", "Jolimark FP-630K+\r\n12,-8,0,4\r\n");
        work.workspace().setPrintSettings(LoadOrCreateSetIni(work.workspace().settingsPaths().setIni));
        CPrinterSelDlg dialog(work.workspace());
        dialog.show();
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("printerCombo"));
        combo->setCurrentIndex(combo->findText(QStringLiteral("dorvane-pdf")));
        auto* save = dialog.findChild<QPushButton*>(QStringLiteral("saveButton"));
        save->click();
        QCOMPARE(work.read("Set/set.ini"), std::string("dorvane-pdf\r\n12,-8,0,4\r\n"));
        QCOMPARE(work.workspace().PrinterName, std::string("dorvane-pdf"));
        QCOMPARE(FindWaybillPrinter(work.workspace().PrinterName), QStringLiteral("dorvane-pdf"));
        auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("打印机保存成功！"));
        QCOMPARE(shown[0].caption, QStringLiteral("提示"));
        QVERIFY(dialog.isVisible());

        combo->setCurrentIndex(combo->findText(QStringLiteral("dorvane-test")));
        QTest::keyClick(combo, Qt::Key_Return); // Enter saves too
        QCOMPARE(work.read("Set/set.ini"), std::string("dorvane-test\r\n12,-8,0,4\r\n"));
        QCOMPARE(takeShownMessages().size(), 1);

        // A missing set.ini is created with an empty second line.
        QFile::remove(work.path("Set/set.ini"));
        save->click();
        QCOMPARE(work.read("Set/set.ini"), std::string("dorvane-test\r\n\r\n"));
    }

    // Offsets belong to a printer: choosing another one puts its own into line 2 of set.ini
    // (and into use), the printer left keeping its own for when it is chosen again.
    void choosingAnotherPrinterSwitchesToItsOffsetsAndBack()
    {
        WorkFolderFixture work;
        work.write("Set/set.ini", "dorvane-pdf\r\n12,-8,0,4\r\n");
        work.write("Set/offsets.ini", "dorvane-test,25,-12,0,0\r\n");
        work.workspace().setPrintSettings(LoadOrCreateSetIni(work.workspace().settingsPaths().setIni));
        CPrinterSelDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("printerCombo"));
        QCOMPARE(combo->currentText(), QStringLiteral("dorvane-pdf"));
        combo->setFocus();
        const auto choose = [&](const QString& name) {
            // Keys move through the sorted list as the user moves: up or down to the name.
            const int target = combo->findText(name);
            while (combo->currentIndex() != target)
                QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
            QTest::keyClick(combo, Qt::Key_Return);
        };

        choose(QStringLiteral("dorvane-test"));
        QCOMPARE(work.read("Set/set.ini"), std::string("dorvane-test\r\n25,-12,0,0\r\n"));
        QCOMPARE(work.workspace().PrintOffsetX, 25);
        QCOMPARE(work.workspace().PrintOffsetY, -12);
        QCOMPARE(work.workspace().TextSpacingY, 0);
        QCOMPARE(work.read("Set/offsets.ini"), std::string("dorvane-test,25,-12,0,0\r\ndorvane-pdf,12,-8,0,4\r\n"));

        choose(QStringLiteral("dorvane-pdf"));
        QCOMPARE(work.read("Set/set.ini"), std::string("dorvane-pdf\r\n12,-8,0,4\r\n"));
        QCOMPARE(work.workspace().PrintOffsetX, 12);
        QCOMPARE(work.workspace().TextSpacingY, 4);
        const auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].text, QStringLiteral("打印机保存成功！"));
    }
};

QTEST_MAIN(PrinterSelDlgTest)
#include "PrinterSelDlgTest.moc"
