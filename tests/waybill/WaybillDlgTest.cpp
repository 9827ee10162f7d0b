#include "about/HelpDlg.h"
#include "app/AppValues.h"
#include "settings/ProductPage.h"
#include "settings/SettingsDlg.h"
#include "template/AdjustPreviewDlg.h"
#include "template/TemplateStore.h"
#include "app/MessageBox.h"
#include "support/WorkFolderFixture.h"
#include "waybill/WaybillDefaults.h"
#include "waybill/WaybillDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QPrinterInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include <sys/wait.h>
#include <unistd.h>

using namespace dorvane;
using dorvane::test::WorkFolderFixture;

class WaybillDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init() { setMessagesAnsweredByTest(true); }

    void listsTemplatesInOrderAndStartsOnTheStoredPosition()
    {
        WorkFolderFixture work;
        CWaybillDlg dialog;
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("templateCombo"));
        QCOMPARE(combo->count(), 5);
        const QStringList expected = {QStringLiteral("EMS"), QStringLiteral("申通"), QStringLiteral("顺丰"),
                                      QStringLiteral("圆通"), QStringLiteral("中通")};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(combo->itemText(i), expected[i]);
        QCOMPARE(combo->currentIndex(), 3);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Halvik快递单打印软件 V2.2.2 —— 当前模板：圆通"));
        QCOMPARE(App().CurrentTemplate, std::string("圆通"));
        QCOMPARE(dialog.size(), QSize(894, 644));
        // Today's date and one piece.
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("yearEdit"))->text(),
                 QString::number(QDate::currentDate().year()));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("monthEdit"))->text().size(), 2);
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("pieceCountEdit"))->text(), QStringLiteral("1"));
    }

    void placesFieldControlsByTheClientSize()
    {
        WorkFolderFixture work;
        std::string dat = "0,T,2300,1270,870,480\r\n";
        for (int row = 1; row <= 20; ++row)
            dat += row == 5 ? "0,0,100,50,200,20\r\n" : "0,0,10,10,30,20\r\n";
        work.write(QStringLiteral("dataM/T.dat"), dat);
        work.write(QStringLiteral("Set/mould.ini"), "1\r\n0\r\n1\r\n"); // EMS, T, 申通 ...
        CWaybillDlg dialog;
        QCOMPARE(App().CurrentTemplate, std::string("T"));
        QWidget* company = dialog.findChild<QWidget*>(QStringLiteral("senderCompanyEdit"));
        QCOMPARE(company->geometry(), QRect(100, 50, 200, 20));
        // The print rectangles of the same row: 2300 / 870 and 1270 / 480 tenths per pixel.
        QCOMPARE(App().Layout.number(5, 6), 264);
        QCOMPARE(App().Layout.number(5, 9), 185);

        dialog.setFixedSize(1788, 1288);
        dialog.LayOutFieldControls();
        QCOMPARE(company->geometry(), QRect(200, 100, 400, 40));
    }

    void enterStartsANewLineInAddressBoxes()
    {
        WorkFolderFixture work;
        CWaybillDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* address = dialog.findChild<QPlainTextEdit*>(QStringLiteral("recipientAddressEdit"));
        address->setFocus();
        QTest::keyClicks(address, QStringLiteral("Road 1"));
        QTest::keyClick(address, Qt::Key_Return);
        QTest::keyClicks(address, QStringLiteral("Room 2"));
        QCOMPARE(address->toPlainText(), QStringLiteral("Road 1\nRoom 2"));
        QVERIFY(dialog.isVisible());
    }

    void theWindowAndTheBatchToolSplitACopiedAddressAlike()
    {
        // What stays on the clipboard would fill the next test's window.
        const auto clearClipboard = qScopeGuard([] { QGuiApplication::clipboard()->clear(); });
        WorkFolderFixture work;
        CWaybillDlg dialog;
        // Each text with the postcode that both must find; copied lines end with a line end.
        const std::pair<QString, QString> cases[] = {
            {QStringLiteral("张三，13900000000，上海市某路1号，200000\n"), QStringLiteral("200000")},
            {QStringLiteral("李四，021-66666666，上海市某路2号，200001 \r\n"), QStringLiteral("200001")},
            {QStringLiteral("浙江省  宁波市  鄞州区  某路8号  315000  王五  13911111111\r\n"),
             QStringLiteral("315000")},
            // Labelled, from an order page: both look the destination up in the region table.
            {QStringLiteral("收件人: 赵六 手机号: 138****1111-1234 地址: 杭州市西湖区文三路100号 邮编: 310012\n"),
             QStringLiteral("310012")},
        };
        for (const auto& [text, postcode] : cases) {
            QProcess tool;
            tool.setWorkingDirectory(work.path(QString()));
            tool.start(qEnvironmentVariable("DORVANE_RUN_DIR") + QStringLiteral("/dorvane-cli"),
                       {QStringLiteral("parse-address")});
            QVERIFY(tool.waitForStarted(10000));
            tool.write(text.toUtf8());
            tool.closeWriteChannel();
            QVERIFY(tool.waitForFinished(60000));
            QCOMPARE(tool.exitCode(), 0);
            const QString printed = QString::fromUtf8(tool.readAllStandardOutput());
            QVERIFY2(printed.contains(QStringLiteral("收件邮编=%1\n").arg(postcode)), qPrintable(printed));

            QGuiApplication::clipboard()->setText(text);
            QString shown;
            for (const auto& [member, index] : kRecipientFieldSlots) {
                const std::string_view name = kWaybillFields[static_cast<std::size_t>(index)].name;
                shown += QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
                         QLatin1Char('=') + dialog.controlText(index) + QLatin1Char('\n');
            }
            QCOMPARE(shown, printed);
        }
    }

    void escapeKeepsTheWaybillAndTheCloseBoxEndsIt()
    {
        WorkFolderFixture work;
        CWaybillDlg dialog;
        // The program runs the window in its own loop and ends when that loop returns.
        QStringList typed;
        bool openAfterEscape = false;
        QTimer::singleShot(0, &dialog, [&] {
            const auto closeBox = qScopeGuard([&] { dialog.close(); });
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            for (const char* name : {"recipientNameEdit", "recipientAddressEdit", "goodsNameCombo"}) {
                QWidget* field = dialog.findChild<QWidget*>(QLatin1String(name));
                field->setFocus();
                QTRY_VERIFY(field == QApplication::focusWidget() ||
                            field->isAncestorOf(QApplication::focusWidget()));
                QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("abc"));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            }
            openAfterEscape = dialog.isVisible();
            for (int field : {3, 7, 14})
                typed.append(dialog.controlText(field));
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(openAfterEscape);
        QCOMPARE(typed, QStringList(3, QStringLiteral("abc")));
        QVERIFY(!dialog.isVisible());
    }

    void aCopiedAddressReplacesTheWholeRecipient()
    {
        // What stays on the clipboard would fill the next test's window.
        const auto clearClipboard = qScopeGuard([] { QGuiApplication::clipboard()->clear(); });
        WorkFolderFixture work;
        CWaybillDlg dialog;
        const auto text = [&](const char* name) {
            QWidget* control = dialog.findChild<QWidget*>(QLatin1String(name));
            if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
                return edit->toPlainText();
            return qobject_cast<QLineEdit*>(control)->text();
        };
        // The previous buyer: copied with a mobile, a company typed for him, and a sender.
        QGuiApplication::clipboard()->setText(
            QStringLiteral("张三，13900000000，浙江省宁波市鄞州区某路8号，315000"));
        QCOMPARE(text("recipientMobileEdit"), QStringLiteral("13900000000"));
        dialog.findChild<QLineEdit*>(QStringLiteral("recipientCompanyEdit"))->setText(QStringLiteral("ACME"));
        dialog.findChild<QLineEdit*>(QStringLiteral("senderNameEdit"))->setText(QStringLiteral("李四"));

        // The next buyer gives a landline only: nothing of the previous one stays.
        QGuiApplication::clipboard()->setText(QStringLiteral("王五，021-66666666，上海市某路1号，200000"));
        QCOMPARE(text("recipientNameEdit"), QStringLiteral("王五"));
        QCOMPARE(text("recipientTelephoneEdit"), QStringLiteral("021-66666666"));
        QCOMPARE(text("recipientMobileEdit"), QString());
        QCOMPARE(text("recipientCompanyEdit"), QString());
        QCOMPARE(text("recipientAddressEdit"), QStringLiteral("上海市某路1号"));
        QCOMPARE(text("recipientPostcodeEdit"), QStringLiteral("200000"));
        QCOMPARE(text("destinationEdit"), QStringLiteral("上海"));
        QCOMPARE(text("senderNameEdit"), QStringLiteral("李四"));

        // Text of no shape changes nothing.
        dialog.findChild<QLineEdit*>(QStringLiteral("recipientCompanyEdit"))->setText(QStringLiteral("ACME"));
        QGuiApplication::clipboard()->setText(QStringLiteral("hello"));
        QCOMPARE(text("recipientCompanyEdit"), QStringLiteral("ACME"));
        QCOMPARE(text("recipientNameEdit"), QStringLiteral("王五"));
    }

    void enterInASingleLineFieldPrintsAndTheWindowStays_data()
    {
        QTest::addColumn<bool>("serverDown");
        QTest::newRow("address book in the file") << false;
        // The shop's server is down: the lists cannot be filled, the waybill still prints.
        QTest::newRow("address book on a server that is down") << true;
    }

    void enterInASingleLineFieldPrintsAndTheWindowStays()
    {
        QFETCH(bool, serverDown);
        // The test set-up's raw CUPS queue keeps every job's document in its output folder.
        const QDir jobs(QStringLiteral("/var/spool/dorvane-test-out"));
        if (QPrinterInfo::printerInfo(QStringLiteral("dorvane-test")).isNull() || !jobs.exists()) {
            if (qEnvironmentVariable("DORVANE_REQUIRE_CUPS") == QStringLiteral("1"))
                QFAIL("the CUPS test queue dorvane-test is not set up");
            QSKIP("no CUPS test queue (scripts/cups-test-setup.sh sets one up)");
        }
        // Other tests print on the same queue: this job is the one carrying our marker.
        // Short enough for the name box: a longer one would be cut, and the print would ask first.
        const QString marker = QStringLiteral("Enter%1").arg(QDateTime::currentMSecsSinceEpoch() % 1000000);
        const auto printedWithMarker = [&] {
            for (const QString& job : jobs.entryList({QStringLiteral("job-*.pdf")}, QDir::Files)) {
                QProcess text;
                text.start(QStringLiteral("pdftotext"), {jobs.filePath(job), QStringLiteral("-")});
                if (text.waitForFinished(10000) && text.readAllStandardOutput().contains(marker.toUtf8()))
                    return true;
            }
            return false;
        };

        WorkFolderFixture work;
        work.installEmptyAddressBook(); // which holds the print log
        const QTemporaryDir noServer;
        if (serverDown)
            work.write(QStringLiteral("Set/database.ini"), "host=" + noServer.path().toStdString() + " dbname=shop\r\n");
        App().PrinterName = "dorvane-test";
        CWaybillDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QStringList shown;
        for (const ShownMessage& message : takeShownMessages())
            shown << message.text;
        const QString cannotOpen = QStringLiteral("不能打开数据库");
        const QStringList atStart = serverDown ? QStringList{cannotOpen, cannotOpen} : QStringList{};
        QCOMPARE(shown, atStart); // the goods list, then the pickers
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        name->setFocus();
        QTest::keyClicks(name, marker);
        QTest::keyClick(name, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(printedWithMarker(), 30000);
        shown.clear();
        for (const ShownMessage& message : takeShownMessages())
            shown << message.text;
        // A server that is down loses no entry: it waits beside the settings for the server.
        QCOMPARE(shown, QStringList{});
        const std::string queued = work.read(QStringLiteral("Set/printlog-queue.txt"));
        QCOMPARE(std::count(queued.begin(), queued.end(), '\n'), serverDown ? 1 : 0);
        QCOMPARE(queued.find(marker.toStdString()) != std::string::npos, serverDown);
    }

    void theHelpAppearsHalfASecondAfterStartUnlessSwitchedOff()
    {
        // The help runs its own modal loop; a timer in that loop notes and closes it.
        int helpShown = 0;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto* help = qobject_cast<CHelpDlg*>(QApplication::activeModalWidget())) {
                ++helpShown;
                help->close();
            }
        });
        closer.start(50);

        WorkFolderFixture work;
        work.write(QStringLiteral("Set/mould.ini"), "3\r\n0\r\n21\r\n");
        {
            CWaybillDlg dialog;
            dialog.show();
            QCOMPARE(helpShown, 0);
            QTRY_COMPARE_WITH_TIMEOUT(helpShown, 1, 3000);
            QTest::qWait(700);
            QCOMPARE(helpShown, 1); // once per start
        }
        work.write(QStringLiteral("Set/mould.ini"), "3\r\n0\r\n1\r\n");
        CWaybillDlg quiet;
        quiet.show();
        QTest::qWait(1000);
        QCOMPARE(helpShown, 1);
    }

    void aLayoutSavedInThePreviewMovesTheFieldControls()
    {
        WorkFolderFixture work;
        CWaybillDlg dialog;
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        name->setText(QStringLiteral("typed"));
        const QRect before = name->geometry();

        // While the preview is open, its save moves the recipient name box 7 pixels right.
        QStringList previewTexts;
        QTimer::singleShot(200, [&] {
            auto* preview = qobject_cast<CAdjustPreviewDlg*>(QApplication::activeModalWidget());
            QVERIFY(preview);
            previewTexts = QStringList(preview->FieldText.begin(), preview->FieldText.end());
            TemplateLayout layout = App().Layout;
            layout.setNumber(4, 2, layout.number(4, 2) + 7);
            QVERIFY(SaveLayoutFile(LayoutPath(App().WorkFolder, App().CurrentTemplate), layout));
            App().LayoutChanged = 1;
            preview->reject();
        });
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("previewButton")), Qt::LeftButton);
        QCOMPARE(previewTexts.value(3), QStringLiteral("typed"));
        QCOMPARE(name->geometry(), before.translated(7, 0));
        QCOMPARE(App().LayoutChanged, 0);
        QCOMPARE(name->text(), QStringLiteral("typed"));
    }

    void typedTextSurvivesTheSettingsAndTheGoodsListFollowsThem()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg dialog;
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        name->setText(QStringLiteral("typed name"));
        auto* goods = dialog.findChild<QComboBox*>(QStringLiteral("goodsNameCombo"));
        QCOMPARE(goods->count(), 0);

        // A goods name added on the settings' goods page.
        QTimer::singleShot(200, [&] {
            auto* settings = qobject_cast<CSettingsDlg*>(QApplication::activeModalWidget());
            QVERIFY(settings);
            auto* page = settings->findChild<CProductPage*>();
            QVERIFY(page);
            page->findChild<QPlainTextEdit*>(QStringLiteral("goodsNameEdit"))->setPlainText(QStringLiteral("茶叶"));
            QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("addButton")), Qt::LeftButton);
            settings->reject();
        });
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("settingsButton")), Qt::LeftButton);
        QCOMPARE(goods->count(), 1);
        QCOMPARE(goods->itemText(0), QStringLiteral("茶叶"));
        QCOMPARE(App().GoodsChanged, 0);
        QCOMPARE(name->text(), QStringLiteral("typed name"));
        QCOMPARE(App().CurrentTemplate, std::string("圆通"));
        QCOMPARE(work.read(QStringLiteral("Set/mould.ini")), std::string("3\r\n0\r\n1"));
    }

    void templateChangeIsRememberedAcrossARestart()
    {
        WorkFolderFixture work;
        {
            CWaybillDlg dialog;
            auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("templateCombo"));
            combo->setCurrentIndex(1);
            emit combo->activated(1);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Halvik快递单打印软件 V2.2.2 —— 当前模板：申通"));
            QCOMPARE(App().TemplatePosition, std::string("1"));
            // Line 3 goes back without its line end.
            QCOMPARE(work.read(QStringLiteral("Set/mould.ini")), std::string("1\r\n0\r\n1"));
        }
        CWaybillDlg restarted;
        QCOMPARE(restarted.findChild<QComboBox*>(QStringLiteral("templateCombo"))->currentIndex(), 1);
        QCOMPARE(App().CurrentTemplate, std::string("申通"));
    }

    void savesAndRestoresTheSenderDetails()
    {
        WorkFolderFixture work;
        {
            CWaybillDlg dialog;
            // Typed Chinese arrives through the input method as committed text.
            dialog.findChild<QLineEdit*>(QStringLiteral("senderNameEdit"))->insert(QStringLiteral("张三"));
            dialog.findChild<QLineEdit*>(QStringLiteral("senderCompanyEdit"))->setText(QStringLiteral("公司"));
            dialog.findChild<QComboBox*>(QStringLiteral("goodsNameCombo"))->setEditText(QStringLiteral("书"));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("saveSenderButton")), Qt::LeftButton);
        }
        // " " + 张三 after the blank the first start left in the name field.
        QCOMPARE(work.read(QStringLiteral("Set/address.ini")),
                 std::string(" \xD5\xC5\xC8\xFD,,\xB9\xAB\xCB\xBE,,,,,\xCA\xE9,\r\n"));
        CWaybillDlg restarted;
        QCOMPARE(restarted.findChild<QLineEdit*>(QStringLiteral("senderNameEdit"))->text(), QStringLiteral(" 张三"));
        QCOMPARE(restarted.findChild<QComboBox*>(QStringLiteral("goodsNameCombo"))->currentText(), QStringLiteral("书"));
    }

    void aMissingLayoutFileEndsTheProgramWithTheMessage()
    {
        WorkFolderFixture work;
        const QString messageFile = work.path(QStringLiteral("shown.txt"));
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            static QString recordTo;
            recordTo = messageFile;
            std::atexit([] {
                QFile out(recordTo);
                if (out.open(QIODevice::WriteOnly))
                    for (const ShownMessage& m : takeShownMessages())
                        out.write(m.text.toUtf8() + "\n");
            });
            // The layout file of the chosen template vanished while the program ran.
            CWaybillDlg dialog;
            QFile::remove(work.path(QStringLiteral("dataM/申通.dat")));
            emit dialog.findChild<QComboBox*>(QStringLiteral("templateCombo"))->activated(1);
            _exit(3); // not reached: the window must have ended the process
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QFile shown(messageFile);
        QVERIFY(shown.open(QIODevice::ReadOnly));
        // The last message before the end is the missing layout file's.
        const QStringList messages = QString::fromUtf8(shown.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(!messages.isEmpty());
        QCOMPARE(messages.last(), QStringLiteral("输入框位置信息文件丢失！"));
    }
};

QTEST_MAIN(WaybillDlgTest)
#include "WaybillDlgTest.moc"
