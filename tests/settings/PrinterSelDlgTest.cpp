// The printer choice against the printers of the test machine's CUPS (the queues
// dorvane-test and dorvane-pdf of scripts/cups-test-setup.sh).

#include "settings/PrinterSelDlg.h"
#include "app/AppValues.h"
#include "app/MessageBox.h"
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
        App().PrinterName = "dorvane-pdf";
        CPrinterSelDlg dialog;
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
        App().PrinterName = "Jolimark FP-630K+";
        CPrinterSelDlg dialog;
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("printerCombo"))->currentText(), fallback);
    }

    void savingStoresLineOneKeepsLineTwoAndPrintsThereAtOnce()
    {
        WorkFolderFixture work;
        work.write("Set/set.ini", "Jolimark FP-630K+\r\n12,-8,0,4\r\n");
        App().setPrintSettings(LoadOrCreateSetIni(App().settingsPaths().setIni));
        CPrinterSelDlg dialog;
        dialog.show();
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("printerCombo"));
        combo->setCurrentIndex(combo->findText(QStringLiteral("dorvane-pdf")));
        auto* save = dialog.findChild<QPushButton*>(QStringLiteral("saveButton"));
        save->click();
        QCOMPARE(work.read("Set/set.ini"), std::string("dorvane-pdf\r\n12,-8,0,4\r\n"));
        QCOMPARE(App().PrinterName, std::string("dorvane-pdf"));
        QCOMPARE(FindWaybillPrinter(App().PrinterName), QStringLiteral("dorvane-pdf"));
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
};

QTEST_MAIN(PrinterSelDlgTest)
#include "PrinterSelDlgTest.moc"
