#include "settings/AddressPage.h"
#include "DialogDriver.h"
#include "base/MessageBox.h"
#include "controls/SortListCtrl.h"
#include "settings/AddressEditDlg.h"
#include "store/AddressBook.h"
#include "store/StoreListeners.h"
#include "support/WorkFolderFixture.h"
#include "text/CodePageText.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace dorvane;
using dorvane::test::WhenDialogOpens;
using dorvane::test::WorkFolderFixture;

namespace {

// What the address dialog showed when it opened.
struct DialogLook {
    QString caption, nameLabel, okText;
    QStringList fields;
};

QStringList Fields(const CAddressEditDlg* dialog)
{
    return {dialog->findChild<QLineEdit*>("nameEdit")->text(),
            dialog->findChild<QLineEdit*>("mobileEdit")->text(),
            dialog->findChild<QLineEdit*>("telephoneEdit")->text(),
            dialog->findChild<QPlainTextEdit*>("addressEdit")->toPlainText(),
            dialog->findChild<QLineEdit*>("postcodeEdit")->text()};
}

DialogLook LookOf(const CAddressEditDlg* dialog)
{
    return {dialog->windowTitle(), dialog->findChild<QLabel*>("nameLabel")->text(),
            dialog->findChild<QPushButton*>("okButton")->text(), Fields(dialog)};
}

// Types the five parts into the dialog's edits (a null part is left as it is).
void Fill(CAddressEditDlg* dialog, const QStringList& parts)
{
    const char* names[] = {"nameEdit", "mobileEdit", "telephoneEdit", nullptr, "postcodeEdit"};
    for (int i = 0; i < 5; ++i) {
        if (parts[i].isNull())
            continue;
        if (i == 3)
            dialog->findChild<QPlainTextEdit*>("addressEdit")->setPlainText(parts[i]);
        else
            dialog->findChild<QLineEdit*>(names[i])->setText(parts[i]);
    }
}

QStringList Column(const CSortListCtrl* list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->RowCount(); ++row)
        texts << list->Text(row, column);
    return texts;
}

QStringList Stored(const AddressBook& book, AddressTable table)
{
    QStringList texts;
    const auto rows = book.List(table);
    for (const StoredText& row : rows.value())
        texts << FromCodePage(row.text);
    return texts;
}

} // namespace

class AddressPageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WorkFolderFixture> work_;
    std::unique_ptr<AddressBook> book_;
    StoreListeners listeners_;
    int addressesTold_ = 0; // changes of the address tables told to the store's listeners
    std::unique_ptr<CAddressPage> page_;
    CSortListCtrl* list_ = nullptr;

    void Store(AddressTable table, const QStringList& records)
    {
        for (const QString& record : records)
            QVERIFY(book_->Add(table, ToCodePage(record)).ok());
    }

    void OpenPage()
    {
        page_ = std::make_unique<CAddressPage>(work_->workspace(), listeners_);
        page_->resize(404, 352); // about the settings dialog's page area
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
        list_ = page_->findChild<CSortListCtrl*>("addressList");
        QVERIFY(list_);
    }

    QComboBox* Kind() const { return page_->findChild<QComboBox*>("addressKindCombo"); }
    void Click(const char* button)
    {
        QTest::mouseClick(page_->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    void ClickRow(int row)
    {
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {},
                          list_->visualRect(list_->model()->index(row, 2)).center());
    }

private slots:
    void init()
    {
        setMessagesAnsweredByTest(true);
        work_ = std::make_unique<WorkFolderFixture>();
        const auto file = work_->installEmptyAddressBook();
        QVERIFY(!file.empty());
        book_ = std::make_unique<AddressBook>(file);
        addressesTold_ = 0;
        listeners_ = StoreListeners();
        listeners_.subscribe(StoreChange::Addresses, [this] { ++addressesTold_; });
    }

    void cleanup()
    {
        page_.reset();
        book_.reset();
        work_.reset();
        setMessagesAnsweredByTest(false);
    }

    void listShowsTheChosenCategoryNumberedFromOne()
    {
        Store(AddressTable::ReceiptAddress,
              {QStringLiteral("张三,138,,北京,100000"), QStringLiteral("李四,139,010,上海,200000")});
        Store(AddressTable::SendAddress, {QStringLiteral("王五,,,广州,")});
        book_->Delete(AddressTable::ReceiptAddress, 1);
        Store(AddressTable::ReceiptAddress, {QStringLiteral("赵六,,,深圳,")});
        OpenPage();

        QCOMPARE(Column(list_, 0), QStringList({"1", "2"}));
        QCOMPARE(Column(list_, 1), QStringList({"2", "3"})); // the database ids, hidden
        QCOMPARE(Column(list_, 2),
                 QStringList({QStringLiteral("李四,139,010,上海,200000"), QStringLiteral("赵六,,,深圳,")}));
        QVERIFY(list_->isColumnHidden(1));
        QCOMPARE(list_->columnWidth(0), 23);
        QCOMPARE(list_->columnWidth(2), 636);
        QCOMPARE(list_->model()->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("  详细地址(点击排序)"));
        QCOMPARE(list_->RowHeight(), 17);
        QCOMPARE(list_->palette().color(QPalette::Base), QColor(135, 215, 215));
        QCOMPARE(Kind()->currentText(), QStringLiteral("收件地址"));
        // The category group's caption is painted blue.
        const QImage group = page_->findChild<QGroupBox*>()->grab().toImage();
        int bluePixels = 0;
        for (int y = 0; y < group.height() / 3; ++y)
            for (int x = 0; x < group.width(); ++x)
                bluePixels += QColor(group.pixel(x, y)).blue() > 200 && QColor(group.pixel(x, y)).red() < 80;
        QVERIFY(bluePixels > 10);

        Kind()->setCurrentIndex(1);
        QCOMPARE(Column(list_, 0), QStringList({"1"}));
        QCOMPARE(Column(list_, 2), QStringList({QStringLiteral("王五,,,广州,")}));
        Kind()->setCurrentIndex(0);
        QCOMPARE(list_->RowCount(), 2);
        QVERIFY(takeShownMessages().isEmpty());
    }

    void addingWritesTheRecordAndSelectsTheNewLastRow()
    {
        Store(AddressTable::ReceiptAddress, {QStringLiteral("甲,,,,")});
        OpenPage();
        DialogLook look;
        WhenDialogOpens<CAddressEditDlg>([&](CAddressEditDlg* dialog) {
            look = LookOf(dialog);
            Fill(dialog,
                 {QStringLiteral("张三"), "13800000000", "", QStringLiteral("北京市\n海淀区"), "100000"});
            dialog->findChild<QPushButton*>("okButton")->click();
        });
        Click("addButton");
        QCOMPARE(look.caption, QStringLiteral("添加收件人地址信息"));
        QCOMPARE(look.nameLabel, QStringLiteral("收件人："));
        QCOMPARE(look.okText, QStringLiteral("添加(&A)"));
        QCOMPARE(look.fields, QStringList({"", "", "", "", ""}));
        const QString added = QStringLiteral("张三,13800000000,,北京市\n海淀区,100000");
        QCOMPARE(Stored(*book_, AddressTable::ReceiptAddress),
                 QStringList({QStringLiteral("甲,,,,"), added}));
        QCOMPARE(list_->RowCount(), 2);
        QCOMPARE(list_->SelectedRow(), 1);
        QCOMPARE(list_->Text(1, 2), added);

        // Senders: the other caption and label; all five parts empty store four commas.
        Kind()->setCurrentIndex(1);
        WhenDialogOpens<CAddressEditDlg>([&](CAddressEditDlg* dialog) {
            look = LookOf(dialog);
            QTest::keyClick(dialog->findChild<QLineEdit*>("nameEdit"), Qt::Key_Return); // the default button
        });
        Click("addButton");
        QCOMPARE(look.caption, QStringLiteral("添加寄件人地址信息"));
        QCOMPARE(look.nameLabel, QStringLiteral("寄件人："));
        QCOMPARE(Stored(*book_, AddressTable::SendAddress), QStringList({",,,,"}));
        QCOMPARE(Column(list_, 2), QStringList({",,,,"}));
        QCOMPARE(list_->SelectedRow(), 0);

        // Cancel adds nothing.
        WhenDialogOpens<CAddressEditDlg>([&](CAddressEditDlg* dialog) {
            Fill(dialog, {"x", "", "", "", ""});
            dialog->findChild<QPushButton*>("cancelButton")->click();
        });
        Click("addButton");
        QCOMPARE(Stored(*book_, AddressTable::SendAddress).size(), 1);
        QVERIFY(takeShownMessages().isEmpty());
    }

    void enterInTheAddressEditConfirmsWhileCtrlEnterBreaksTheLine()
    {
        OpenPage();
        Kind()->setCurrentIndex(1);
        WhenDialogOpens<CAddressEditDlg>([&](CAddressEditDlg* dialog) {
            auto* address = dialog->findChild<QPlainTextEdit*>("addressEdit");
            address->setFocus();
            address->insertPlainText("a");
            QTest::keyClick(address, Qt::Key_Return, Qt::ControlModifier);
            address->insertPlainText("b");
            QTest::keyClick(address, Qt::Key_Return);
        });
        Click("addButton");
        QCOMPARE(Stored(*book_, AddressTable::SendAddress), QStringList({",,,a\nb,"}));
    }

    void modifyingOpensTheFivePartsAndWritesThemBack()
    {
        Store(AddressTable::ReceiptAddress,
              {QStringLiteral("张三,138,010,北京,100000"), QStringLiteral("李四,139")});
        OpenPage();

        // Without a selected row the change is refused and no dialog opens.
        Click("modifyButton");
        QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("请选择您要修改的行!"));
        QCOMPARE(shown[0].caption, QStringLiteral("注意"));
        QCOMPARE(shown[0].icon, MessageIcon::Warning);
        QCOMPARE(addressesTold_, 0);

        // A record with too few parts opens with the missing ones empty and is saved whole.
        DialogLook look;
        WhenDialogOpens<CAddressEditDlg>([&](CAddressEditDlg* dialog) {
            look = LookOf(dialog);
            dialog->findChild<QPushButton*>("okButton")->click();
        });
        ClickRow(1);
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {},
                           list_->visualRect(list_->model()->index(1, 2)).center());
        QCOMPARE(look.caption, QStringLiteral("修改收件人地址信息"));
        QCOMPARE(look.nameLabel, QStringLiteral("收件人："));
        QCOMPARE(look.okText, QStringLiteral("修改(&M)"));
        QCOMPARE(look.fields, QStringList({QStringLiteral("李四"), "139", "", "", ""}));
        QCOMPARE(Stored(*book_, AddressTable::ReceiptAddress)[1], QStringLiteral("李四,139,,,"));
        QCOMPARE(addressesTold_, 1);        // the main window refills its pickers from this
        QCOMPARE(list_->SelectedRow(), -1); // the refill leaves nothing selected

        // A comma typed into the name is stored as "，": the record still reads back as five parts.
        WhenDialogOpens<CAddressEditDlg>([&](CAddressEditDlg* dialog) {
            look = LookOf(dialog);
            QLineEdit* name = dialog->findChild<QLineEdit*>("nameEdit");
            name->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), name);
            QTest::keyClick(name, Qt::Key_End);
            QTest::keyClicks(name, ",Li");
            dialog->findChild<QPushButton*>("okButton")->click();
        });
        ClickRow(0);
        Click("modifyButton");
        QCOMPARE(look.fields,
                 QStringList({QStringLiteral("张三"), "138", "010", QStringLiteral("北京"), "100000"}));
        QCOMPARE(Stored(*book_, AddressTable::ReceiptAddress)[0],
                 QStringLiteral("张三，Li,138,010,北京,100000"));
        QCOMPARE(list_->Text(0, 2), QStringLiteral("张三，Li,138,010,北京,100000"));
        QCOMPARE(list_->Text(0, 1), "1"); // the same row, changed in place

        // A record stored with a comma in its address opens with every part in its own edit and
        // is saved back with "，", the postcode kept.
        const std::string older = ToCodePage(QStringLiteral("张三,138,010,北京市,朝阳区,100000"));
        QVERIFY(book_->Change(AddressTable::ReceiptAddress, 1, older).ok());
        page_->FillList(0);
        WhenDialogOpens<CAddressEditDlg>([&](CAddressEditDlg* dialog) {
            look = LookOf(dialog);
            dialog->findChild<QPushButton*>("okButton")->click();
        });
        ClickRow(0);
        Click("modifyButton");
        QCOMPARE(look.fields, QStringList({QStringLiteral("张三"), "138", "010",
                                           QStringLiteral("北京市,朝阳区"), "100000"}));
        QCOMPARE(Stored(*book_, AddressTable::ReceiptAddress)[0],
                 QStringLiteral("张三,138,010,北京市，朝阳区,100000"));

        // Sender captions; cancel changes nothing.
        addressesTold_ = 0;
        Store(AddressTable::SendAddress, {QStringLiteral("王五,1,2,3,4")});
        Kind()->setCurrentIndex(1);
        WhenDialogOpens<CAddressEditDlg>([&](CAddressEditDlg* dialog) {
            look = LookOf(dialog);
            Fill(dialog, {"changed", QString(), QString(), QString(), QString()});
            dialog->findChild<QPushButton*>("cancelButton")->click();
        });
        ClickRow(0);
        Click("modifyButton");
        QCOMPARE(look.caption, QStringLiteral("修改寄件人地址信息"));
        QCOMPARE(look.nameLabel, QStringLiteral("寄件人："));
        QCOMPARE(Stored(*book_, AddressTable::SendAddress), QStringList({QStringLiteral("王五,1,2,3,4")}));
        QCOMPARE(addressesTold_, 0);
        QVERIFY(takeShownMessages().isEmpty());
    }

    void deletingAsksThenSelectsTheRowInItsPlace()
    {
        Store(AddressTable::ReceiptAddress, {"a,,,,", "b,,,,", "c,,,,", "d,,,,", "e,,,,"});
        OpenPage();

        // Without a selected row nothing is asked and nothing removed.
        Click("deleteButton");
        QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("请选择您要修改的行!"));
        QCOMPARE(list_->RowCount(), 5);
        QCOMPARE(addressesTold_, 0);

        // Row 2 of 5: the list is read again from the store, the row that moved up selected.
        ClickRow(1);
        Click("deleteButton");
        shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("真的要删除收件地址的第 2 条记录吗？"));
        QCOMPARE(shown[0].caption, QStringLiteral("注意"));
        QCOMPARE(shown[0].buttons, MessageButtons::YesNo);
        QCOMPARE(Stored(*book_, AddressTable::ReceiptAddress),
                 QStringList({"a,,,,", "c,,,,", "d,,,,", "e,,,,"}));
        QCOMPARE(Column(list_, 0), QStringList({"1", "2", "3", "4"}));
        QCOMPARE(list_->SelectedRow(), 1);
        QCOMPARE(list_->Text(1, 2), "c,,,,");
        QCOMPARE(addressesTold_, 1);

        // No: nothing changes and the row stays selected.
        addressesTold_ = 0;
        queueMessageAnswer(MessageAnswer::No);
        Click("deleteButton");
        QCOMPARE(takeShownMessages().size(), 1);
        QCOMPARE(list_->RowCount(), 4);
        QCOMPARE(Stored(*book_, AddressTable::ReceiptAddress).size(), 4);
        QCOMPARE(list_->SelectedRow(), 1);
        QCOMPARE(addressesTold_, 0);

        // The last row: the new last row is selected.
        ClickRow(3);
        Click("deleteButton");
        QCOMPARE(takeShownMessages()[0].text, QStringLiteral("真的要删除收件地址的第 4 条记录吗？"));
        QCOMPARE(Stored(*book_, AddressTable::ReceiptAddress), QStringList({"a,,,,", "c,,,,", "d,,,,"}));
        QCOMPARE(list_->SelectedRow(), 2);
        QCOMPARE(list_->Text(2, 2), "d,,,,");

        // A sorted list deletes the row shown, by its id.
        list_->SortByColumn(2);
        list_->SortByColumn(2); // descending: d, c, a
        ClickRow(0);
        Click("deleteButton");
        QCOMPARE(Stored(*book_, AddressTable::ReceiptAddress), QStringList({"a,,,,", "c,,,,"}));

        Store(AddressTable::SendAddress, {"s,,,,"});
        Kind()->setCurrentIndex(1);
        ClickRow(0);
        Click("deleteButton");
        QCOMPARE(takeShownMessages().last().text, QStringLiteral("真的要删除寄件地址的第 1 条记录吗？"));
        QCOMPARE(list_->RowCount(), 0);
        QCOMPARE(list_->SelectedRow(), -1);
        QVERIFY(Stored(*book_, AddressTable::SendAddress).isEmpty());
    }

    // The list shows what the store holds: a row the store cannot delete (its server is down)
    // stays, and the message says so; a row another station deleted meanwhile goes at the
    // next deletion's reading.
    void aRowTheStoreKeepsStaysInTheList()
    {
        Store(AddressTable::ReceiptAddress, {"a,,,,", "b,,,,", "c,,,,"});
        OpenPage();
        work_->write(QStringLiteral("Set/database.ini"),
                     "host=" + work_->path(QStringLiteral("no-server")).toStdString() + " dbname=x\r\n");
        ClickRow(1);
        Click("deleteButton");
        QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].text, QStringLiteral("不能打开数据库"));
        QCOMPARE(Column(list_, 2), QStringList({"a,,,,", "b,,,,", "c,,,,"}));
        QCOMPARE(addressesTold_, 0);

        QVERIFY(QFile::remove(work_->path(QStringLiteral("Set/database.ini"))));
        QVERIFY(book_->Delete(AddressTable::ReceiptAddress, 3).ok()); // another station
        ClickRow(0);
        Click("deleteButton");
        QCOMPARE(Column(list_, 2), QStringList({"b,,,,"}));
    }

    void aMissingDatabaseIsReportedAndTheAddDialogStaysOpen()
    {
        QVERIFY(QFile::remove(work_->path("dataM/Dorvane.dorv")));
        OpenPage();
        QList<ShownMessage> shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("不能打开数据库"));
        QCOMPARE(list_->RowCount(), 0);

        bool stayedOpen = false;
        QStringList keptFields;
        WhenDialogOpens<CAddressEditDlg>([&](CAddressEditDlg* dialog) {
            Fill(dialog, {QStringLiteral("张三"), "1", "2", "3", "4"});
            dialog->findChild<QPushButton*>("okButton")->click();
            stayedOpen = dialog->isVisible();
            keptFields = Fields(dialog);
            dialog->findChild<QPushButton*>("cancelButton")->click();
        });
        Click("addButton");
        QVERIFY(stayedOpen);
        QCOMPARE(keptFields, QStringList({QStringLiteral("张三"), "1", "2", "3", "4"}));
        shown = takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("不能打开数据库"));
        QCOMPARE(list_->RowCount(), 0);
    }
};

QTEST_MAIN(AddressPageTest)
#include "AddressPageTest.moc"
