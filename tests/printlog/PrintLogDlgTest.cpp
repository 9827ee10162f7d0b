// 打印记录 opened from the main window: the log listed newest first, searched by name and days,
// the selection exported as an order export and printed again.
#include "printlog/PrintLogDlg.h"
#include "base/FileChoice.h"
#include "base/MessageBox.h"
#include "base/PrintFontConversion.h"
#include "batch/BatchPrinter.h"
#include "batch/CutFieldMarker.h"
#include "batch/WaybillCsv.h"
#include "controls/SortListCtrl.h"
#include "print/PdfReadBack.h"
#include "print/QueueJobs.h"
#include "printlog/PrintLogDlg.h"
#include "settings/DialogDriver.h"
#include "store/AddressBook.h"
#include "store/PrintLog.h"
#include "store/StoreListeners.h"
#include "store/StoreLocation.h"
#include "support/TestQueue.h"
#include "support/WorkFolderFixture.h"
#include "text/CodePageText.h"
#include "waybill/WaybillDlg.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
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

// The lines of an exported file, its byte-order mark left out.
QStringList ExportedRows(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return {};
    return QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
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
#ifdef _WIN32
        const bool canPrint = false; // see test::kNoQueueOnWindows
#else
        const bool canPrint = QPrinterInfo::printerInfo(QStringLiteral("dorvane-test")).printerName() ==
                              QStringLiteral("dorvane-test");
#endif
        work.workspace().PrinterName = "dorvane-test";
        CWaybillDlg main(work.workspace());
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
            queueFileAnswer(exported);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("exportButton")), Qt::LeftButton);
            QCOMPARE(takeShownMessages().size(), 1); // where the file went
            const QStringList rows = ExportedRows(exported);
            QCOMPARE(rows.size(), 4);
            QVERIFY(rows[1].contains(QStringLiteral(",王五,")) && rows[1].contains(QStringLiteral("\"杭州市\"\"西湖\"\"\"")));
            QVERIFY(rows[2].contains(QStringLiteral(",李四,")) && rows[2].contains(QStringLiteral(",宁波市,")));
            QVERIFY(rows[3].contains(QStringLiteral(",张三,")) && rows[3].contains(QStringLiteral("\"杭州市, 文三路\"")));

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
                test::QueueJobs jobs;
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("reprintOwnButton")),
                                  Qt::LeftButton);
                QVERIFY(takeShownMessages().isEmpty());
                QCOMPARE(list->Text(0, 3), QStringLiteral("顺丰"));
                QCOMPARE(list->Text(0, 4), QStringLiteral("window"));
                const QString job = jobs.newestWith(marker, 60000);
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

    // The shop's own telephone and name are on every waybill: 电话 and 姓名 search the
    // recipient's unless the user asks for both. The list shows whole numbers and times.
    void searchesTheRecipientUnlessAskedForBothAndShowsWholeNumbers()
    {
        WorkFolderFixture work;
        const auto book = work.installEmptyAddressBook();
        std::vector<PrintLogEntry> logged;
        for (int i = 0; i < 3; ++i) {
            logged.push_back(Logged("2026-03-01 09:00:00", QStringLiteral("收%1").arg(i), QStringLiteral("宁波市")));
            logged.back().texts[1] = ToCodePage(QStringLiteral("店主"));
            logged.back().texts[8] = "0571-88881111";
            logged.back().waybillNumber = "SF14" + std::to_string(i) + "5678901234567890";
        }
        logged[1].texts[9] = "0571-22223333";
        QVERIFY(PrintLog(book).Append(logged).ok());
        CWaybillDlg main(work.workspace());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        bool acted = false;
        WhenDialogOpens<CPrintLogDlg>([&](CPrintLogDlg* dialog) {
            acted = true;
            auto* list = dialog->findChild<CSortListCtrl*>(QStringLiteral("logList"));
            for (const int column : {2, 5}) {
                const int needed = list->fontMetrics().horizontalAdvance(list->Text(0, column));
                QVERIFY2(list->header()->sectionSize(column) > needed,
                         qPrintable(QStringLiteral("%1 < %2").arg(list->header()->sectionSize(column)).arg(needed)));
            }
            Search(dialog, "telephoneFindEdit", QStringLiteral("0571"));
            QCOMPARE(Column(list, 6), QStringList{QStringLiteral("收1")});
            Search(dialog, "telephoneFindEdit", QString());
            Search(dialog, "nameFindEdit", QStringLiteral("店主"));
            QCOMPARE(list->RowCount(), 0);
            auto* both = dialog->findChild<QCheckBox*>(QStringLiteral("includeSenderCheck"));
            both->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            QVERIFY(both->isChecked());
            QCOMPARE(list->RowCount(), 3);
            Search(dialog, "nameFindEdit", QString());
            Search(dialog, "telephoneFindEdit", QStringLiteral("0571"));
            QCOMPARE(list->RowCount(), 3);
            dialog->reject();
        });
        QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("printLogButton")), Qt::LeftButton);
        QVERIFY(acted);
    }

    // The export for people: when, which number, form, printer and order come first; a name
    // typed without ".csv" gets it and the user is told where the file went; a cell a
    // spreadsheet would run as a formula is written as text.
    void theExportSaysWhenAndWhereAndRunsNoFormula()
    {
        WorkFolderFixture work;
        const auto book = work.installEmptyAddressBook();
        PrintLogEntry entry = Logged("2026-03-01 09:00:00", QStringLiteral("=HYPERLINK(\"http://x\",\"点\")"),
                                     QStringLiteral("@SUM(A1)"));
        entry.waybillNumber = "SF123";
        entry.orderNumber = "-2+3";
        entry.texts[9] = "+8657188886666";
        QVERIFY(PrintLog(book).Append({entry}).ok());
        CWaybillDlg main(work.workspace());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        takeShownMessages();
        const QString typed = work.path(QStringLiteral("march"));
        bool acted = false;
        WhenDialogOpens<CPrintLogDlg>([&](CPrintLogDlg* dialog) {
            acted = true;
            dialog->findChild<CSortListCtrl*>(QStringLiteral("logList"))->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            queueFileAnswer(typed);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("exportButton")), Qt::LeftButton);
            dialog->reject();
        });
        QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("printLogButton")), Qt::LeftButton);
        QVERIFY(acted);
        const QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        // The path as the system writes it: with backslashes on Windows.
        QVERIFY2(shown[0].text.contains(QDir::toNativeSeparators(typed + QStringLiteral(".csv"))),
                 qPrintable(shown[0].text));
        const QStringList rows = ExportedRows(typed + QStringLiteral(".csv"));
        QCOMPARE(rows.size(), 2);
        QVERIFY2(rows[0].startsWith(QStringLiteral("打印时间,运单号,模板,打印机,订单编号,目的地,寄件人姓名,")), qPrintable(rows[0]));
        QCOMPARE(rows[1], QStringLiteral("2026-03-01 09:00:00,SF123,顺丰,LQ,'-2+3,,,,\"'=HYPERLINK(\"\"http://x\"\",\"\"点\"\")\",,,,"
                                         "'@SUM(A1),,'+8657188886666,,,13900000000,,,,,,,"));
    }

    // A reprint goes through the same question about cut texts as any print (cancelled: nothing
    // printed or logged), and logs the number typed for the new form, or none, never the old one.
    void aReprintAsksAboutCutTextsAndLogsTheNewFormsNumber()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        const auto book = work.installEmptyAddressBook();
        const PrintLog log(book);
        PrintLogEntry old = Logged("2026-03-01 09:00:00", QStringLiteral("长%1").arg(QCoreApplication::applicationPid()),
                                   QStringLiteral("浙江省杭州市西湖区文三路") + QString(300, QChar(0x8DEF)));
        old.waybillNumber = "SF-OLD";
        QVERIFY(log.Append({old}).ok());
        work.workspace().PrinterName = "dorvane-test";
        work.workspace().ShrinkCutText = false;
        CWaybillDlg main(work.workspace());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        takeShownMessages();

        bool acted = false;
        WhenDialogOpens<CPrintLogDlg>([&](CPrintLogDlg* dialog) {
            acted = true;
            auto* list = dialog->findChild<CSortListCtrl*>(QStringLiteral("logList"));
            auto* reprint = dialog->findChild<QPushButton*>(QStringLiteral("reprintButton"));
            const auto chooseOldest = [&] { // the list's last row alone
                list->setFocus();
                list->setCurrentIndex(list->model()->index(list->RowCount() - 1, 0));
                QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
            };
            chooseOldest();
            queueMessageAnswer(MessageAnswer::Cancel);
            QTest::mouseClick(reprint, Qt::LeftButton);
            QList<ShownMessage> shown = takeShownMessages();
            QCOMPARE(shown.size(), 1);
            QVERIFY2(shown[0].text.startsWith(QString::fromUtf8(kCutQuestion)), qPrintable(shown[0].text));
            QCOMPARE(list->RowCount(), 1);

            auto* number = dialog->findChild<QLineEdit*>(QStringLiteral("reprintNumberEdit"));
            QTest::mouseClick(number, Qt::LeftButton);
            QCOMPARE(QApplication::focusWidget(), number);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("SF-NEW"));
            chooseOldest();
            queueMessageAnswer(MessageAnswer::Yes); // 仍然打印
            QTest::mouseClick(reprint, Qt::LeftButton);
            shown = takeShownMessages();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(Column(list, 5), (QStringList{QStringLiteral("SF-NEW"), QStringLiteral("SF-OLD")}));

            chooseOldest();
            queueMessageAnswer(MessageAnswer::Yes);
            QTest::mouseClick(reprint, Qt::LeftButton);
            QCOMPARE(takeShownMessages().size(), 1);
            QCOMPARE(Column(list, 5), (QStringList{QString(), QStringLiteral("SF-NEW"), QStringLiteral("SF-OLD")}));
            dialog->reject();
        });
        QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("printLogButton")), Qt::LeftButton);
        QVERIFY(acted);
    }

    // Every print is logged by the print engine alone, once: a reprint from the log and the same
    // waybill through the batch engine (as dorvane-cli prints it) give one entry each, alike in
    // every field but where they came from and when; the texts, line ends and a character
    // beyond the basic plane included, come back byte for byte, and the order number stays.
    void aReprintAndABatchJobAreLoggedOnceAndAlike()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        const auto book = work.installEmptyAddressBook();
        const PrintLog log(book);
        PrintLogEntry old = Logged("2026-03-01 09:00:00", QStringLiteral("Once%1").arg(QCoreApplication::applicationPid()),
                                   QStringLiteral("文三路\r\n西湖区\U00020000号"));
        old.orderNumber = "ORD-7";
        old.waybillNumber = "SF-OLD";
        QVERIFY(log.Append({old}).ok());
        work.workspace().PrinterName = "dorvane-test";
        work.workspace().ShrinkCutText = true;
        CWaybillDlg main(work.workspace());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        takeShownMessages();
        const QString current = main.findChild<QComboBox*>(QStringLiteral("templateCombo"))->currentText();

        bool acted = false;
        WhenDialogOpens<CPrintLogDlg>([&](CPrintLogDlg* dialog) {
            acted = true;
            auto* list = dialog->findChild<CSortListCtrl*>(QStringLiteral("logList"));
            list->setFocus();
            list->setCurrentIndex(list->model()->index(0, 0));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("reprintButton")), Qt::LeftButton);
            dialog->reject();
        });
        QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("printLogButton")), Qt::LeftButton);
        QVERIFY(acted);
        QVERIFY(takeShownMessages().isEmpty());

        auto logged = log.Search({});
        QVERIFY(logged.ok());
        QCOMPARE(logged.value().size(), std::size_t{2});
        const PrintLogEntry reprinted = logged.value().front();
        QCOMPARE(reprinted.source, std::string(kLogSourceWindow));
        QCOMPARE(reprinted.texts, old.texts);
        QCOMPARE(reprinted.orderNumber, old.orderNumber);
        QCOMPARE(reprinted.waybillNumber, std::string()); // the old form's number is not the new one's
        QCOMPARE(FromCodePage(reprinted.templateName), current);
        QCOMPARE(reprinted.printer, std::string("dorvane-test"));
        QVERIFY(reprinted.toPrinter && !reprinted.checkPrint);
        QVERIFY(!reprinted.entryId.empty() && reprinted.entryId != logged.value().back().entryId);

        BatchJob job;
        job.setup = MakePrintSetup(work.workspace(), 96);
        job.records.emplace_back(1, old.texts);
        job.orderNumbers = {old.orderNumber};
        job.printerName = QStringLiteral("dorvane-test");
        job.logStore = AddressBookLocation(work.workspace().WorkFolder);
        job.templateName = current;
        BatchPrinter batch(std::move(job));
        QVERIFY(batch.check());
        QVERIFY2(batch.print({}), qPrintable(batch.error()));
        QVERIFY(batch.logError().isEmpty());
        logged = log.Search({});
        QVERIFY(logged.ok());
        QCOMPARE(logged.value().size(), std::size_t{3});
        const PrintLogEntry& fromBatch = logged.value().front();
        QCOMPARE(fromBatch.source, std::string(kLogSourceCli));
        QVERIFY(!fromBatch.entryId.empty() && fromBatch.entryId != reprinted.entryId);
        QCOMPARE(fromBatch.texts, reprinted.texts);
        QCOMPARE(fromBatch.orderNumber, reprinted.orderNumber);
        QCOMPARE(fromBatch.waybillNumber, reprinted.waybillNumber);
        QCOMPARE(fromBatch.templateName, reprinted.templateName);
        QCOMPARE(fromBatch.printer, reprinted.printer);
        QCOMPARE(fromBatch.toPrinter, reprinted.toPrinter);
        QCOMPARE(fromBatch.checkPrint, reprinted.checkPrint);
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

        StoreListeners listeners;
        CPrintLogDlg dialog(work.workspace(), listeners, QStringLiteral("顺丰"));
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
