// Batch printing from the window: an order export of 30 records printed in part, stopped,
// resumed, read back from the CUPS test queue; the column choice kept; the recipient emptied.
#include "base/FileChoice.h"
#include "store/AddressBook.h"
#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "store/PrintLog.h"
#include "print/PdfReadBack.h"
#include "print/QueueJobs.h"
#include "support/TestQueue.h"
#include "support/WorkFolderFixture.h"
#include "batch/BatchPrintDlg.h"
#include "waybill/WaybillDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSet>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace dorvane;
using namespace dorvane::test;

namespace {

const QString kQueue = QStringLiteral("dorvane-test");

// Each record's name carries this run's marker and its row: "B1234R07".
QString Marker(int row)
{
    return QStringLiteral("B%1R%2").arg(QCoreApplication::applicationPid()).arg(row, 2, 10, QLatin1Char('0'));
}

// The rows each printed alone, one page a job, found at the queue: their jobs' order must be
// the rows' order. Rows whose job is missing or holds other pages are left out.
QList<int> RowsPrintedAlone(QueueJobs& jobs, const QList<int>& rows,
                            const std::function<QString(int)>& marker = Marker)
{
    QList<int> found;
    int lastId = 0;
    for (const int row : rows) {
        const QStringList job = jobs.with(marker(row));
        if (job.size() != 1 || jobs.pages(job[0]).size() != 1 || QueueJobs::Id(job[0]) <= lastId)
            continue;
        lastId = QueueJobs::Id(job[0]);
        found.append(row);
    }
    return found;
}

// A queue of its own on the test backend, for one test: created stopped, so that the jobs
// sent wait in it; removed at the end.
class OwnQueue {
public:
    OwnQueue() : name_(QStringLiteral("dorvane-pace-%1").arg(QCoreApplication::applicationPid()))
    {
        bool ok = false;
        RunTool(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), name_, QStringLiteral("-v"), QStringLiteral("dorvane-test:/"),
                 QStringLiteral("-E")},
                &ok);
        RunTool(QStringLiteral("cupsdisable"), {name_}, &ok);
        made_ = ok;
    }
    ~OwnQueue() { RunTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name_}); }
    bool made() const { return made_; }
    const QString& name() const { return name_; }
    void start() const { RunTool(QStringLiteral("cupsenable"), {name_}); }
    // The jobs waiting or printing in it.
    int jobsInQueue() const
    {
        return RunTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), name_}).count(QLatin1Char('\n'));
    }

private:
    QString name_;
    bool made_ = false;
};

void WriteOrders(const WorkFolderFixture& work)
{
    std::string csv = "收件人姓名,收件人手机号码,收件人地址,目的地\r\n";
    for (int row = 1; row <= 30; ++row)
        csv += Marker(row).toStdString() + ",1390000" + std::to_string(1000 + row) + ",\"浙江省杭州市西湖区文三路" +
               std::to_string(row) + "号\",杭州\r\n";
    work.write(QStringLiteral("orders.csv"), csv);
}

void OpenThroughDialog(CBatchPrintDlg& dialog, const QString& path)
{
    clearFileAnswers();
    queueFileAnswer(path);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("openButton")), Qt::LeftButton);
}

// Ticks a row as the user does: the row made current, Space pressed in the table.
void TickRow(QTableWidget* table, int row)
{
    table->setFocus();
    table->setCurrentCell(row, 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
}

} // namespace

class BatchPrintTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setMessagesAnsweredByTest(true); }

    void tenTickedRecordsPrintInOrderAndAStoppedBatchResumes()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        work.workspace().PrinterName = kQueue.toStdString();
        WriteOrders(work);
        CWaybillDlg window(
            work.workspace()); // loads the current template, as when the batch is opened from it
        CBatchPrintDlg dialog(work.workspace(), FieldTexts{});
        dialog.logStore = AddressBookLocation(work.workspace().WorkFolder);
        const auto loggedRecipients = [&] {
            QSet<QString> names;
            if (const auto logged = PrintLog(*dialog.logStore).Search({}))
                for (const PrintLogEntry& entry : logged.value())
                    names.insert(FromCodePage(entry.texts[3]));
            return names;
        };
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        OpenThroughDialog(dialog, work.path(QStringLiteral("orders.csv")));
        QCOMPARE(dialog.recordCount(), 30);
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("recordTable"));
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("可打印"));
        auto* print = dialog.findChild<QPushButton*>(QStringLiteral("printButton"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("tickNoneButton")), Qt::LeftButton);
        const QList<int> ticked = {2, 4, 5, 9, 11, 17, 20, 23, 28, 30};
        for (const int row : ticked)
            TickRow(table, row - 1);
        QueueJobs jobs;
        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(RowsPrintedAlone(jobs, ticked), ticked); // each waybill a job of its own
        for (int row = 1; row <= 30; ++row)
            QCOMPARE(dialog.status(row - 1) == CBatchPrintDlg::RecordStatus::Printed, ticked.contains(row));

        // Paused after the second job: the window keeps answering and no job follows; the
        // third is the last, cancelled after it.
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("tickAllButton")), Qt::LeftButton);
        auto* progress = dialog.findChild<QProgressBar*>(QStringLiteral("batchProgress"));
        auto* pause = dialog.findChild<QPushButton*>(QStringLiteral("pauseButton"));
        int valueWhilePaused = -1;
        connect(progress, &QProgressBar::valueChanged, this, [&](int value) {
            if (value == 2) {
                QTest::mouseClick(pause, Qt::LeftButton);
                QTimer::singleShot(300, this, [&] {
                    valueWhilePaused = progress->value();
                    QTest::mouseClick(pause, Qt::LeftButton);
                });
            } else if (value == 3) {
                QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cancelButton")), Qt::LeftButton);
            }
        });
        QTest::mouseClick(print, Qt::LeftButton);
        progress->disconnect(this);
        QCOMPARE(valueWhilePaused, 2);
        QVERIFY(!dialog.printing());
        QCOMPARE(RowsPrintedAlone(jobs, {1, 3}), QList<int>({1, 3}));
        QCOMPARE(jobs.with(Marker(2)).size(), 2); // printed before, and again after 全选
        // The rows not printed stay ticked for the next run.
        for (int row = 4; row <= 30; ++row)
            QCOMPARE(table->item(row - 1, 0)->checkState(), Qt::Checked);
        auto* start = dialog.findChild<QSpinBox*>(QStringLiteral("startRowSpin"));
        QCOMPARE(start->value(), 4); // the first record not printed
        // The log holds what went to paper, and only that.
        QSet<QString> printedSoFar;
        for (const int row : ticked + QList<int>{1, 3})
            printedSoFar.insert(Marker(row));
        QCOMPARE(loggedRecipients(), printedSoFar);
        QCOMPARE(PrintLog(*dialog.logStore).Search({}).value().size(), std::size_t{13});

        // The paper jammed on row 4 and 5 as well: the user starts again from row 6, without
        // ticking anything again.
        start->setFocus();
        start->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("6"));
        QCOMPARE(start->value(), 6);
        QTest::mouseClick(print, Qt::LeftButton);
        QList<int> expected;
        for (int row = 6; row <= 30; ++row)
            expected.append(row);
        const QList<int> notTickedBefore = {6,  7,  8,  10, 12, 13, 14, 15, 16,
                                            18, 19, 21, 22, 24, 25, 26, 27, 29};
        QCOMPARE(RowsPrintedAlone(jobs, notTickedBefore), notTickedBefore);
        for (const int row : expected)
            QCOMPARE(dialog.status(row - 1), CBatchPrintDlg::RecordStatus::Printed);
        QCOMPARE(start->value(), 1); // all printed: the next batch starts at the top
    }

    // Five orders, one without a name, to a stopped queue of its own: two jobs wait in it and
    // the third is held back while the window answers; paused, no third job comes even when
    // the queue runs again, until Resume. 全选 leaves the order without a recipient out.
    void aPausedBatchSendsNoFurtherJobUntilResumed()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        OwnQueue queue;
        QVERIFY(queue.made());
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        const auto marker = [](int row) {
            return QStringLiteral("P%1R%2").arg(QCoreApplication::applicationPid()).arg(row);
        };
        std::string csv = "收件人姓名,收件人手机号码,收件人地址\r\n";
        for (int row = 1; row <= 6; ++row)
            csv += (row == 4 ? std::string() : marker(row).toStdString()) +
                   ",13900001111,浙江省杭州市西湖区某路" + std::to_string(row) + "号\r\n";
        work.write(QStringLiteral("paced.csv"), csv);
        WriteOrders(work);
        CWaybillDlg window(work.workspace());
        work.workspace().PrinterName = queue.name().toStdString(); // after the window read set.ini
        CBatchPrintDlg dialog(work.workspace(), FieldTexts{});
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        OpenThroughDialog(dialog, work.path(QStringLiteral("paced.csv")));
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("recordTable"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("tickNoneButton")), Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("tickAllButton")), Qt::LeftButton);
        for (int row = 1; row <= 6; ++row)
            QCOMPARE(table->item(row - 1, 0)->checkState(), row == 4 ? Qt::Unchecked : Qt::Checked);

        auto* progress = dialog.findChild<QProgressBar*>(QStringLiteral("batchProgress"));
        auto* pause = dialog.findChild<QPushButton*>(QStringLiteral("pauseButton"));
        QueueJobs jobs;
        int waitingWhileFull = -1, progressWhileFull = -1, waitingWhilePaused = -1;
        QStringList whilePaused;
        QString thirdWhilePaused;
        connect(progress, &QProgressBar::valueChanged, this, [&](int value) {
            if (value != 2)
                return;
            // Rows 1 and 2 accepted; row 3 waits for room in the queue.
            QCOMPARE(dialog.status(1), CBatchPrintDlg::RecordStatus::Printed);
            QVERIFY(dialog.status(2) != CBatchPrintDlg::RecordStatus::Printed);
            QTimer::singleShot(500, this, [&] {
                waitingWhileFull = queue.jobsInQueue();
                progressWhileFull = progress->value();
                QTest::mouseClick(pause, Qt::LeftButton);
                queue.start();
                whilePaused = jobs.with(marker(1)) + jobs.with(marker(2));
                QTest::qWait(1000);
                waitingWhilePaused = queue.jobsInQueue();
                thirdWhilePaused =
                    RunTool(QStringLiteral("lpstat"), {QStringLiteral("-W"), QStringLiteral("completed"),
                                                       QStringLiteral("-o"), queue.name()});
                QTest::mouseClick(pause, Qt::LeftButton); // Resume
            });
        });
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("printButton")), Qt::LeftButton);
        progress->disconnect(this);
        QCOMPARE(waitingWhileFull, 2);
        QCOMPARE(progressWhileFull, 2);
        QCOMPARE(whilePaused.size(), 2);
        QCOMPARE(waitingWhilePaused, 0);
        QCOMPARE(thirdWhilePaused.count(QLatin1Char('\n')), 2); // only the two jobs completed
        QCOMPARE(RowsPrintedAlone(jobs, {1, 2, 3, 5, 6}, marker), QList<int>({1, 2, 3, 5, 6}));
        QCOMPARE(dialog.status(3), CBatchPrintDlg::RecordStatus::NoRecipient);
        QCOMPARE(progress->value(), progress->maximum());

        // Another file: its progress starts empty.
        OpenThroughDialog(dialog, work.path(QStringLiteral("orders.csv")));
        QCOMPARE(progress->value(), 0);
        QVERIFY(progress->value() < progress->maximum());
    }

    // A platform's export: the address in four columns joined into 收件人地址, shown in the
    // mapping, and 目的地 read off it; another with the address alone in one column.
    void severalColumnsMakeOneAddressAndItsDestination()
    {
        WorkFolderFixture work;
        work.write(QStringLiteral("parts.csv"),
                   "收货人,手机,省,市,区,详细地址\r\n张三,13900001111,浙江省,杭州市,西湖区,文三路1号\r\n");
        work.write(QStringLiteral("alone.csv"),
                   "收货人,手机,收货地址\r\n李四,13800002222,宁波市鄞州区某路8号\r\n");
        CWaybillDlg window(work.workspace());
        CBatchPrintDlg dialog(work.workspace(), FieldTexts{});
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        const auto choose = [&](int column, int downs) {
            auto* combo =
                dialog.findChild<QTableWidget*>(QStringLiteral("columnTable"))->cellWidget(column, 1);
            combo->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), combo);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        };
        // The list: （不用）, 整段收件地址, then the fields in catalogue order.
        const int name = 2 + 3, mobile = 2 + 12, address = 2 + 7;
        OpenThroughDialog(dialog, work.path(QStringLiteral("parts.csv")));
        choose(0, name);
        choose(1, mobile);
        for (int column = 2; column <= 5; ++column)
            choose(column, address);
        auto* columns = dialog.findChild<QTableWidget*>(QStringLiteral("columnTable"));
        QCOMPARE(columns->item(3, 2)->text(), QStringLiteral("省+市+区+详细地址"));
        QCOMPARE(columns->item(0, 2)->text(), QString());
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("recordTable"));
        QCOMPARE(dialog.status(0), CBatchPrintDlg::RecordStatus::Ready);
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("杭州市"));

        for (const int kind : {address, 1}) { // as 收件人地址, then as a whole address to split
            OpenThroughDialog(dialog, work.path(QStringLiteral("alone.csv")));
            choose(0, name);
            choose(1, mobile);
            choose(2, kind);
            QCOMPARE(dialog.status(0), CBatchPrintDlg::RecordStatus::Ready);
            QCOMPARE(table->item(0, 1)->text(), QStringLiteral("李四 13800002222"));
            QCOMPARE(table->item(0, 2)->text(), QStringLiteral("宁波市"));
        }
    }

    void theColumnChoiceIsKeptForTheSameHeader()
    {
        WorkFolderFixture work;
        work.write(QStringLiteral("a.csv"), "买家,收货地址,备注\r\n王五,\"张三，13900000000，浙江省宁波市鄞州区某路8号，315000\",x\r\n");
        work.write(QStringLiteral("b.csv"), "买家,收货地址,备注\r\n赵六,\"李四，13800000000，上海市某路1号，200000\",y\r\n");
        work.write(QStringLiteral("c.csv"), "买家,收货地址\r\n赵六,上海市某路1号\r\n");
        work.write(QStringLiteral("d.xlsx"), "PK");
        CWaybillDlg window(work.workspace());
        {
            CBatchPrintDlg dialog(work.workspace(), FieldTexts{});
            dialog.show();
            dialog.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            OpenThroughDialog(dialog, work.path(QStringLiteral("a.csv")));
            QCOMPARE(dialog.status(0), CBatchPrintDlg::RecordStatus::NoRecipient); // nothing mapped yet
            auto* address = dialog.findChild<QComboBox*>(QStringLiteral("columnCombo1"));
            address->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), address);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // the whole address, split
            QCOMPARE(address->currentData().toInt(), kWholeAddressColumn);
            QCOMPARE(dialog.status(0), CBatchPrintDlg::RecordStatus::Ready);
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("recordTable"));
            QCOMPARE(table->item(0, 1)->text(), QStringLiteral("张三 13900000000"));
            QCOMPARE(table->item(0, 2)->text(), QStringLiteral("宁波市"));
        }
        CBatchPrintDlg dialog(work.workspace(), FieldTexts{});
        dialog.show();
        OpenThroughDialog(dialog, work.path(QStringLiteral("b.csv")));
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("columnCombo1"))->currentData().toInt(),
                 kWholeAddressColumn);
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("recordTable"));
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("李四 13800000000"));
        OpenThroughDialog(dialog, work.path(QStringLiteral("c.csv"))); // another header: not mapped
        // The replaced lists go later: the table's own is asked.
        auto* columns = dialog.findChild<QTableWidget*>(QStringLiteral("columnTable"));
        QCOMPARE(qobject_cast<QComboBox*>(columns->cellWidget(1, 1))->currentData().toInt(), kUnusedColumn);

        takeShownMessages();
        OpenThroughDialog(dialog, work.path(QStringLiteral("d.xlsx")));
        const auto shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.contains(QStringLiteral("另存为 CSV")));
        QCOMPARE(dialog.recordCount(), 1); // the last file stays
    }

    void clearRecipientEmptiesExactlyTheRecipient()
    {
        WorkFolderFixture work;
        CWaybillDlg window(work.workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int i = 0; i < kFieldCount; ++i)
            window.setControlText(i, QStringLiteral("T%1").arg(i));
        // The buttons below the picture stand apart from each other and from the pickers.
        QList<QWidget*> placed;
        for (const char* name : {"clearRecipientButton", "recipientPicker", "saveSenderButton", "aboutButton",
                                 "settingsButton", "batchPrintButton", "previewButton", "printButton",
                                 "withPictureCheck", "waybillNumberEdit", "printLogButton"})
            placed.append(window.findChild<QWidget*>(QString::fromLatin1(name)));
        for (qsizetype a = 0; a < placed.size(); ++a) {
            QVERIFY(window.rect().contains(placed[a]->geometry()));
            for (qsizetype b = a + 1; b < placed.size(); ++b)
                QVERIFY2(!placed[a]->geometry().intersects(placed[b]->geometry()),
                         qPrintable(placed[a]->objectName() + QLatin1Char(' ') + placed[b]->objectName()));
        }
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("clearRecipientButton")), Qt::LeftButton);
        const QList<int> recipient = {0, 3, 5, 7, 9, 12, 13};
        for (int i = 0; i < kFieldCount; ++i)
            QCOMPARE(window.controlText(i), recipient.contains(i) ? QString() : QStringLiteral("T%1").arg(i));

        // The batch dialog opens from the window, on top of it; an order the print log holds,
        // to the same recipient, shows as printed before.
        work.installEmptyAddressBook();
        WriteOrders(work);
        PrintLogEntry logged;
        logged.time = "2026-12-01 09:00:00";
        logged.texts[3] = ToCodePage(Marker(2));
        logged.texts[12] = "13900001002";
        logged.texts[7] = ToCodePage(QStringLiteral("浙江省杭州市西湖区文三路2号"));
        logged.texts[14] = "T14"; // the window's goods and quantity, which every record takes
        logged.texts[15] = "T15";
        QVERIFY(PrintLog(AddressBookPath(work.workspace().WorkFolder)).Append({logged}).ok());
        QStringList statuses;
        QTimer::singleShot(0, this, [&] {
            auto* batch = qobject_cast<CBatchPrintDlg*>(QApplication::activeModalWidget());
            if (batch != nullptr) {
                QVERIFY(batch->openFile(work.path(QStringLiteral("orders.csv"))));
                auto* table = batch->findChild<QTableWidget*>(QStringLiteral("recordTable"));
                for (int row = 0; row < 3; ++row)
                    statuses.append(table->item(row, 3)->text());
                batch->reject();
            }
        });
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("batchPrintButton")), Qt::LeftButton);
        QCOMPARE(statuses.size(), 3);
        QCOMPARE(statuses[1], QStringLiteral("已打印"));
        QVERIFY(statuses[0] != QStringLiteral("已打印"));
        QVERIFY(statuses[2] != QStringLiteral("已打印"));
    }

    // Printed before means this very order was sent to a printer: by the export's order number
    // when it has one, else by recipient, goods and quantity. A repeat customer's new order, an
    // order only printed into a PDF file or as a check print are offered again. When the log
    // cannot be read, the dialog says so and claims nothing either way.
    void printedBeforeIsTheSameOrderSentToAPrinter()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg window(work.workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto entry = [](int row, const char* orderNumber, const char* quantity) {
            PrintLogEntry logged;
            logged.time = "2026-12-01 09:00:00";
            logged.printer = "dorvane-test";
            logged.texts[3] = ToCodePage(Marker(row));
            logged.texts[12] = "1390000" + std::to_string(1000 + row);
            logged.texts[7] = ToCodePage(QStringLiteral("浙江省杭州市西湖区文三路%1号").arg(row));
            logged.texts[14] = ToCodePage(QStringLiteral("书"));
            logged.texts[15] = quantity;
            logged.orderNumber = orderNumber;
            return logged;
        };
        PrintLogEntry toFile = entry(2, "T2", "1");
        toFile.printer = "/tmp/check.pdf";
        toFile.toPrinter = false;
        PrintLogEntry check = entry(3, "T3", "1");
        check.checkPrint = true;
        QVERIFY(PrintLog(AddressBookPath(work.workspace().WorkFolder))
                    .Append({entry(1, "T1", "1"), toFile, check})
                    .ok());
        takeShownMessages(); // the earlier tests'

        const auto line = [](const char* orderNumber, int row, const char* quantity) {
            return std::string(orderNumber) + Marker(row).toStdString() + ",1390000" + std::to_string(1000 + row) +
                   ",浙江省杭州市西湖区文三路" + std::to_string(row) + "号,书," + quantity + "\r\n";
        };
        work.write(QStringLiteral("numbered.csv"), "订单编号,收件人姓名,收件人手机号码,收件人地址,物品名称,数量\r\n" +
                                                      line("T1,", 1, "1") + line("T9,", 1, "1") +
                                                      line("T2,", 2, "1") + line("T3,", 3, "1"));
        work.write(QStringLiteral("plain.csv"), "收件人姓名,收件人手机号码,收件人地址,物品名称,数量\r\n" +
                                                   line("", 1, "1") + line("", 1, "2") + line("", 2, "1") +
                                                   line("", 3, "1") + ",1,,书,1\r\n");
        struct Row {
            QString status;
            bool ticked;
        };
        const auto open = [&](const QString& file) {
            QList<Row> rows;
            QTimer::singleShot(0, this, [&] {
                auto* batch = qobject_cast<CBatchPrintDlg*>(QApplication::activeModalWidget());
                if (batch == nullptr)
                    return;
                OpenThroughDialog(*batch, work.path(file));
                auto* table = batch->findChild<QTableWidget*>(QStringLiteral("recordTable"));
                for (int row = 0; row < table->rowCount(); ++row)
                    rows.append({table->item(row, 3)->text(), table->item(row, 0)->checkState() == Qt::Checked});
                batch->reject();
            });
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("batchPrintButton")), Qt::LeftButton);
            return rows;
        };
        const QString printed = QStringLiteral("已打印");
        QList<Row> rows = open(QStringLiteral("numbered.csv"));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0].status, printed);
        QVERIFY(!rows[0].ticked);
        for (int row = 1; row < 4; ++row)
            QVERIFY2(rows[row].status != printed && rows[row].ticked, qPrintable(rows[row].status));
        rows = open(QStringLiteral("plain.csv"));
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows[0].status, printed);
        for (int row = 1; row < 4; ++row)
            QVERIFY2(rows[row].status != printed && rows[row].ticked, qPrintable(rows[row].status));
        for (const ShownMessage& message : takeShownMessages())
            QFAIL(qPrintable(message.text));

        // A server that cannot be reached: no row printed, none offered as unprinted.
        work.write(QStringLiteral("Set/database.ini"), "host=" + work.path(QStringLiteral("no-server")).toStdString() +
                                                           " dbname=x\r\n");
        rows = open(QStringLiteral("plain.csv"));
        QCOMPARE(rows.size(), 5);
        for (int row = 0; row < 4; ++row) {
            QCOMPARE(rows[row].status, QStringLiteral("打印记录无法读取，不知是否已打印"));
            QVERIFY(!rows[row].ticked);
        }
        QCOMPARE(rows[4].status, QStringLiteral("缺收件人"));
        const QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].text.startsWith(QStringLiteral("打印记录无法读取，不能判断哪些订单已打印过")),
                 qPrintable(shown[0].text));
    }

    // A scanner types the waybill number into its entry and ends with Enter: the waybill
    // prints, the number goes into the log only, and the recipient is emptied for the next
    // parcel when the shop asked for it, and kept when it did not.
    void scannedNumberPrintsAndTheRecipientIsEmptiedOnlyWhenAsked()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        work.workspace().PrinterName = kQueue.toStdString();
        CWaybillDlg window(work.workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QList<int> recipient = {0, 3, 5, 7, 9, 12, 13};
        QueueJobs jobs; // only jobs sent from here on: the spool folder grows all run long
        for (const bool clearAfterPrint : {true, false}) {
            work.workspace().ClearRecipientAfterPrint = clearAfterPrint;
            const QString marker = Marker(clearAfterPrint ? 41 : 42);
            for (int i = 0; i < kFieldCount; ++i)
                window.setControlText(i, i == 3 ? marker : QStringLiteral("T%1").arg(i));
            auto* number = window.findChild<QLineEdit*>(QStringLiteral("waybillNumberEdit"));
            QTest::mouseClick(number, Qt::LeftButton);
            QCOMPARE(QApplication::focusWidget(), number);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("SF100%1").arg(clearAfterPrint));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

            const QStringList job = jobs.with(marker);
            QCOMPARE(job.size(), 1);
            const QStringList pages = jobs.pages(job[0]);
            QCOMPARE(pages.size(), 1);
            QVERIFY(!pages[0].contains(QStringLiteral("SF100"))); // the number is never printed
            QCOMPARE(number->text(), QString());
            for (int i = 0; i < kFieldCount; ++i) {
                const QString typed = i == 3 ? marker : QStringLiteral("T%1").arg(i);
                QCOMPARE(window.controlText(i), clearAfterPrint && recipient.contains(i) ? QString() : typed);
            }
        }
        const auto logged = PrintLog(AddressBookPath(work.workspace().WorkFolder)).Search({});
        QVERIFY(logged.ok());
        QCOMPARE(logged.value().size(), std::size_t{2});
        QCOMPARE(logged.value()[0].waybillNumber, std::string("SF1000"));
        QCOMPARE(logged.value()[1].waybillNumber, std::string("SF1001"));
        QCOMPARE(logged.value()[1].texts[3], Marker(41).toStdString()); // what was printed, not what is left
        work.workspace().ClearRecipientAfterPrint = false;
    }
};

QTEST_MAIN(BatchPrintTest)
#include "BatchPrintTest.moc"
