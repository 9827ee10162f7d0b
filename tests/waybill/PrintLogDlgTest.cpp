// 打印记录 opened from the main window: the log listed newest first, searched by name and days,
// the selection exported as an order export and printed again.
#include "app/AddressBook.h"
#include "app/AppValues.h"
#include "app/CodePageText.h"
#include "app/MessageBox.h"
#include "app/PrintFontConversion.h"
#include "app/PrintLog.h"
#include "cli/WaybillCsv.h"
#include "controls/SortListCtrl.h"
#include "settings/DialogDriver.h"
#include "print/PdfReadBack.h"
#include "support/WorkFolderFixture.h"
#include "waybill/PrintLogDlg.h"
#include "waybill/WaybillDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QDir>
#include <QTest>

#include <cmath>

using namespace dorvane;
using dorvane::test::WhenDialogOpens;
using dorvane::test::WorkFolderFixture;

namespace {

PrintLogEntry Logged(const char* time, const QString& recipient, const QString& address)
{
    PrintLogEntry entry;
    entry.time = time;
    entry.templateName = ToCodePage(QStringLiteral("顺丰"));
    entry.printer = "LQ";
    entry.source = kLogSourceCli;
    entry.texts[3] = ToCodePage(recipient);
    entry.texts[7] = ToCodePage(address);
    entry.texts[12] = "13900000000";
    return entry;
}

QStringList Column(const CSortListCtrl* list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->RowCount(); ++row)
        texts << list->Text(row, column);
    return texts;
}

void Search(QWidget* dialog, const char* edit, const QString& text)
{
    auto* field = dialog->findChild<QLineEdit*>(QString::fromLatin1(edit));
    field->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    // The text as an input method commits it: Chinese cannot be typed as keys.
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(QApplication::focusWidget(), &commit);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

} // namespace

class PrintLogDlgTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterFontSubstitutes(); }
    void init() { setMessagesAnsweredByTest(true); }

    void findsExportsAndReprintsTheLoggedWaybills()
    {
        WorkFolderFixture work;
        const auto book = work.installEmptyAddressBook();
        const PrintLog log(book);
        QVERIFY(log.Append({Logged("2026-03-01 09:00:00", QStringLiteral("张三"), QStringLiteral("杭州市, 文三路")),
                            Logged("2026-03-02 09:00:00", QStringLiteral("李四"), QStringLiteral("宁波市")),
                            Logged("2026-03-03 09:00:00", QStringLiteral("王五"), QStringLiteral("杭州市\"西湖\""))})
                    .ok());
        const QString exported = work.path(QStringLiteral("chosen.csv"));
        const bool canPrint = QPrinterInfo::printerInfo(QStringLiteral("dorvane-test")).printerName() ==
                              QStringLiteral("dorvane-test");
        App().PrinterName = "dorvane-test";
        CWaybillDlg main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));

        bool acted = false;
        WhenDialogOpens<CPrintLogDlg>([&](CPrintLogDlg* dialog) {
            acted = true;
            auto* list = dialog->findChild<CSortListCtrl*>(QStringLiteral("logList"));
            QCOMPARE(Column(list, 6), (QStringList{QStringLiteral("王五"), QStringLiteral("李四"),
                                                   QStringLiteral("张三")}));
            Search(dialog, "addressFindEdit", QStringLiteral("杭州"));
            QCOMPARE(Column(list, 6), (QStringList{QStringLiteral("王五"), QStringLiteral("张三")}));
            Search(dialog, "addressFindEdit", QString());
            Search(dialog, "sinceEdit", QStringLiteral("2026-03-02"));
            QCOMPARE(Column(list, 6), (QStringList{QStringLiteral("王五"), QStringLiteral("李四")}));
            Search(dialog, "untilEdit", QStringLiteral("2026-03-02"));
            QCOMPARE(Column(list, 6), QStringList{QStringLiteral("李四")});
            Search(dialog, "untilEdit", QStringLiteral("2026-3-2"));
            QCOMPARE(takeShownMessages().size(), 1);
            Search(dialog, "untilEdit", QString());
            Search(dialog, "sinceEdit", QString());

            // All three chosen with Ctrl+A in the list, exported in the list's order.
            list->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            CPrintLogDlg::queueExportFile(exported);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("exportButton")), Qt::LeftButton);
            QVERIFY(takeShownMessages().isEmpty());
            WaybillCsv csv;
            QVERIFY(csv.open(std::filesystem::path(exported.toStdString())));
            QStringList names;
            FieldTexts texts;
            while (csv.next(texts) == WaybillCsv::Status::Record)
                names << FromCodePage(texts[3]) + QLatin1Char('|') + FromCodePage(texts[7]);
            QCOMPARE(names, (QStringList{QStringLiteral("王五|杭州市\"西湖\""), QStringLiteral("李四|宁波市"),
                                         QStringLiteral("张三|杭州市, 文三路")}));

            // 李四 alone, printed again on the current template, and logged as the window's.
            if (canPrint) {
                Search(dialog, "nameFindEdit", QStringLiteral("李四"));
                list->setFocus();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("reprintButton")), Qt::LeftButton);
                QVERIFY(takeShownMessages().isEmpty());
                QCOMPARE(Column(list, 4), (QStringList{QStringLiteral("window"), QStringLiteral("cli")}));
                const auto* templates = main.findChild<QComboBox*>(QStringLiteral("templateCombo"));
                QCOMPARE(list->Text(0, 3), templates->currentText());

                // Printed again on the template it was printed on: its paper, and logged so.
                const QString marker = QStringLiteral("Own%1").arg(QCoreApplication::applicationPid());
                QVERIFY(log.Append({Logged("2026-03-04 09:00:00", QStringLiteral("赵六"), marker)}).ok());
                Search(dialog, "nameFindEdit", QStringLiteral("赵六"));
                list->setFocus();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("reprintOwnButton")),
                                  Qt::LeftButton);
                QVERIFY(takeShownMessages().isEmpty());
                QCOMPARE(list->Text(0, 3), QStringLiteral("顺丰"));
                QCOMPARE(list->Text(0, 4), QStringLiteral("window"));
                QString job;
                const QDir jobs(QStringLiteral("/var/spool/dorvane-test-out"));
                for (int tries = 0; tries < 600 && job.isEmpty(); ++tries) {
                    for (const QString& name : jobs.entryList({QStringLiteral("job-*.pdf")}, QDir::Files)) {
                        if (test::RunTool(QStringLiteral("pdftotext"), {jobs.filePath(name), QStringLiteral("-")})
                                .contains(marker))
                            job = jobs.filePath(name);
                    }
                    if (job.isEmpty())
                        QTest::qWait(100);
                }
                QVERIFY(!job.isEmpty());
                // 顺丰's form is 241 x 140 mm, the current template's 230 x 127: the paper is 4 mm longer.
                const QSizeF paper = test::PdfPageSize(job);
                QVERIFY2(std::abs(paper.width() - 241 / 25.4 * 72) < 1 && std::abs(paper.height() - 144 / 25.4 * 72) < 1,
                         qPrintable(QStringLiteral("%1 x %2").arg(paper.width()).arg(paper.height())));
            }
            dialog->reject();
        });
        QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("printLogButton")), Qt::LeftButton);
        QVERIFY(acted);
        if (!canPrint && qEnvironmentVariable("DORVANE_REQUIRE_CUPS") == QStringLiteral("1"))
            QFAIL("the test queue dorvane-test is not set up (scripts/cups-test-setup.sh)");
    }

    // A log longer than the list shows at once: the newest come first, the user is told that
    // older ones are left out, and 全部显示 brings every one; a search that finds fewer says
    // nothing of more.
    void aLongLogListsTheNewestAndTheRestOnAsking()
    {
        WorkFolderFixture work;
        const PrintLog log(work.installEmptyAddressBook());
        const int logged = static_cast<int>(CPrintLogDlg::kShownAtOnce) + 5;
        std::vector<PrintLogEntry> entries;
        for (int i = 0; i < logged; ++i)
            entries.push_back(Logged("2026-03-01 09:00:00", QStringLiteral("N%1").arg(i), QStringLiteral("宁波市")));
        QVERIFY(log.Append(entries).ok());

        CPrintLogDlg dialog(QStringLiteral("顺丰"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* list = dialog.findChild<CSortListCtrl*>(QStringLiteral("logList"));
        auto* showAll = dialog.findChild<QPushButton*>(QStringLiteral("showAllButton"));
        QCOMPARE(list->RowCount(), static_cast<int>(CPrintLogDlg::kShownAtOnce));
        QCOMPARE(list->Text(0, 6), QStringLiteral("N%1").arg(logged - 1));
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("moreLabel"))->isVisible());
        QVERIFY(showAll->isVisible());

        QTest::mouseClick(showAll, Qt::LeftButton);
        QCOMPARE(list->RowCount(), logged);
        QCOMPARE(list->Text(logged - 1, 6), QStringLiteral("N0"));
        QVERIFY(!showAll->isVisible());

        Search(&dialog, "nameFindEdit", QStringLiteral("N100"));
        QCOMPARE(Column(list, 6), (QStringList{QStringLiteral("N1004"), QStringLiteral("N1003"),
                                               QStringLiteral("N1002"), QStringLiteral("N1001"),
                                               QStringLiteral("N1000"), QStringLiteral("N100")}));
        QVERIFY(!showAll->isVisible());
    }
};

QTEST_MAIN(PrintLogDlgTest)
#include "PrintLogDlgTest.moc"
