#include "store/AddressBook.h"
#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "settings/AddressEditDlg.h"
#include "settings/AddressPage.h"
#include "settings/DialogDriver.h"
#include "settings/PageTabCtrl.h"
#include "settings/SettingsDlg.h"
#include "support/WorkFolderFixture.h"
#include "waybill/WaybillDlg.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <algorithm>
#include <utility>

using namespace dorvane;
using dorvane::test::WhenDialogOpens;
using dorvane::test::WorkFolderFixture;

namespace {

QString Text(const CWaybillDlg& dialog, const char* objectName)
{
    QWidget* w = dialog.findChild<QWidget*>(QString::fromLatin1(objectName));
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w))
        return edit->toPlainText();
    return static_cast<QComboBox*>(w)->currentText();
}

QWidget* Focused()
{
    return QApplication::focusWidget();
}

// Clicks into a control as the user does; the click gives it the focus.
void ClickInto(QWidget* control)
{
    QWidget* target = control;
    if (auto* combo = qobject_cast<QComboBox*>(control))
        target = combo->lineEdit();
    else if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
        target = edit->viewport();
    QTest::mouseClick(target, Qt::LeftButton);
    QCOMPARE(Focused(), control);
}

// Chooses an entry in the combo's drop-down list: open the list from the keyboard, walk to
// the entry with the arrow keys and confirm it with Enter, each key going to the focused
// widget.
void Pick(QComboBox* combo, const QString& entry)
{
    const int index = combo->findText(entry);
    QVERIFY(index >= 0);
    ClickInto(combo);
    if (QTest::currentTestFailed())
        return;
    QTest::keyClick(Focused(), Qt::Key_F4);
    QTRY_VERIFY(combo->view()->isVisible());
    QCOMPARE(Focused(), combo->view());
    QTest::keyClick(Focused(), Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(Focused(), Qt::Key_Down);
    QTest::keyClick(Focused(), Qt::Key_Return);
    QTRY_VERIFY(!combo->view()->isVisible());
    QCOMPARE(combo->currentText(), entry);
}

void Add(const AddressBook& book, AddressTable table, const QString& text)
{
    QVERIFY(book.Add(table, ToCodePage(text)).ok());
}

// A key press carrying text, as a keyboard layout delivers it, to the focused widget.
void TypeText(const QString& text)
{
    QTest::sendKeyEvent(QTest::Click, Focused(), Qt::Key_unknown, text, Qt::NoModifier);
}

// Text committed by an input method, as Chinese is typed.
void Commit(const QString& text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(Focused(), &commit);
}

void ShowActive(QWidget* window)
{
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

} // namespace

class PickersTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        setMessagesAnsweredByTest(true);
        takeShownMessages();
        QApplication::clipboard()->clear(); // no recipient carried over from an earlier test
    }

    void listsAreFilledSortedAndKeepTheGoodsText()
    {
        WorkFolderFixture work;
        const AddressBook book(work.installEmptyAddressBook());
        for (const QString& goods : {QStringLiteral("书"), QStringLiteral("被子"), QStringLiteral("Apple")})
            Add(book, AddressTable::ProductName, goods);
        Add(book, AddressTable::ReceiptAddress, QStringLiteral("张三,138,,北京,100000"));
        Add(book, AddressTable::ReceiptAddress, QStringLiteral("李四,139,,上海,200000"));
        // address.ini names a goods item that is not in the list.
        work.write(QStringLiteral("Set/address.ini"), "a,,,,,,,\xC3\xAB\xBD\xED,\r\n"); // 毛巾

        CWaybillDlg dialog(work.workspace());
        auto* goods = dialog.findChild<QComboBox*>(QStringLiteral("goodsNameCombo"));
        QCOMPARE(goods->count(), 3);
        QCOMPARE(goods->itemText(0), QStringLiteral("Apple"));
        QCOMPARE(goods->itemText(1), QStringLiteral("被子")); // bei before shu in code-page order
        QCOMPARE(goods->itemText(2), QStringLiteral("书"));
        QCOMPARE(goods->currentText(), QStringLiteral("毛巾"));

        auto* recipients = dialog.findChild<QComboBox*>(QStringLiteral("recipientPicker"));
        QCOMPARE(recipients->count(), 2);
        QCOMPARE(recipients->itemText(0), QStringLiteral("李四,139,,上海,200000"));
        QCOMPARE(recipients->currentText(), QString());
        // An empty table: an empty list and no message.
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("senderPicker"))->count(), 0);
        QVERIFY(takeShownMessages().isEmpty());

        // Filled again after the goods page changed the table: the typed goods text stays.
        Add(book, AddressTable::ProductName, QStringLiteral("毛巾"));
        goods->setEditText(QStringLiteral("茶叶"));
        dialog.FillGoodsList();
        QCOMPARE(goods->count(), 4);
        QCOMPARE(goods->currentText(), QStringLiteral("茶叶"));
    }

    void pickingASenderFillsItsFieldsAndIsLoadedAtTheNextStart()
    {
        WorkFolderFixture work;
        const AddressBook book(work.installEmptyAddressBook());
        const QString sender = QStringLiteral("张三,13800000000,010-12345678,北京市朝阳区,100020");
        Add(book, AddressTable::SendAddress, QStringLiteral("李四,139,,上海,200000"));
        Add(book, AddressTable::SendAddress, sender);
        {
            CWaybillDlg dialog(work.workspace());
            ShowActive(&dialog);
            dialog.findChild<QLineEdit*>(QStringLiteral("originEdit"))->setText(QStringLiteral("Beijing"));
            Pick(dialog.findChild<QComboBox*>(QStringLiteral("senderPicker")), sender);
            QCOMPARE(Text(dialog, "senderNameEdit"), QStringLiteral("张三"));
            QCOMPARE(Text(dialog, "senderMobileEdit"), QStringLiteral("13800000000"));
            QCOMPARE(Text(dialog, "senderTelephoneEdit"), QStringLiteral("010-12345678"));
            QCOMPARE(Text(dialog, "senderAddressEdit"), QStringLiteral("北京市朝阳区"));
            QCOMPARE(Text(dialog, "senderPostcodeEdit"), QStringLiteral("100020"));
            QCOMPARE(dialog.SenderPickerText, sender);
        }
        // Name, origin, company, mobile, telephone, address, postcode, goods, signature.
        QCOMPARE(work.read(QStringLiteral("Set/address.ini")),
                 ToCodePage(QStringLiteral("张三,Beijing,,13800000000,010-12345678,北京市朝阳区,100020,,\r\n")));
        CWaybillDlg restarted(work.workspace());
        QCOMPARE(Text(restarted, "senderNameEdit"), QStringLiteral("张三"));
        QCOMPARE(Text(restarted, "senderAddressEdit"), QStringLiteral("北京市朝阳区"));
        QCOMPARE(Text(restarted, "originEdit"), QStringLiteral("Beijing"));
    }

    // A record saved with a comma inside its address (before commas were kept out of saved
    // values) fills each field with its own part.
    void pickingARecipientSavesNothingAndACommaInTheAddressStaysInTheAddress()
    {
        WorkFolderFixture work;
        const AddressBook book(work.installEmptyAddressBook());
        const QString recipient = QStringLiteral("王五,13900000000,,上海市,浦东新区,200000");
        Add(book, AddressTable::ReceiptAddress, recipient);
        CWaybillDlg dialog(work.workspace());
        ShowActive(&dialog);
        const std::string addressIni = work.read(QStringLiteral("Set/address.ini"));
        QVERIFY(!addressIni.empty());
        dialog.findChild<QLineEdit*>(QStringLiteral("recipientTelephoneEdit"))->setText(QStringLiteral("old"));
        Pick(dialog.findChild<QComboBox*>(QStringLiteral("recipientPicker")), recipient);
        QCOMPARE(Text(dialog, "recipientNameEdit"), QStringLiteral("王五"));
        QCOMPARE(Text(dialog, "recipientMobileEdit"), QStringLiteral("13900000000"));
        QCOMPARE(Text(dialog, "recipientTelephoneEdit"), QString());
        QCOMPARE(Text(dialog, "recipientAddressEdit"), QStringLiteral("上海市,浦东新区"));
        QCOMPARE(Text(dialog, "recipientPostcodeEdit"), QStringLiteral("200000"));
        QCOMPARE(work.read(QStringLiteral("Set/address.ini")), addressIni);
        // The sender side is untouched (the first start's blank loads as an empty name).
        QCOMPARE(Text(dialog, "senderNameEdit"), QString());
    }

    // A comma typed into the sender address is saved as "，", so that after a restart every
    // later sender value is in its own box; a sender picked from a record holding a comma is
    // saved the same way.
    void aCommaInTheSenderDetailsKeepsEveryLaterValueInPlaceAfterARestart()
    {
        WorkFolderFixture work;
        const AddressBook book(work.installEmptyAddressBook());
        const QString picked = QStringLiteral("李店主,13500000000,,杭州市,文一路8号,310013");
        Add(book, AddressTable::SendAddress, picked);
        {
            CWaybillDlg dialog(work.workspace());
            ShowActive(&dialog);
            ClickInto(dialog.findChild<QWidget*>(QStringLiteral("senderAddressEdit")));
            for (const QChar c : QStringLiteral("文三路100号,3楼"))
                TypeText(c);
            ClickInto(dialog.findChild<QWidget*>(QStringLiteral("senderPostcodeEdit")));
            TypeText(QStringLiteral("310012"));
            ClickInto(dialog.findChild<QWidget*>(QStringLiteral("goodsNameCombo")));
            TypeText(QStringLiteral("书"));
            ClickInto(dialog.findChild<QWidget*>(QStringLiteral("senderSignatureEdit")));
            TypeText(QStringLiteral("李"));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("saveSenderButton")),
                              Qt::LeftButton);
            takeShownMessages();
        }
        const std::string saved = work.read(QStringLiteral("Set/address.ini"));
        QCOMPARE(std::count(saved.begin(), saved.end(), ','), 8);
        {
            CWaybillDlg restarted(work.workspace());
            QCOMPARE(Text(restarted, "senderAddressEdit"), QStringLiteral("文三路100号，3楼"));
            QCOMPARE(Text(restarted, "senderPostcodeEdit"), QStringLiteral("310012"));
            QCOMPARE(Text(restarted, "goodsNameCombo"), QStringLiteral("书"));
            QCOMPARE(Text(restarted, "senderSignatureEdit"), QStringLiteral("李"));

            ShowActive(&restarted);
            Pick(restarted.findChild<QComboBox*>(QStringLiteral("senderPicker")), picked);
            QCOMPARE(Text(restarted, "senderAddressEdit"), QStringLiteral("杭州市,文一路8号"));
            QCOMPARE(Text(restarted, "senderPostcodeEdit"), QStringLiteral("310013"));
        }
        CWaybillDlg again(work.workspace());
        QCOMPARE(Text(again, "senderNameEdit"), QStringLiteral("李店主"));
        QCOMPARE(Text(again, "senderMobileEdit"), QStringLiteral("13500000000"));
        QCOMPARE(Text(again, "senderAddressEdit"), QStringLiteral("杭州市，文一路8号"));
        QCOMPARE(Text(again, "senderPostcodeEdit"), QStringLiteral("310013"));
        QCOMPARE(Text(again, "goodsNameCombo"), QStringLiteral("书"));
        QVERIFY(takeShownMessages().isEmpty());
    }

    void typingCompletesFromTheListAndBackspaceRemovesTheCompletion()
    {
        WorkFolderFixture work;
        const AddressBook book(work.installEmptyAddressBook());
        const QString zhang = QStringLiteral("张三,13800000000,,北京市,100000");
        Add(book, AddressTable::ReceiptAddress, QStringLiteral("李四,139,,上海,200000"));
        Add(book, AddressTable::ReceiptAddress, zhang);
        Add(book, AddressTable::ReceiptAddress, QStringLiteral("赵六,137,,广州,510000"));
        CWaybillDlg dialog(work.workspace());
        ShowActive(&dialog);
        auto* picker = dialog.findChild<QComboBox*>(QStringLiteral("recipientPicker"));
        QLineEdit* edit = picker->lineEdit();
        ClickInto(picker);

        Commit(QStringLiteral("张"));
        QCOMPARE(edit->text(), zhang);
        QCOMPARE(edit->selectedText(), zhang.mid(1));
        QCOMPARE(edit->selectionStart(), 1);
        // The completed text is a whole address, so the recipient fields take it over.
        QCOMPARE(Text(dialog, "recipientNameEdit"), QStringLiteral("张三"));
        QCOMPARE(Text(dialog, "recipientAddressEdit"), QStringLiteral("北京市"));

        QTest::keyClick(Focused(), Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("张"));
        QVERIFY(!edit->hasSelectedText());
        QCOMPARE(edit->cursorPosition(), 1);
        // A second Backspace leaves an empty edit, not the first entry.
        QTest::keyClick(Focused(), Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());

        // Typing again completes again; a key typed over the selection replaces it.
        Commit(QStringLiteral("李"));
        QCOMPARE(edit->text(), QStringLiteral("李四,139,,上海,200000"));
        TypeText(QStringLiteral("X"));
        QCOMPARE(edit->text(), QStringLiteral("李X"));
        QCOMPARE(edit->cursorPosition(), 2);
        QCOMPARE(Text(dialog, "recipientNameEdit"), QStringLiteral("李四"));

        // Typing inside the text keeps the caret there: "李X" -> caret after 李, Delete, type 四.
        QTest::keyClick(Focused(), Qt::Key_Left);
        QTest::keyClick(Focused(), Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("李"));
        QTest::keyClick(Focused(), Qt::Key_Backspace);
        TypeText(QStringLiteral("四,139"));
        QTest::keyClick(Focused(), Qt::Key_Home);
        Commit(QStringLiteral("李"));
        QCOMPARE(edit->text(), QStringLiteral("李四,139,,上海,200000"));
        QCOMPARE(edit->cursorPosition(), 1);
        QVERIFY(!edit->hasSelectedText());

        // Text committed by an input method completes as typed keys do, also right after a
        // Backspace.
        QTest::keyClick(Focused(), Qt::Key_End);
        for (int i = edit->text().size(); i > 0; --i)
            QTest::keyClick(Focused(), Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
        Commit(QStringLiteral("赵"));
        QCOMPARE(edit->text(), QStringLiteral("赵六,137,,广州,510000"));
        QCOMPARE(edit->selectionStart(), 1);
        QVERIFY(takeShownMessages().isEmpty());
    }

    // A goods name or a picker text that is the beginning of a saved entry can be typed: the
    // key that removes the completion does not bring it back, in each completing combo.
    void backspaceAndDeleteRemoveTheCompletionInEveryCompletingCombo()
    {
        WorkFolderFixture work;
        const AddressBook book(work.installEmptyAddressBook());
        Add(book, AddressTable::ProductName, QStringLiteral("Apple"));
        Add(book, AddressTable::SendAddress, QStringLiteral("Apple Li,135,,Road 1"));
        Add(book, AddressTable::ReceiptAddress, QStringLiteral("Apple Wu,136,,Road 2"));
        CWaybillDlg dialog(work.workspace());
        ShowActive(&dialog);
        for (const char* name : {"goodsNameCombo", "senderPicker", "recipientPicker"}) {
            auto* combo = dialog.findChild<QComboBox*>(QString::fromLatin1(name));
            QLineEdit* edit = combo->lineEdit();
            ClickInto(combo);
            QTest::keyClick(Focused(), Qt::Key_A);
            QVERIFY2(edit->text().startsWith(QStringLiteral("Apple")), name);
            QCOMPARE(edit->selectedText(), edit->text().mid(1));

            // The entry's own spelling is shown; Backspace only takes its rest away.
            QTest::keyClick(Focused(), Qt::Key_Backspace);
            QCOMPARE(edit->text(), QStringLiteral("A"));
            QVERIFY(!edit->hasSelectedText());

            QTest::keyClicks(Focused(), QStringLiteral("pp"));
            QVERIFY2(edit->text().startsWith(QStringLiteral("Apple")), name);
            QTest::keyClick(Focused(), Qt::Key_Delete);
            QCOMPARE(edit->text(), QStringLiteral("App"));
            QCOMPARE(edit->cursorPosition(), 3);
        }
        QCOMPARE(Text(dialog, "goodsNameCombo"), QStringLiteral("App"));
    }

    void typingAWholeSenderAddressAppliesOnlyWithFiveParts()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg dialog(work.workspace());
        ShowActive(&dialog);
        ClickInto(dialog.findChild<QComboBox*>(QStringLiteral("senderPicker")));
        Commit(QStringLiteral("孙七,135,021-1,南京路"));
        QCOMPARE(Text(dialog, "senderNameEdit"), QString());
        const std::string before = work.read(QStringLiteral("Set/address.ini"));
        TypeText(QStringLiteral(","));
        QCOMPARE(Text(dialog, "senderNameEdit"), QStringLiteral("孙七"));
        QCOMPARE(Text(dialog, "senderAddressEdit"), QStringLiteral("南京路"));
        QCOMPARE(Text(dialog, "senderPostcodeEdit"), QString());
        QVERIFY(work.read(QStringLiteral("Set/address.ini")) != before);
        QCOMPARE(work.read(QStringLiteral("Set/address.ini")).substr(0, 5), ToCodePage(QStringLiteral("孙七,")));
        // A sixth part: not a whole address any more, nothing changes.
        TypeText(QStringLiteral("200000,x"));
        QCOMPARE(Text(dialog, "senderPostcodeEdit"), QString());
    }

    // Only a choice in the drop-down list is a pick. Typing a text that completes to an entry
    // that is no whole address, then leaving the picker or pressing Enter in it, changes no
    // field and saves nothing.
    void leavingAPickerOrEnterInItIsNoPick()
    {
        WorkFolderFixture work;
        const AddressBook book(work.installEmptyAddressBook());
        const QString partial = QStringLiteral("李四,139,,北京市"); // four parts
        Add(book, AddressTable::SendAddress, partial);
        Add(book, AddressTable::ReceiptAddress, partial);
        work.write(QStringLiteral("Set/address.ini"),
                   ToCodePage(QStringLiteral("王五,,,135,,Road 1,100000,,\r\n")));
        const std::string saved = work.read(QStringLiteral("Set/address.ini"));
        CWaybillDlg dialog(work.workspace());
        ShowActive(&dialog);
        auto* sender = dialog.findChild<QComboBox*>(QStringLiteral("senderPicker"));
        auto* recipient = dialog.findChild<QComboBox*>(QStringLiteral("recipientPicker"));

        // Leaving the sender picker with a click into another field.
        ClickInto(sender);
        Commit(QStringLiteral("李"));
        QCOMPARE(sender->currentText(), partial);
        ClickInto(dialog.findChild<QWidget*>(QStringLiteral("senderCompanyEdit")));
        QCOMPARE(Text(dialog, "senderNameEdit"), QStringLiteral("王五"));
        QCOMPARE(Text(dialog, "senderMobileEdit"), QStringLiteral("135"));
        QCOMPARE(Text(dialog, "senderAddressEdit"), QStringLiteral("Road 1"));
        QCOMPARE(work.read(QStringLiteral("Set/address.ini")), saved);

        // A recipient just taken from the clipboard stays through Enter in the recipient
        // picker and Tab out of it.
        QApplication::clipboard()->setText(
            QStringLiteral("张三，13900000000，0574-88888888，浙江省 宁波市 鄞州区 某路 8 号，315000"));
        QTRY_COMPARE(Text(dialog, "recipientNameEdit"), QStringLiteral("张三"));
        ClickInto(recipient);
        Commit(QStringLiteral("李"));
        QCOMPARE(recipient->currentText(), partial);
        QTest::keyClick(Focused(), Qt::Key_Return);
        takeShownMessages(); // Enter prints, or reports that there is no printer
        QCOMPARE(Focused(), recipient);
        QTest::keyClick(Focused(), Qt::Key_Tab);
        QVERIFY(Focused() != recipient);
        QCOMPARE(Text(dialog, "recipientNameEdit"), QStringLiteral("张三"));
        QCOMPARE(Text(dialog, "recipientMobileEdit"), QStringLiteral("13900000000"));
        QCOMPARE(Text(dialog, "recipientTelephoneEdit"), QStringLiteral("0574-88888888"));
        QCOMPARE(Text(dialog, "recipientAddressEdit"), QStringLiteral("浙江省宁波市鄞州区某路8号"));
        QCOMPARE(Text(dialog, "recipientPostcodeEdit"), QStringLiteral("315000"));
        QCOMPARE(Text(dialog, "senderNameEdit"), QStringLiteral("王五"));
        QCOMPARE(work.read(QStringLiteral("Set/address.ini")), saved);

        // The same entry chosen in the drop-down list is a pick: by keys for the sender...
        Pick(sender, partial);
        QCOMPARE(Text(dialog, "senderNameEdit"), QStringLiteral("李四"));
        QCOMPARE(Text(dialog, "senderAddressEdit"), QStringLiteral("北京市"));
        QCOMPARE(Text(dialog, "senderPostcodeEdit"), QString());
        QCOMPARE(work.read(QStringLiteral("Set/address.ini")).substr(0, 5),
                 ToCodePage(QStringLiteral("李四,")));

        // ... and by the mouse for the recipient.
        ClickInto(recipient);
        QTest::keyClick(Focused(), Qt::Key_F4);
        QAbstractItemView* list = recipient->view();
        QTRY_VERIFY(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(recipient->findText(partial), 0)).center());
        QTRY_VERIFY(!list->isVisible());
        QCOMPARE(Text(dialog, "recipientNameEdit"), QStringLiteral("李四"));
        QCOMPARE(Text(dialog, "recipientMobileEdit"), QStringLiteral("139"));
        QCOMPARE(Text(dialog, "recipientTelephoneEdit"), QString());
        QCOMPARE(Text(dialog, "recipientAddressEdit"), QStringLiteral("北京市"));
    }

    // An address added on the settings' address page can be picked at once, the settings still
    // open; a text typed into the other picker stays.
    void addressesAddedInTheSettingsReachThePickers()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg dialog(work.workspace());
        ShowActive(&dialog);
        auto* sender = dialog.findChild<QComboBox*>(QStringLiteral("senderPicker"));
        auto* recipient = dialog.findChild<QComboBox*>(QStringLiteral("recipientPicker"));
        QCOMPARE(sender->count(), 0);
        ClickInto(recipient);
        QTest::keyClicks(Focused(), QStringLiteral("typed"));

        QStringList whileOpen;
        WhenDialogOpens<CSettingsDlg>([&](CSettingsDlg* settings) {
            CPageTabCtrl* tabs = settings->TabCtrl();
            QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(2).center());
            QWidget* page = tabs->Page(2);
            QVERIFY(qobject_cast<CAddressPage*>(page) && page->isVisible());
            page->findChild<QComboBox*>(QStringLiteral("addressKindCombo"))->setCurrentIndex(1); // senders
            WhenDialogOpens<CAddressEditDlg>([](CAddressEditDlg* edit) {
                edit->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->setText(QStringLiteral("孙七"));
                edit->findChild<QLineEdit*>(QStringLiteral("mobileEdit"))->setText(QStringLiteral("135"));
                edit->findChild<QPlainTextEdit*>(QStringLiteral("addressEdit"))
                    ->setPlainText(QStringLiteral("南京路"));
                edit->findChild<QLineEdit*>(QStringLiteral("postcodeEdit"))
                    ->setText(QStringLiteral("210000"));
                QTest::mouseClick(edit->findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
            });
            QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("addButton")), Qt::LeftButton);
            for (int i = 0; i < sender->count(); ++i)
                whileOpen << sender->itemText(i);
            settings->reject();
        });
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("settingsButton")), Qt::LeftButton);

        const QString added = QStringLiteral("孙七,135,,南京路,210000");
        QCOMPARE(whileOpen, QStringList{added});
        QCOMPARE(sender->count(), 1);
        QCOMPARE(sender->itemText(0), added);
        QCOMPARE(recipient->currentText(), QStringLiteral("typed"));
        ShowActive(&dialog); // the window is active again once the settings are gone
        Pick(sender, added);
        QCOMPARE(Text(dialog, "senderNameEdit"), QStringLiteral("孙七"));
        QCOMPARE(Text(dialog, "senderPostcodeEdit"), QStringLiteral("210000"));
        QVERIFY(takeShownMessages().isEmpty());
    }

    void aMissingDatabaseIsReportedOncePerFillAndLeavesTheListsEmpty()
    {
        WorkFolderFixture work; // no Dorvane.dorv in dataM
        CWaybillDlg dialog(work.workspace());
        const QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 2); // the goods list, then the pickers
        for (const ShownMessage& message : shown) {
            QCOMPARE(message.text, QStringLiteral("不能打开数据库"));
            QCOMPARE(message.buttons, MessageButtons::Ok);
        }
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("goodsNameCombo"))->count(), 0);
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("senderPicker"))->count(), 0);
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("recipientPicker"))->count(), 0);
    }

    // Another station saves an address: the window shows it once the user comes back to it,
    // reading the store at most once a minute. Switching the store on the 数据库 page refills
    // the goods and both pickers from the new place.
    void pickersFollowTheStoreWithoutARestart()
    {
        WorkFolderFixture work;
        const AddressBook book(work.installEmptyAddressBook());
        Add(book, AddressTable::ReceiptAddress, QStringLiteral("张三,138,,北京,100000"));
        Add(book, AddressTable::ProductName, QStringLiteral("书"));
        CWaybillDlg dialog(work.workspace());
        ShowActive(&dialog);
        auto* recipient = dialog.findChild<QComboBox*>(QStringLiteral("recipientPicker"));
        auto* goods = dialog.findChild<QComboBox*>(QStringLiteral("goodsNameCombo"));
        QCOMPARE(recipient->count(), 1);
        QWidget elsewhere;
        const auto leaveAndComeBack = [&] {
            ShowActive(&elsewhere);
            ShowActive(&dialog);
        };
        Add(book, AddressTable::ReceiptAddress, QStringLiteral("李四,139,,上海,200000")); // another station
        leaveAndComeBack(); // within the minute of the last reading
        QCOMPARE(recipient->count(), 1);
        dialog.pickerRefreshSeconds = 0; // the minute is over
        leaveAndComeBack();
        dialog.pickerRefreshSeconds = 60;
        QCOMPARE(recipient->count(), 2);
        QCOMPARE(recipient->itemText(0), QStringLiteral("李四,139,,上海,200000"));

        // A server that cannot be reached: the lists keep what they show, and no box each time.
        work.write(QStringLiteral("Set/database.ini"),
                   "host=" + work.path(QStringLiteral("no-server")).toStdString() + " dbname=x\r\n");
        dialog.pickerRefreshSeconds = 0;
        leaveAndComeBack();
        dialog.pickerRefreshSeconds = 60;
        QCOMPARE(recipient->count(), 2);
        QVERIFY(takeShownMessages().isEmpty());

        // Back to this station's file on the 数据库 page: its rows, goods included, are in the
        // window at once, the settings still open.
        Add(book, AddressTable::ReceiptAddress, QStringLiteral("王五,137,,天津,300000"));
        Add(book, AddressTable::ProductName, QStringLiteral("被子"));
        std::pair<int, int> whileOpen;
        WhenDialogOpens<CSettingsDlg>([&](CSettingsDlg* settings) {
            CPageTabCtrl* tabs = settings->TabCtrl();
            int databaseTab = -1;
            for (int i = 0; i < tabs->tabBar()->count(); ++i) {
                if (tabs->tabBar()->tabText(i) == QStringLiteral("数据库"))
                    databaseTab = i;
            }
            QVERIFY(databaseTab >= 0);
            QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(databaseTab).center());
            QWidget* page = tabs->Page(databaseTab);
            auto* connection = page->findChild<QLineEdit*>(QStringLiteral("connectionEdit"));
            QTest::mouseClick(connection, Qt::LeftButton);
            QTRY_COMPARE(Focused(), connection); // once the settings are the active window
            QTest::keyClick(Focused(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(Focused(), Qt::Key_Delete);
            QCOMPARE(connection->text(), QString());
            QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("saveConnectionButton")), Qt::LeftButton);
            whileOpen = {recipient->count(), goods->count()};
            settings->reject();
        });
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("settingsButton")), Qt::LeftButton);
        QCOMPARE(whileOpen, std::make_pair(3, 2));
        QCOMPARE(recipient->count(), 3);
        QCOMPARE(goods->count(), 2);
    }
};

QTEST_MAIN(PickersTest)
#include "PickersTest.moc"
