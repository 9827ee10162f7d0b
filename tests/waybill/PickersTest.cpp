#include "app/AddressBook.h"
#include "app/CodePageText.h"
#include "app/MessageBox.h"
#include "support/WorkFolderFixture.h"
#include "waybill/WaybillDlg.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using namespace dorvane;
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

// Chooses an entry from the list as a click in the drop-down list does.
void Pick(QComboBox* combo, const QString& entry)
{
    const int index = combo->findText(entry);
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void Add(const AddressBook& book, AddressTable table, const QString& text)
{
    QVERIFY(book.Add(table, ToCodePage(text)).ok());
}

// A key press carrying committed text, as a keyboard layout or input method delivers it.
void TypeText(QWidget* widget, const QString& text)
{
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text, Qt::NoModifier);
}

} // namespace

class PickersTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        setMessagesAnsweredByTest(true);
        takeShownMessages();
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

        CWaybillDlg dialog;
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
            CWaybillDlg dialog;
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
        CWaybillDlg restarted;
        QCOMPARE(Text(restarted, "senderNameEdit"), QStringLiteral("张三"));
        QCOMPARE(Text(restarted, "senderAddressEdit"), QStringLiteral("北京市朝阳区"));
        QCOMPARE(Text(restarted, "originEdit"), QStringLiteral("Beijing"));
    }

    void pickingARecipientSavesNothingAndACommaInTheAddressShiftsThePostcode()
    {
        WorkFolderFixture work;
        const AddressBook book(work.installEmptyAddressBook());
        const QString recipient = QStringLiteral("王五,13900000000,,上海市,浦东新区,200000");
        Add(book, AddressTable::ReceiptAddress, recipient);
        CWaybillDlg dialog;
        const std::string addressIni = work.read(QStringLiteral("Set/address.ini"));
        QVERIFY(!addressIni.empty());
        dialog.findChild<QLineEdit*>(QStringLiteral("recipientTelephoneEdit"))->setText(QStringLiteral("old"));
        Pick(dialog.findChild<QComboBox*>(QStringLiteral("recipientPicker")), recipient);
        QCOMPARE(Text(dialog, "recipientNameEdit"), QStringLiteral("王五"));
        QCOMPARE(Text(dialog, "recipientMobileEdit"), QStringLiteral("13900000000"));
        QCOMPARE(Text(dialog, "recipientTelephoneEdit"), QString());
        QCOMPARE(Text(dialog, "recipientAddressEdit"), QStringLiteral("上海市"));
        QCOMPARE(Text(dialog, "recipientPostcodeEdit"), QStringLiteral("浦东新区"));
        QCOMPARE(work.read(QStringLiteral("Set/address.ini")), addressIni);
        // The sender side is untouched.
        QCOMPARE(Text(dialog, "senderNameEdit"), QStringLiteral(" "));
    }

    void typingCompletesFromTheListAndBackspaceRemovesTheCompletion()
    {
        WorkFolderFixture work;
        const AddressBook book(work.installEmptyAddressBook());
        const QString zhang = QStringLiteral("张三,13800000000,,北京市,100000");
        Add(book, AddressTable::ReceiptAddress, QStringLiteral("李四,139,,上海,200000"));
        Add(book, AddressTable::ReceiptAddress, zhang);
        Add(book, AddressTable::ReceiptAddress, QStringLiteral("赵六,137,,广州,510000"));
        CWaybillDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* picker = dialog.findChild<QComboBox*>(QStringLiteral("recipientPicker"));
        QLineEdit* edit = picker->lineEdit();
        edit->setFocus();

        TypeText(edit, QStringLiteral("张"));
        QCOMPARE(edit->text(), zhang);
        QCOMPARE(edit->selectedText(), zhang.mid(1));
        QCOMPARE(edit->selectionStart(), 1);
        // The completed text is a whole address, so the recipient fields take it over.
        QCOMPARE(Text(dialog, "recipientNameEdit"), QStringLiteral("张三"));
        QCOMPARE(Text(dialog, "recipientAddressEdit"), QStringLiteral("北京市"));

        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("张"));
        QVERIFY(!edit->hasSelectedText());
        QCOMPARE(edit->cursorPosition(), 1);
        // A second Backspace leaves an empty edit, not the first entry.
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());

        // Typing again completes again; a key typed over the selection replaces it.
        TypeText(edit, QStringLiteral("李"));
        QCOMPARE(edit->text(), QStringLiteral("李四,139,,上海,200000"));
        TypeText(edit, QStringLiteral("X"));
        QCOMPARE(edit->text(), QStringLiteral("李X"));
        QCOMPARE(edit->cursorPosition(), 2);
        QCOMPARE(Text(dialog, "recipientNameEdit"), QStringLiteral("李四"));

        // Typing inside the text keeps the caret there: "李X" -> caret after 李, Delete, type 四.
        edit->setCursorPosition(1);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("李"));
        edit->setText(QStringLiteral("四,139"));
        edit->setCursorPosition(0);
        TypeText(edit, QStringLiteral("李"));
        QCOMPARE(edit->text(), QStringLiteral("李四,139,,上海,200000"));
        QCOMPARE(edit->cursorPosition(), 1);
        QVERIFY(!edit->hasSelectedText());

        // Text committed by an input method completes as typed keys do, also right after a
        // Backspace.
        edit->clear();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("赵"));
        QCoreApplication::sendEvent(edit, &commit);
        QCOMPARE(edit->text(), QStringLiteral("赵六,137,,广州,510000"));
        QCOMPARE(edit->selectionStart(), 1);
        QVERIFY(takeShownMessages().isEmpty());
    }

    void typingAWholeSenderAddressAppliesOnlyWithFiveParts()
    {
        WorkFolderFixture work;
        work.installEmptyAddressBook();
        CWaybillDlg dialog;
        auto* picker = dialog.findChild<QComboBox*>(QStringLiteral("senderPicker"));
        QLineEdit* edit = picker->lineEdit();
        edit->insert(QStringLiteral("孙七,135,021-1,南京路"));
        QCOMPARE(Text(dialog, "senderNameEdit"), QStringLiteral(" "));
        const std::string before = work.read(QStringLiteral("Set/address.ini"));
        edit->insert(QStringLiteral(","));
        QCOMPARE(Text(dialog, "senderNameEdit"), QStringLiteral("孙七"));
        QCOMPARE(Text(dialog, "senderAddressEdit"), QStringLiteral("南京路"));
        QCOMPARE(Text(dialog, "senderPostcodeEdit"), QString());
        QVERIFY(work.read(QStringLiteral("Set/address.ini")) != before);
        QCOMPARE(work.read(QStringLiteral("Set/address.ini")).substr(0, 5), ToCodePage(QStringLiteral("孙七,")));
        // A sixth part: not a whole address any more, nothing changes.
        edit->insert(QStringLiteral("200000,x"));
        QCOMPARE(Text(dialog, "senderPostcodeEdit"), QString());
    }

    void aMissingDatabaseIsReportedOncePerFillAndLeavesTheListsEmpty()
    {
        WorkFolderFixture work; // no Dorvane.dorv in dataM
        CWaybillDlg dialog;
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
};

QTEST_MAIN(PickersTest)
#include "PickersTest.moc"
