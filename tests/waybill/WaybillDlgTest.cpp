#include "waybill/WaybillDlg.h"
#include "about/HelpDlg.h"
#include "address/ClipboardAddress.h"
#include "address/WaybillDefaults.h"
#include "base/MessageBox.h"
#include "editor/AdjustPreviewDlg.h"
#include "editor/EditingSurface.h"
#include "editor/SurfaceMouse.h"
#include "print/PdfReadBack.h"
#include "print/QueueJobs.h"
#include "print/WaybillPrinter.h"
#include "settings/PrintSetPage.h"
#include "settings/PrinterChoice.h"
#include "settings/PrinterSelDlg.h"
#include "settings/ProductPage.h"
#include "settings/SettingsDlg.h"
#include "store/PrintLog.h"
#include "store/StoreLocation.h"
#include "support/TestQueue.h"
#ifndef _WIN32
#include "support/MuteServer.h"
#endif
#include "support/WorkFolderFixture.h"
#include "template/TemplateStore.h"
#include "text/CodePageText.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
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

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace dorvane;
using namespace dorvane::test;

namespace {

// Puts text on the clipboard. Windows tells its programs of the change by a message, which is
// waited for, so that the window has read the text as it reads another program's.
void SetClipboard(const QString& text)
{
    QSignalSpy changed(QGuiApplication::clipboard(), &QClipboard::dataChanged);
    QGuiApplication::clipboard()->setText(text);
#ifdef _WIN32
    if (changed.isEmpty())
        changed.wait(5000);
#endif
}

// The words of a job's pages; none when there is no job.
QStringList WordsOf(const QString& job)
{
    QStringList words;
    if (!job.isEmpty())
        for (const PdfWord& word : ReadWords(job))
            words.append(word.text);
    return words;
}

std::vector<PrintLogEntry> Logged(const Workspace& workspace)
{
    auto entries = PrintLog(AddressBookLocation(workspace.WorkFolder)).Search({});
    return entries ? entries.value() : std::vector<PrintLogEntry>{};
}

// Focuses a field of the window as a click would and types into it with key events.
void TypeInto(QWidget* field, const QString& text, bool replace = false)
{
    field->setFocus();
    QTRY_VERIFY(field == QApplication::focusWidget() || field->isAncestorOf(QApplication::focusWidget()));
    if (replace)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Chinese arrives from the input method as committed text.
void CommitInto(QWidget* field, const QString& text)
{
    field->setFocus();
    QTRY_VERIFY(field == QApplication::focusWidget() || field->isAncestorOf(QApplication::focusWidget()));
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(QApplication::focusWidget(), &event);
}

QDateTime At(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

class WaybillDlgTest : public QObject {
    Q_OBJECT

    QueueJobs jobs_; // the jobs sent since the test began

private slots:
    void init()
    {
        setMessagesAnsweredByTest(true);
        jobs_ = QueueJobs();
    }

    void listsTemplatesInOrderAndStartsOnTheStoredPosition()
    {
        WorkFolderFixture work;
        CWaybillDlg dialog(work.workspace());
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("templateCombo"));
        QCOMPARE(combo->count(), 6);
        const QStringList expected = {QStringLiteral("EMS"), QStringLiteral("申通"), QStringLiteral("顺丰"),
                                      QStringLiteral("圆通"), QStringLiteral("中通"), QStringLiteral("自粘面单100x150")};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(combo->itemText(i), expected[i]);
        QCOMPARE(combo->currentIndex(), 3);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Halvik快递单打印软件 V2.2.2 —— 当前模板：圆通"));
        QCOMPARE(work.workspace().CurrentTemplate, std::string("圆通"));
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
        CWaybillDlg dialog(work.workspace());
        QCOMPARE(work.workspace().CurrentTemplate, std::string("T"));
        QWidget* company = dialog.findChild<QWidget*>(QStringLiteral("senderCompanyEdit"));
        QCOMPARE(company->geometry(), QRect(100, 50, 200, 20));
        // The print rectangles of the same row: 2300 / 870 and 1270 / 480 tenths per pixel.
        QCOMPARE(work.workspace().Layout.number(5, 6), 264);
        QCOMPARE(work.workspace().Layout.number(5, 9), 185);

        dialog.setFixedSize(1788, 1288);
        dialog.LayOutFieldControls();
        QCOMPARE(company->geometry(), QRect(200, 100, 400, 40));
    }

    void enterStartsANewLineInAddressBoxes()
    {
        WorkFolderFixture work;
        CWaybillDlg dialog(work.workspace());
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
        CWaybillDlg dialog(work.workspace());
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
            QString printed = QString::fromUtf8(tool.readAllStandardOutput());
#ifdef _WIN32
            printed.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); // a Windows program's line ends
#endif
            QVERIFY2(printed.contains(QStringLiteral("收件邮编=%1\n").arg(postcode)), qPrintable(printed));

            SetClipboard(text);
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
        CWaybillDlg dialog(work.workspace());
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
        CWaybillDlg dialog(work.workspace());
        const auto text = [&](const char* name) {
            QWidget* control = dialog.findChild<QWidget*>(QLatin1String(name));
            if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
                return edit->toPlainText();
            return qobject_cast<QLineEdit*>(control)->text();
        };
        // The previous buyer: copied with a mobile, a company typed for him, and a sender.
        SetClipboard(
            QStringLiteral("张三，13900000000，浙江省宁波市鄞州区某路8号，315000"));
        QCOMPARE(text("recipientMobileEdit"), QStringLiteral("13900000000"));
        dialog.findChild<QLineEdit*>(QStringLiteral("recipientCompanyEdit"))->setText(QStringLiteral("ACME"));
        dialog.findChild<QLineEdit*>(QStringLiteral("senderNameEdit"))->setText(QStringLiteral("李四"));

        // The next buyer gives a landline only: nothing of the previous one stays.
        SetClipboard(QStringLiteral("王五，021-66666666，上海市某路1号，200000"));
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
        SetClipboard(QStringLiteral("hello"));
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
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        // Other tests print on the same queue: this job is the one carrying our marker.
        // Short enough for the name box: a longer one would be cut, and the print would ask first.
        const QString marker = QStringLiteral("Enter%1").arg(QDateTime::currentMSecsSinceEpoch() % 1000000);

        WorkFolderFixture work;
        work.installEmptyAddressBook(); // which holds the print log
        const QTemporaryDir noServer;
        if (serverDown)
            work.write(QStringLiteral("Set/database.ini"), "host=" + noServer.path().toStdString() + " dbname=shop\r\n");
        work.workspace().PrinterName = "dorvane-test";
        CWaybillDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QStringList shown;
        const auto collect = [&shown] {
            for (const ShownMessage& message : takeShownMessages())
                shown << message.text;
            return shown;
        };
        const QString cannotOpen = QStringLiteral("不能打开数据库");
        const QStringList atStart = serverDown ? QStringList{cannotOpen} : QStringList{};
        // Once, though neither the goods list nor the pickers could be filled (a server's
        // lists are read beside the window).
        QTRY_COMPARE(collect(), atStart);
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        QTest::mouseClick(name, Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), name);
        QTest::keyClicks(QApplication::focusWidget(), marker);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(!jobs_.newestWith(marker, 30000).isEmpty());
        shown.clear();
        for (const ShownMessage& message : takeShownMessages())
            shown << message.text;
        // A server that is down loses no entry: it waits beside the settings for the server.
        QCOMPARE(shown, QStringList{});
        // The entry for a server travels beside the window.
        const auto queued = [&] { return work.read(QStringLiteral("Set/printlog-queue.txt")); };
        const auto queuedLines = [&] {
            const std::string text = queued();
            return std::count(text.begin(), text.end(), '\n');
        };
        QTRY_COMPARE_WITH_TIMEOUT(queuedLines(), serverDown ? 1 : 0, 30000);
        QCOMPARE(queued().find(marker.toStdString()) != std::string::npos, serverDown);
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
            CWaybillDlg dialog(work.workspace());
            dialog.show();
            QCOMPARE(helpShown, 0);
            QTRY_COMPARE_WITH_TIMEOUT(helpShown, 1, 3000);
            QTest::qWait(700);
            QCOMPARE(helpShown, 1); // once per start
        }
        work.write(QStringLiteral("Set/mould.ini"), "3\r\n0\r\n1\r\n");
        CWaybillDlg quiet(work.workspace());
        quiet.show();
        QTest::qWait(1000);
        QCOMPARE(helpShown, 1);
    }

    void aLayoutSavedInThePreviewMovesTheFieldControls()
    {
        WorkFolderFixture work;
        CWaybillDlg dialog(work.workspace());
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        name->setText(QStringLiteral("typed"));
        const QRect before = name->geometry();

        // In the preview the recipient name's box is dragged 7 pixels right and saved: the
        // window's control is there at once, the preview still open.
        QStringList previewTexts;
        QRect whileOpen;
        takeShownMessages();
        QTimer::singleShot(200, [&] {
            auto* preview = qobject_cast<CAdjustPreviewDlg*>(QApplication::activeModalWidget());
            QVERIFY(preview);
            previewTexts = QStringList(preview->FieldText.begin(), preview->FieldText.end());
            EditingSurface* surface = preview->surface();
            const BoxRect box = surface->tracker().boxRect(3) /* recipient name */;
            DragMouse(surface, QPoint(box.left + 5, box.top + 5), QPoint(box.left + 12, box.top + 5));
            QTest::mouseClick(preview->findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
            whileOpen = name->geometry();
            preview->reject();
        });
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("previewButton")), Qt::LeftButton);
        QCOMPARE(previewTexts.value(3), QStringLiteral("typed"));
        QCOMPARE(takeShownMessages().size(), 1); // 保存成功！
        QCOMPARE(whileOpen, before.translated(7, 0));
        QCOMPARE(name->geometry(), before.translated(7, 0));
        QCOMPARE(name->text(), QStringLiteral("typed"));
    }

    void typedTextSurvivesTheSettingsAndTheGoodsListFollowsThem()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg dialog(work.workspace());
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        name->setText(QStringLiteral("typed name"));
        auto* goods = dialog.findChild<QComboBox*>(QStringLiteral("goodsNameCombo"));
        QCOMPARE(goods->count(), 0);

        // A goods name added on the settings' goods page is in the window's list at once.
        int whileOpen = -1;
        QTimer::singleShot(200, [&] {
            auto* settings = qobject_cast<CSettingsDlg*>(QApplication::activeModalWidget());
            QVERIFY(settings);
            auto* page = settings->findChild<CProductPage*>();
            QVERIFY(page);
            page->findChild<QPlainTextEdit*>(QStringLiteral("goodsNameEdit"))->setPlainText(QStringLiteral("茶叶"));
            QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("addButton")), Qt::LeftButton);
            whileOpen = goods->count();
            settings->reject();
        });
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("settingsButton")), Qt::LeftButton);
        QCOMPARE(whileOpen, 1);
        QCOMPARE(goods->count(), 1);
        QCOMPARE(goods->itemText(0), QStringLiteral("茶叶"));
        QCOMPARE(name->text(), QStringLiteral("typed name"));
        QCOMPARE(work.workspace().CurrentTemplate, std::string("圆通"));
        QCOMPARE(work.read(QStringLiteral("Set/mould.ini")), std::string("3\r\n0\r\n1"));
    }

    void templateChangeIsRememberedAcrossARestart()
    {
        WorkFolderFixture work;
        {
            CWaybillDlg dialog(work.workspace());
            auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("templateCombo"));
            combo->setCurrentIndex(1);
            emit combo->activated(1);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Halvik快递单打印软件 V2.2.2 —— 当前模板：申通"));
            QCOMPARE(work.workspace().TemplatePosition, std::string("1"));
            // Line 3 goes back without its line end.
            QCOMPARE(work.read(QStringLiteral("Set/mould.ini")), std::string("1\r\n0\r\n1"));
        }
        CWaybillDlg restarted(work.workspace());
        QCOMPARE(restarted.findChild<QComboBox*>(QStringLiteral("templateCombo"))->currentIndex(), 1);
        QCOMPARE(work.workspace().CurrentTemplate, std::string("申通"));
    }

    void savesAndRestoresTheSenderDetails()
    {
        WorkFolderFixture work;
        {
            CWaybillDlg dialog(work.workspace());
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            // The first start's file holds a blank where a value is empty; the format stays.
            QCOMPARE(work.read(QStringLiteral("Set/address.ini")).substr(0, 1), std::string(" "));
            auto* senderName = dialog.findChild<QLineEdit*>(QStringLiteral("senderNameEdit"));
            QCOMPARE(senderName->text(), QString());
            CommitInto(senderName, QStringLiteral("李店主"));
            QCOMPARE(senderName->text(), QStringLiteral("李店主"));
            TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("senderCompanyEdit")), QStringLiteral("ACME"));
            dialog.findChild<QComboBox*>(QStringLiteral("goodsNameCombo"))->setEditText(QStringLiteral("书"));
            takeShownMessages();
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("saveSenderButton")), Qt::LeftButton);
            const QList<ShownMessage> shown = takeShownMessages();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].text, QStringLiteral("保存成功！"));
            QCOMPARE(shown[0].caption, QStringLiteral("提示"));
        }
        QCOMPARE(work.read(QStringLiteral("Set/address.ini")),
                 std::string("\xC0\xEE\xB5\xEA\xD6\xF7,,ACME,,,,,\xCA\xE9,\r\n"));
        CWaybillDlg restarted(work.workspace());
        QCOMPARE(restarted.findChild<QLineEdit*>(QStringLiteral("senderNameEdit"))->text(), QStringLiteral("李店主"));
        QCOMPARE(restarted.findChild<QComboBox*>(QStringLiteral("goodsNameCombo"))->currentText(), QStringLiteral("书"));
    }

    // Run once at 1x and once under QT_SCALE_FACTOR=1.5 (a test of its own in CMakeLists.txt).
    void everyLabelShowsWhole()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // The printed-before note with its longest text.
        PrintLogEntry entry;
        entry.time = "2026-12-28 23:58:00";
        entry.templateName = entry.printer = entry.source = "x";
        entry.texts[3] = "\xD5\xC5\xC8\xFD"; // 张三
        QVERIFY(PrintLog(AddressBookLocation(work.workspace().WorkFolder)).Append({entry}));
        dialog.Clock = [] { return At("2026-12-29 08:00:00"); };
        TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit")), QString());
        CommitInto(dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit")), QStringLiteral("张三"));
        auto* printedBefore = dialog.findChild<QLabel*>(QStringLiteral("printedBeforeLabel"));
        QTRY_VERIFY(printedBefore->isVisible());

        QList<QWidget*> captions;
        for (QLabel* label : dialog.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
            captions.append(label);
        captions.append(dialog.findChild<QCheckBox*>(QStringLiteral("withPictureCheck")));
        QVERIFY(captions.size() >= 6);
        for (QWidget* caption : captions) {
            const QString text = qobject_cast<QLabel*>(caption) ? qobject_cast<QLabel*>(caption)->text()
                                                                : qobject_cast<QCheckBox*>(caption)->text();
            const QSize need = caption->sizeHint();
            QVERIFY2(need.width() <= caption->width() && need.height() <= caption->height(),
                     qPrintable(QStringLiteral("%1: %2x%3 in %4x%5")
                                    .arg(text)
                                    .arg(need.width())
                                    .arg(need.height())
                                    .arg(caption->width())
                                    .arg(caption->height())));
            // Whole inside the window and over no button or box of it.
            QVERIFY2(dialog.rect().contains(caption->geometry()), qPrintable(text));
            for (QWidget* other : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (other == caption || !other->isVisible() || qobject_cast<QLabel*>(other) ||
                    other->objectName() == QStringLiteral("pictureFrame") || other->inherits("QGroupBox") ||
                    other->geometry().top() < 335 * 3 / 2) // the field boxes lie over the picture
                    continue;
                QVERIFY2(!other->geometry().intersects(caption->geometry()),
                         qPrintable(text + QStringLiteral(" under ") + other->objectName()));
            }
        }
    }

    // A recipient who was sent a waybill in the last three days, however filled in, is shown
    // as printed before; the buyer still on the clipboard from before a restart and printed last
    // does not fill the window again.
    void aRecipientPrintedInTheLastThreeDaysIsShown()
    {
        const auto clearClipboard = qScopeGuard([] { QGuiApplication::clipboard()->clear(); });
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        const QString recent = QStringLiteral("张三，13900000000，浙江省宁波市鄞州区某路8号，315000");
        const QString older = QStringLiteral("王五，021-66666666，上海市某路1号，200000");
        const auto entryFor = [](const QString& copied, const char* time) {
            PrintLogEntry entry;
            entry.time = time;
            entry.templateName = "T";
            entry.printer = "P";
            entry.source = kLogSourceWindow;
            for (const auto& [index, text] : RecipientTexts(*ParseClipboardAddress(ToCodePage(copied))))
                entry.texts[static_cast<std::size_t>(index)] = text;
            return entry;
        };
        QVERIFY(
            PrintLog(AddressBookLocation(work.workspace().WorkFolder))
                .Append({entryFor(older, "2026-12-05 08:59:00"), entryFor(recent, "2026-12-08 10:32:00")}));

        SetClipboard(recent);
        CWaybillDlg dialog(work.workspace());
        dialog.Clock = [] { return At("2026-12-08 09:00:00").addDays(1); };
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        QCOMPARE(name->text(), QString()); // printed last and still on the clipboard: not again
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* printedBefore = dialog.findChild<QLabel*>(QStringLiteral("printedBeforeLabel"));

        SetClipboard(older); // 4 days and a minute ago
        QCOMPARE(name->text(), QStringLiteral("王五"));
        QTest::qWait(600);
        QVERIFY(!printedBefore->isVisible());
        SetClipboard(recent);
        QCOMPARE(name->text(), QStringLiteral("张三"));
        QTRY_VERIFY(printedBefore->isVisible());
        QCOMPARE(printedBefore->text(), QStringLiteral("已于 12-08 10:32 打印过"));
        // Another recipient typed over it: the note goes; typed back, it returns.
        TypeInto(name, QStringLiteral("x"));
        QTRY_VERIFY(!printedBefore->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QTRY_VERIFY(printedBefore->isVisible());

        // Another buyer on the clipboard at a start does fill the window.
        SetClipboard(older);
        CWaybillDlg restarted(work.workspace());
        QCOMPARE(restarted.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"))->text(), QStringLiteral("王五"));
    }

    void anEmptyRecipientAsksFirstAndTheCheckPrintClearsItself()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        work.workspace().PrinterName = "dorvane-test";
        CWaybillDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QString marker = QStringLiteral("Empty%1").arg(QCoreApplication::applicationPid());
        TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("senderNameEdit")), marker);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("clearRecipientButton")), Qt::LeftButton);
        auto* print = dialog.findChild<QPushButton*>(QStringLiteral("printButton"));

        takeShownMessages();
        queueMessageAnswer(MessageAnswer::No);
        QTest::mouseClick(print, Qt::LeftButton);
        QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QString::fromUtf8(kNoRecipientQuestion));
        QCOMPARE(shown[0].caption, QStringLiteral("注意"));
        QCOMPARE(shown[0].buttons, MessageButtons::YesNo);
        QVERIFY(Logged(work.workspace()).empty());

        // The check print on plain paper asks nothing, is not logged, and clears its box.
        auto* withPicture = dialog.findChild<QCheckBox*>(QStringLiteral("withPictureCheck"));
        withPicture->setChecked(true);
        QTest::mouseClick(print, Qt::LeftButton);
        QVERIFY(takeShownMessages().isEmpty());
        QVERIFY(!jobs_.newestWith(marker, 60000).isEmpty());
        QVERIFY(!withPicture->isChecked());
        QVERIFY(Logged(work.workspace()).empty());

        // Yes prints the sender-only waybill as a real one.
        queueMessageAnswer(MessageAnswer::Yes);
        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(takeShownMessages().size(), 1);
        const auto logged = Logged(work.workspace());
        QCOMPARE(logged.size(), std::size_t(1));
        QCOMPARE(logged[0].texts[1], marker.toStdString());
        QCOMPARE(logged[0].printer, std::string("dorvane-test"));
    }

    void theDateFollowsTheCalendarDayUnlessTyped()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        work.workspace().PrinterName = "dorvane-test";
        QDateTime now = At("2026-12-31 23:59:30");
        CWaybillDlg dialog(work.workspace());
        dialog.Clock = [&now] { return now; };
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
        const QString marker = QStringLiteral("Day%1").arg(QCoreApplication::applicationPid());
        TypeInto(name, marker + QStringLiteral("a"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

        // Left open past midnight, the next waybill carries the new day.
        now = At("2027-01-01 00:00:30");
        TypeInto(name, marker + QStringLiteral("b"), true);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const QStringList page = WordsOf(jobs_.newestWith(marker + QStringLiteral("b"), 60000));
        QVERIFY(!page.isEmpty());
        QVERIFY2(page.contains(QStringLiteral("2027")) && !page.contains(QStringLiteral("2026")) &&
                     page.count(QStringLiteral("01")) == 2,
                 qPrintable(page.join(QLatin1Char(' '))));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("dayEdit"))->text(), QStringLiteral("01"));

        // A date the user typed stays, the next day too.
        TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("dayEdit")), QStringLiteral("15"), true);
        now = At("2027-01-02 09:00:00");
        TypeInto(name, marker + QStringLiteral("c"), true);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const auto logged = Logged(work.workspace());
        QCOMPARE(logged.size(), std::size_t(3));
        const auto date = [](const PrintLogEntry& entry) {
            return entry.texts[17] + "-" + entry.texts[18] + "-" + entry.texts[19];
        };
        QCOMPARE(date(logged[2]), std::string("2026-12-31"));
        QCOMPARE(date(logged[1]), std::string("2027-01-01"));
        QCOMPARE(date(logged[0]), std::string("2027-01-15"));
    }

    // The printer chosen in the settings was unplugged: the window names it and lets the user
    // choose; the waybill goes to the printer chosen, and the log says so. Until a printer is
    // chosen the system's default one prints, and the print settings show it.
    void aChosenPrinterThatHasGoneIsNamedAndChosenAgain()
    {
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        {
            CPrintSetPage page(work.workspace());
            QCOMPARE(work.workspace().PrinterName, std::string(kDefaultPrinterName));
            QCOMPARE(page.findChild<QLabel*>(QStringLiteral("printerInUseLabel"))->text(),
                     QStringLiteral("打印机：") + QPrinterInfo::defaultPrinterName());
        }
        work.workspace().PrinterName = "Gone-Printer";
        CWaybillDlg dialog(work.workspace());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QString marker = QStringLiteral("Gone%1").arg(QCoreApplication::applicationPid());
        TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit")), marker);
        bool choiceShown = false;
        QTimer::singleShot(300, [&] {
            auto* choice = qobject_cast<CPrinterSelDlg*>(QApplication::activeModalWidget());
            QVERIFY(choice);
            choiceShown = true;
            auto* combo = choice->findChild<QComboBox*>(QStringLiteral("printerCombo"));
            combo->setCurrentIndex(combo->findText(QStringLiteral("dorvane-test")));
            QTest::mouseClick(choice->findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
            choice->reject();
        });
        takeShownMessages();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(choiceShown);
        const QList<ShownMessage> shown = takeShownMessages();
        QVERIFY(!shown.isEmpty());
        QCOMPARE(shown[0].text, QString::fromUtf8(kChoosePrinterMessage).arg(QStringLiteral("Gone-Printer")));
        QCOMPARE(work.workspace().PrinterName, std::string("dorvane-test"));
        QVERIFY(!jobs_.newestWith(marker, 60000).isEmpty());
        const auto logged = Logged(work.workspace());
        QCOMPARE(logged.size(), std::size_t(1));
        QCOMPARE(logged[0].printer, std::string("dorvane-test"));
    }

    // A shop's server that lets the station log in, at once or too late, and then answers
    // nothing: the window is built and prints, telling once that the store cannot be opened, and the entry
    // waits for the server. In a child process, which a window frozen for good would never end.
    void aServerThatStopsAnsweringHoldsNeitherTheWindowNorThePrint_data()
    {
        QTest::addColumn<int>("loginDelayMs");
        QTest::newRow("logs in, then answers nothing") << 0;
        QTest::newRow("logs in after the connection gave up") << 5000;
    }

    void aServerThatStopsAnsweringHoldsNeitherTheWindowNorThePrint()
    {
        QFETCH(int, loginDelayMs);
        // The window runs in a forked child: a fork taken after other tests left threads behind
        // can inherit a lock one of them held, so this runs in a test process of its own.
#ifdef _WIN32
        Q_UNUSED(loginDelayMs);
        QSKIP("the window runs in a forked child, and Windows has no fork");
#else
        if (qEnvironmentVariable("DORVANE_TEST_ALONE") != QStringLiteral("1"))
            QSKIP("run alone, as test_waybill_gui_mute_server");
#ifndef DORVANE_WITH_POSTGRES
        QSKIP("this build has no PostgreSQL engine");
#endif
        DORVANE_SKIP_WITHOUT_TEST_QUEUE();
        const MuteServer server(MuteServer::Mode::LoginOnly, "127.0.0.1", loginDelayMs);
        QVERIFY(server.listening());
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        work.write(QStringLiteral("Set/database.ini"),
                   server.connection() + " options='-c statement_timeout=1000'\r\n");
        const QString marker = QStringLiteral("Mute%1").arg(QDateTime::currentMSecsSinceEpoch() % 1000000);
        const QString messageFile = work.path(QStringLiteral("shown.txt"));
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            work.workspace().PrinterName = "dorvane-test";
            bool stayed = false;
            {
                CWaybillDlg dialog(work.workspace());
                dialog.show();
                auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("recipientNameEdit"));
                name->setFocus();
                QTest::keyClicks(name, marker);
                QTest::keyClick(name, Qt::Key_Return);
                stayed = dialog.isVisible();
                // The server is read beside the window, one read after another: once the entry
                // waits in the queue, what the lists' reads gave back is on its way to the window.
                if (QTest::qWaitFor(
                        [&] { return QFile::exists(work.path(QStringLiteral("Set/printlog-queue.txt"))); },
                        30000))
                    QCoreApplication::sendPostedEvents();
            }
            QFile out(messageFile);
            if (out.open(QIODevice::WriteOnly))
                for (const ShownMessage& m : takeShownMessages())
                    out.write(m.text.toUtf8() + "\n");
            out.close();
            _exit(stayed ? 0 : 3);
        }
        int status = 0;
        for (int waited = 0; waited < 600 && waitpid(child, &status, WNOHANG) != child; ++waited)
            QTest::qWait(100);
        if (kill(child, 0) == 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            QFAIL("the window did not get through its start and a print within a minute");
        }
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(!jobs_.newestWith(marker, 30000).isEmpty());
        QFile shown(messageFile);
        QVERIFY(shown.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(shown.readAll()), QStringLiteral("不能打开数据库\n"));
        const std::string queued = work.read(QStringLiteral("Set/printlog-queue.txt"));
        QCOMPARE(std::count(queued.begin(), queued.end(), '\n'), 1);
        QCOMPARE(server.connections(), 1); // the lists, the print and its entry did not each wait again
#endif
    }

    // A missing layout file of the chosen template ends the program with the message; one cut
    // inside a row by an interrupted copy is named instead, with what is wrong with it.
    void aMissingOrCutLayoutFileEndsTheProgramWithItsMessage()
    {
        const QString cut = QStringLiteral(
            "输入框位置信息文件 dataM/申通.dat 不完整或已损坏（最后一行不完整），请从备份恢复或删除该模板！");
#ifdef _WIN32
        QSKIP("the ending program runs in a forked child, and Windows has no fork");
#else
        for (const QString& expected : {QStringLiteral("输入框位置信息文件丢失！"), cut}) {
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
                // The layout file of the chosen template vanished or was cut while the program ran.
                CWaybillDlg dialog(work.workspace());
                QFile::remove(work.path(QStringLiteral("dataM/申通.dat")));
                if (expected == cut)
                    work.write(QStringLiteral("dataM/申通.dat"), "0,ST,2300,1270,870,480\r\n0,0,666,25,192,50\r\n0,0,36,9");
                emit dialog.findChild<QComboBox*>(QStringLiteral("templateCombo"))->activated(1);
                _exit(3); // not reached: the window must have ended the process
            }
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), 0);
            QFile shown(messageFile);
            QVERIFY(shown.open(QIODevice::ReadOnly));
            // The last message before the end is the layout file's.
            const QStringList messages =
                QString::fromUtf8(shown.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QVERIFY(!messages.isEmpty());
            QCOMPARE(messages.last(), expected);
        }
#endif
    }
};

QTEST_MAIN(WaybillDlgTest)
#include "WaybillDlgTest.moc"
